#pragma once

#include <QFontMetrics>
#include <QString>
#include <QWidget>

#include <vector>

#include "controls/CApproStatic.h"
#include "controls/CBaseStatic.h"
#include "controls/CHyperLink.h"
#include "controls/CLinkStatic.h"
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
