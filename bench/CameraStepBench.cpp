// The camera step against a recorder that lists 256 cameras: the time from the recorder's
// discovery reply (the command worker's status turning done) to the list painted with every
// row, the longest event-loop stall while the list fills and while it scrolls row by row from
// top to bottom, and the wizard's memory (PSS) on the page and during a preview that runs for
// PREVIEW seconds. The step's polls are shortened to 1 ms so that they do not hide the page's
// own cost. Loopback only: run it inside `unshare --net` (after `ip link set lo up`).
// Usage: bench_camera_step [PREVIEW] (default 600).
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "../tests/ui/CameraStepSupport.h"
#include "../tests/ui/ModalSupport.h"
#include "controls/CPreview.h"
#include "pages/CPreviewPage.h"

namespace {

constexpr int kCameras = 256;

// Proportional set size of this process in kB, 0 where the system does not tell.
long PssKb() {
    QFile file(QStringLiteral("/proc/self/smaps_rollup"));
    if (!file.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith("Pss:")) {
            return line.mid(4).trimmed().split(' ').value(0).toLong();
        }
    }
    return 0;
}

// The longest gap between two ticks of a 1 ms timer while it runs.
class Pulse {
public:
    explicit Pulse(const QElapsedTimer& clock) : clock_(clock) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const std::int64_t now = clock_.nsecsElapsed();
            longest_ = std::max(longest_, now - last_);
            last_ = now;
        });
    }
    void start() {
        longest_ = 0;
        last_ = clock_.nsecsElapsed();
        timer_.start(1);
    }
    double stopMs() {
        timer_.stop();
        return static_cast<double>(longest_) / 1e6;
    }

private:
    const QElapsedTimer& clock_;
    QTimer timer_;
    std::int64_t last_ = 0;
    std::int64_t longest_ = 0;
};

// Notes the first paint of a widget once `ready` holds.
class PaintWatch : public QObject {
public:
    PaintWatch(QWidget* widget, const QElapsedTimer& clock, std::function<bool()> ready)
        : widget_(widget), clock_(clock), ready_(std::move(ready)) {
        widget_->installEventFilter(this);
    }
    std::int64_t paintedAt = -1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == widget_ && event->type() == QEvent::Paint && paintedAt < 0 && ready_()) {
            paintedAt = clock_.nsecsElapsed();
        }
        return false;
    }

private:
    QWidget* widget_;
    const QElapsedTimer& clock_;
    std::function<bool()> ready_;
};

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int previewSeconds = argc > 1 ? std::atoi(argv[1]) : 600;
    const int port = FreePort("127.0.0.8");

    HostFixture fixture;
    SimRecorder recorder([port](sim::Recorder& r) {
        Secure(r);
        for (int i = 0; i < kCameras; ++i) {
            r.cameras.append(Camera(QStringLiteral("10.78.%1.%2").arg(i / 200).arg(1 + i % 200),
                                    QStringLiteral("00:11:22:33:%1:%2")
                                        .arg(i / 256, 2, 16, QLatin1Char('0'))
                                        .arg(i % 256, 2, 16, QLatin1Char('0')),
                                    QStringLiteral("OC-%1").arg(i), "admin", "pw", "pw"));
        }
        r.cameras[0].ip = QStringLiteral("127.0.0.8");
        r.cameras[0].httpPort = port;
        r.cameras[0].listedIp = QStringLiteral("127.0.0.8:%1").arg(port);
    });
    if (!recorder.choose(*fixture.host)) {
        std::printf("the recorder was not found\n");
        return 1;
    }
    QElapsedTimer clock;
    clock.start();
    std::atomic<std::int64_t> replied{-1};
    std::atomic<bool> watching{true};
    std::shared_ptr<DeviceCommandWorker> worker = fixture.host->commandWorker();

    fixture.post(msg::kNavigate, msg::kNext, 11 - fixture.host->currentPageId() - 1);
    auto* step = qobject_cast<CCameraSearchDlg*>(fixture.host->currentPage());
    if (step == nullptr) {
        std::printf("page 11 did not open\n");
        return 1;
    }
    camerastep::Pacing pacing = Quick();
    pacing.discoveryPoll = std::chrono::milliseconds(1);
    pacing.discoveryPolls = 30000;  // the same 30 s bound
    step->setPacing(pacing);
    // The reply's arrival as the worker reports it, seen from a thread of its own.
    std::thread watcher([&] {
        bool running = false;
        while (watching) {
            const std::int32_t status = worker->status();
            running = running || status == kCommandRunning;
            if (running && status == kCommandDone && replied < 0) {
                replied = clock.nsecsElapsed();
            }
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
    });
    PaintWatch painted(step->list()->viewport(), clock,
                       [&] { return step->list()->rowCount() == kCameras; });
    Pulse pulse(clock);
    pulse.start();
    WaitUntil([&] { return painted.paintedAt >= 0 && step->scansTaken() >= 1; }, 60000);
    const double fillGap = pulse.stopMs();
    watching = false;
    watcher.join();
    std::printf("cameras listed: %d of %d\n", step->list()->rowCount(), kCameras);
    if (painted.paintedAt >= 0 && replied >= 0) {
        std::printf("discovery reply -> list painted: %.1f ms\n",
                    static_cast<double>(painted.paintedAt - replied) / 1e6);
    }
    std::printf("longest event-loop gap while filling: %.1f ms\n", fillGap);

    // Row by row from the top to the bottom, each step painted before the next.
    QScrollBar* bar = step->list()->scrollBar()->view()->verticalScrollBar();
    bar->setValue(0);
    pulse.start();
    const std::int64_t scrollStart = clock.nsecsElapsed();
    int steps = 0;
    for (int value = 0; value <= bar->maximum(); value += controls::CCamListCtrl::kRowHeight) {
        bar->setValue(value);
        step->list()->viewport()->repaint();
        QCoreApplication::processEvents();
        ++steps;
    }
    const double scrollGap = pulse.stopMs();
    std::printf("scrolling: %d steps, %.2f ms each, longest event-loop gap %.1f ms\n", steps,
                static_cast<double>(clock.nsecsElapsed() - scrollStart) / 1e6 / steps, scrollGap);
    std::printf("PSS on page 11: %.1f MB\n", static_cast<double>(PssKb()) / 1024);

    // The preview of the first camera, its memory sampled every ten seconds.
    long first = 0;
    long lowest = 0;
    long highest = 0;
    int frames = 0;
    WhenShown<CPreviewPage> preview([&](CPreviewPage& page) {
        QElapsedTimer shown;
        shown.start();
        QImage last;
        qint64 nextReport = 60000;
        while (shown.elapsed() < previewSeconds * 1000LL) {
            WaitUntil([&] { return page.preview()->frame().cacheKey() != last.cacheKey(); }, 2000);
            if (page.preview()->frame().cacheKey() != last.cacheKey()) {
                last = page.preview()->frame();
                ++frames;
            }
            if (frames == 1 && first == 0) {
                first = lowest = highest = PssKb();
            } else if (frames % 20 == 0) {
                const long pss = PssKb();
                lowest = std::min(lowest, pss);
                highest = std::max(highest, pss);
            }
            if (shown.elapsed() >= nextReport) {
                std::printf("  after %3lld s: PSS %.1f MB\n", shown.elapsed() / 1000,
                            static_cast<double>(PssKb()) / 1024);
                std::fflush(stdout);
                nextReport += 60000;
            }
        }
        page.reject();
    });
    step->list()->requestPreview(0);
    WaitUntil([&] { return preview.acted(); }, 10000);
    std::printf("preview: %d frames in %d s, PSS first %.1f MB, lowest %.1f MB, highest %.1f MB\n",
                frames, previewSeconds, static_cast<double>(first) / 1024,
                static_cast<double>(lowest) / 1024, static_cast<double>(highest) / 1024);
    return 0;
}
