#include <QObject>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "platform/MessageWindow.h"

namespace {

// A window that records the messages it receives.
class Recorder : public platform::MessageWindow<QObject> {
public:
    std::vector<std::pair<std::uint32_t, std::intptr_t>> received;

protected:
    void messageEvent(platform::WindowMessageEvent& event) override {
        received.emplace_back(event.message(), event.wParam());
        event.setResult(event.wParam() * 2);
    }
};

}  // namespace

TEST(WindowMessage, PostedMessagesArriveInOrderAcrossWindows) {
    Recorder a;
    Recorder b;
    std::vector<int> order;
    ASSERT_TRUE(platform::PostMessage(a.windowId(), 1, 10));
    ASSERT_TRUE(platform::PostMessage(b.windowId(), 2, 20));
    ASSERT_TRUE(platform::PostMessage(a.windowId(), 3, 30));
    EXPECT_TRUE(a.received.empty()) << "posted, not delivered at once";
    ASSERT_TRUE(WaitUntil([&] { return a.received.size() == 2 && b.received.size() == 1; }));
    EXPECT_EQ(a.received[0].first, 1u);
    EXPECT_EQ(a.received[1].first, 3u);
    EXPECT_EQ(b.received[0].second, 20);
}

TEST(WindowMessage, SendDeliversAtOnceWithAResult) {
    Recorder a;
    EXPECT_EQ(platform::SendMessage(&a, 7, 21), 42);
    ASSERT_EQ(a.received.size(), 1u);
    EXPECT_EQ(platform::SendMessage(nullptr, 7, 21), 0);
}

TEST(WindowMessage, MessagesToAGoneWindowAreDropped) {
    platform::WindowId gone = 0;
    {
        Recorder a;
        gone = a.windowId();
        EXPECT_TRUE(platform::IsWindow(gone));
        ASSERT_TRUE(platform::PostMessage(gone, 1));  // queued, then the window goes
    }
    EXPECT_FALSE(platform::IsWindow(gone));
    EXPECT_FALSE(platform::PostMessage(gone, 2));
    EXPECT_FALSE(platform::PostMessage(0, 2));
    QCoreApplication::processEvents();  // the queued one must not reach freed memory
}

TEST(WindowMessage, WorkersPostWhileTheWindowIsDestroyed) {
    // Posting threads race the window's destruction; every post either lands or is dropped.
    for (int round = 0; round < 20; ++round) {
        auto window = std::make_unique<Recorder>();
        const platform::WindowId id = window->windowId();
        std::atomic<bool> go{false};
        std::vector<std::thread> posters;
        for (int t = 0; t < 3; ++t) {
            posters.emplace_back([&] {
                while (!go.load()) {
                    std::this_thread::yield();
                }
                for (int i = 0; i < 200; ++i) {
                    platform::PostMessage(id, 5, i);
                }
            });
        }
        go = true;
        QCoreApplication::processEvents();
        window.reset();
        EXPECT_FALSE(platform::PostMessage(id, 6));
        for (auto& poster : posters) {
            poster.join();
        }
        QCoreApplication::processEvents();
    }
}

// A worker abandoned at exit keeps posting while the program's statics are torn down.
TEST(WindowMessageDeathTest, AnAbandonedWorkerMayPostWhileTheProgramExits) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::atomic<bool> posting{false};
            std::thread([&posting] {
                for (;;) {
                    platform::PostMessage(~platform::WindowId{0}, 1);
                    posting.store(true);
                }
            }).detach();
            while (!posting.load()) {
                std::this_thread::yield();
            }
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}
