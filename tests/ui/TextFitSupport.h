#pragma once

#include <QAbstractButton>
#include <QFontMetrics>
#include <QLineEdit>
#include <QString>
#include <QWidget>

#include <vector>

#include "controls/CApproComboBox.h"
#include "controls/CApproStatic.h"
#include "controls/CBaseStatic.h"
#include "controls/CHyperLink.h"
#include "controls/CLinkStatic.h"
#include "controls/CRowList.h"
#include "controls/CStateButton.h"

// A text that does not fit where it is drawn: the space it needs and the space it has.
struct Misfit {
    QString control;
    QString text;
    QSize need;
    QSize have;
};

// Every shown text under `root` that is cut or runs outside its control, measured with the
// fonts the controls draw with.
inline std::vector<Misfit> Misfits(const QWidget& root) {
    // A button's caption keeps this much room at either side.
    constexpr int kCaptionMargin = 8;
    std::vector<Misfit> found;
    const auto check = [&found](const QWidget* w, const QString& text, QSize need) {
        if (!text.isEmpty() && (need.width() > w->width() || need.height() > w->height())) {
            found.push_back({w->metaObject()->className() + QStringLiteral(" ") + w->objectName(),
                             text, need, w->size()});
        }
    };
    for (const QWidget* w : root.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&root) || w->width() <= 0) {
            continue;
        }
        if (const auto* label = qobject_cast<const controls::CApproStatic*>(w)) {
            const QFontMetrics metrics(label->textFont());
            const int lines = label->secondText().isEmpty() ? 1 : 2;
            check(w, label->text(),
                  {std::max(metrics.horizontalAdvance(label->text()),
                            metrics.horizontalAdvance(label->secondText())),
                   metrics.height() * lines});
        } else if (const auto* wrapped = qobject_cast<const controls::CBaseStatic*>(w)) {
            check(w, wrapped->text(), {0, wrapped->contentHeight()});
        } else if (const auto* button = qobject_cast<const controls::CStateButton*>(w)) {
            const QFontMetrics metrics(button->captionFont());
            check(
                w, button->text(),
                {metrics.horizontalAdvance(button->text()) + 2 * kCaptionMargin, metrics.height()});
        } else if (const auto* link = qobject_cast<const controls::CHyperLink*>(w)) {
            const QFontMetrics metrics(link->textFont());
            check(w, link->text(), {metrics.horizontalAdvance(link->text()), metrics.height()});
        } else if (const auto* help = qobject_cast<const controls::CLinkStatic*>(w)) {
            const QRect hot = help->hotRect();
            check(w, help->text(), {hot.right() + 1, hot.bottom() + 1});
        }
    }
    return found;
}

inline QString InkText(const QWidget& w) {
    if (const auto* label = qobject_cast<const controls::CApproStatic*>(&w)) {
        return label->text();
    }
    if (const auto* wrapped = qobject_cast<const controls::CBaseStatic*>(&w)) {
        return wrapped->text();
    }
    return {};
}

// Where a text control's letters are, in its own coordinates: a rectangle a line.
inline QList<QRect> InkRects(const QWidget& w) {
    if (const auto* label = qobject_cast<const controls::CApproStatic*>(&w)) {
        if (label->text().isEmpty()) {
            return {};
        }
        const QFontMetrics metrics(label->textFont());
        const int width = std::min(w.width(), metrics.horizontalAdvance(label->text()));
        const int height = std::min(w.height(), metrics.height());
        const int top = (w.height() - height) / 2;
        switch (label->alignment()) {
            case controls::CApproStatic::Align::Left:
                return {QRect(0, top, width, height)};
            case controls::CApproStatic::Align::Centre:
                return {QRect((w.width() - width) / 2, top, width, height)};
            case controls::CApproStatic::Align::Right:
                return {QRect(w.width() - width, top, width, height)};
        }
    }
    if (const auto* wrapped = qobject_cast<const controls::CBaseStatic*>(&w)) {
        return wrapped->text().isEmpty() ? QList<QRect>{} : wrapped->lineRects();
    }
    return {};
}

// Texts whose letters lie over a control the user works with (a button, a box, a list).
inline QStringList TextsOverControls(const QWidget& root) {
    QList<const QWidget*> controls;
    for (const QWidget* w : root.findChildren<QWidget*>()) {
        if (w->isVisibleTo(&root) &&
            (qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLineEdit*>(w) ||
             qobject_cast<const controls::CApproComboBox*>(w) ||
             qobject_cast<const controls::CRowList*>(w))) {
            controls << w;
        }
    }
    QStringList found;
    for (const QWidget* w : root.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&root)) {
            continue;
        }
        for (const QRect& ink : InkRects(*w)) {
            const QRect onPage(w->mapTo(&root, ink.topLeft()), ink.size());
            for (const QWidget* control : controls) {
                if (control == w || control->isAncestorOf(w) || w->isAncestorOf(control)) {
                    continue;
                }
                const QRect place(control->mapTo(&root, QPoint(0, 0)), control->size());
                if (!onPage.intersects(place)) {
                    continue;
                }
                found << QStringLiteral("%1 \"%2\" over %3 %4")
                             .arg(QString::fromLatin1(w->metaObject()->className()), InkText(*w),
                                  QString::fromLatin1(control->metaObject()->className()),
                                  control->objectName());
            }
        }
    }
    return found;
}
