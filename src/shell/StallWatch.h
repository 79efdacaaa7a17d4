#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// Measures how long the interface thread goes without turning its event loop, for the
// responsiveness benchmark: a precise timer that should fire every few milliseconds, and a
// flow-trace line for every gap longer than the threshold, with the window that was active.
// It also traces every click and every Return or Space, so a step's latency can be read from
// the input to the page it leads to on one clock.
class StallWatch final : public QObject {
    Q_OBJECT
public:
    static constexpr int kTickMs = 5;
    static constexpr int kReportMs = 20;

    // On when the environment variable ORB_STALL_WATCH is set.
    static bool Wanted();

    StallWatch();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void tick();

    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
};
