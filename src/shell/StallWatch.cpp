#include "shell/StallWatch.h"

#include <QApplication>
#include <QWidget>

#include "shell/FlowTrace.h"

bool StallWatch::Wanted() {
    return qEnvironmentVariableIsSet("ORB_STALL_WATCH");
}

StallWatch::StallWatch() {
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &StallWatch::tick);
    clock_.start();
    timer_.start(kTickMs);
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
