// The recorder selection page against N recorders answering one search within about 10 ms:
// how many rows it lists, the time from the search's end to the list painted with every row,
// and the longest stall of the event loop from the page's first search to that paint.
// Loopback only: run it inside `unshare --net` (after `ip link set lo up`), offscreen.
// Usage: bench_selection_page [N] (default 1000).
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "../tests/ui/RecorderStandIn.h"
#include "../tests/ui/UiSupport.h"
#include "controls/CNvrListCtrl.h"
#include "pages/CNvrSearchDlg.h"

namespace {

// Watches one widget for a paint once `ready` holds.
class PaintWatch : public QObject {
public:
    PaintWatch(QWidget* widget, std::function<bool()> ready)
        : widget_(widget), ready_(std::move(ready)) {
        widget_->installEventFilter(this);
    }
    std::int64_t paintedAt = -1;
    const QElapsedTimer* clock = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == widget_ && event->type() == QEvent::Paint && paintedAt < 0 && ready_()) {
            paintedAt = clock->nsecsElapsed();
        }
        return false;
    }

private:
    QWidget* widget_;
    std::function<bool()> ready_;
};

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;

    std::vector<Bytes> replies;
    for (int i = 0; i < count; ++i) {
        replies.push_back(RecorderReply("ORB-780Z",
                                        {0x00, 0x1c, 0x2a, 0x01, static_cast<std::uint8_t>(i >> 8),
                                         static_cast<std::uint8_t>(i)},
                                        {10, 77, static_cast<std::uint8_t>(i >> 8),
                                         static_cast<std::uint8_t>(1 + (i & 0xFF))}));
    }
    RecorderStandIn recorders(std::move(replies));
    QElapsedTimer clock;
    clock.start();
    std::atomic<std::int64_t> searchEnded{-1};
    HostFixture fixture;
    auto worker = std::make_shared<DeviceCommandWorker>();
    fixture.host->setServices(recorders.search(std::chrono::milliseconds(1500),
                                               [&] { searchEnded = clock.nsecsElapsed(); }),
                              worker);

    // The event loop's pulse: the longest gap between two ticks of a 1 ms timer.
    std::int64_t lastTick = clock.nsecsElapsed();
    std::int64_t longestGap = 0;
    QTimer pulse;
    QObject::connect(&pulse, &QTimer::timeout, [&] {
        const std::int64_t now = clock.nsecsElapsed();
        longestGap = std::max(longestGap, now - lastTick);
        lastTick = now;
    });
    pulse.start(1);

    fixture.post(msg::kNavigate, msg::kNext, 5);  // page 7
    auto* page = qobject_cast<CNvrSearchDlg*>(fixture.host->currentPage());
    if (page == nullptr) {
        std::printf("page 7 did not open\n");
        return 1;
    }
    PaintWatch watch(page->list()->viewport(), [&] { return page->list()->rowCount() == count; });
    watch.clock = &clock;
    lastTick = clock.nsecsElapsed();
    WaitUntil([&] { return watch.paintedAt >= 0; }, 30000);
    pulse.stop();

    std::printf("recorders %d, rows listed %d\n", count, page->list()->rowCount());
    if (watch.paintedAt >= 0 && searchEnded >= 0) {
        std::printf("search end -> list painted: %.1f ms\n",
                    static_cast<double>(watch.paintedAt - searchEnded) / 1e6);
    } else {
        std::printf("the list was not painted with every row\n");
    }
    std::printf("longest event-loop gap: %.1f ms\n", static_cast<double>(longestGap) / 1e6);
    return 0;
}
