#include "shell/StallWatch.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

#include "shell/FlowTrace.h"

bool StallWatch::Wanted() {
    return qEnvironmentVariableIsSet("ORB_STALL_WATCH");
}

StallWatch::StallWatch() {
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &StallWatch::tick);
    clock_.start();
    timer_.start(kTickMs);
    qApp->installEventFilter(this);
}

bool StallWatch::eventFilter(QObject* watched, QEvent* event) {
    // Input reaches a window once before it is handed on to its widgets.
    if (!watched->isWindowType()) {
        return false;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        qCDebug(lcFlow, "input: click");
    } else if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
            qCDebug(lcFlow, "input: key");
        }
    }
    return false;
}

void StallWatch::tick() {
    const qint64 now = clock_.elapsed();
    const qint64 gap = now - last_;
    last_ = now;
    if (gap > kReportMs) {
        const QWidget* active = QApplication::activeWindow();
        const QWidget* modal = QApplication::activeModalWidget();
        qCDebug(lcFlow, "stall: %lld ms at %lld ms, window %s", gap - kTickMs, now,
                modal    ? modal->metaObject()->className()
                : active ? active->metaObject()->className()
                         : "none");
    }
}
