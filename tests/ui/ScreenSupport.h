#pragma once

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <algorithm>

#include "controls/CComboBoxList.h"
#include "controls/CErrorPage.h"
#include "shell/CTransparentPage.h"
#include "shell/LanguagePack.h"

// The host with the windows that lie over it (the veil first, notices and pop-ups last), as
// one picture.
inline QImage Composed(QWidget& host) {
    QImage picture = host.grab().toImage();
    QList<QWidget*> over;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != &host && w->isVisible() && w->window() != host.parentWidget() &&
            host.frameGeometry().intersects(w->frameGeometry())) {
            over.append(w);
        }
    }
    const auto rank = [](QWidget* w) {
        return qobject_cast<CTransparentPage*>(w)          ? 0
               : qobject_cast<controls::CErrorPage*>(w)    ? 2
               : qobject_cast<controls::CComboBoxList*>(w) ? 3
                                                           : 1;
    };
    std::stable_sort(over.begin(), over.end(),
                     [&](QWidget* a, QWidget* b) { return rank(a) < rank(b); });
    QPainter painter(&picture);
    for (QWidget* w : over) {
        painter.drawImage(w->mapToGlobal(QPoint(0, 0)) - host.mapToGlobal(QPoint(0, 0)),
                          w->grab().toImage());
    }
    return picture;
}

// Where the screenshot `name` of `language` goes in the screens folder `folder` (made when
// missing): "<folder>/<pack>-<name>.png", with "@2x" at double density.
inline QString ScreenPath(const QString& folder, int language, const QString& name) {
    const QString dir = QStringLiteral(ORB_SCREENS_DIR "/") + folder;
    QDir().mkpath(dir);
    const QString stem = QString::fromLatin1(shell::LanguageAt(language).fileName).chopped(4);
    const QString suffix = qGuiApp->devicePixelRatio() > 1 ? QStringLiteral("@2x") : QString();
    return QStringLiteral("%1/%2-%3%4.png").arg(dir, stem, name, suffix);
}
