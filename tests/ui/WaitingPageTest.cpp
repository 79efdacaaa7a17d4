#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <vector>

#include "UiSupport.h"
#include "controls/Fonts.h"
#include "pages/CWaitingPage.h"

namespace {

struct Tick {
    int tick;
    int frame;
};

// Runs the page modally and records every tick; `onTick` may act on the busy word.
std::vector<Tick> RunRecording(CWaitingPage& page, const std::function<void(int)>& onTick = {}) {
    std::vector<Tick> ticks;
    QObject::connect(&page, &CWaitingPage::ticked, [&](int tick) {
        ticks.push_back({tick, page.frame()});
        if (onTick) {
            onTick(tick);
        }
    });
    page.exec();
    return ticks;
}

}  // namespace

TEST(WaitingPage, SizesItselfByItsTextAndSitsInThePagesLowerHalf) {
    const std::vector<std::tuple<int, int, QString>> cases{
        {shell::kEnglish, CWaitingPage::kPlainMode, QStringLiteral("Waiting...")},
        {shell::kEnglish, 0, QStringLiteral("Formatting your HDD...")},
        {21, CWaitingPage::kPlainMode, QStringLiteral("お待ちください...")},
        {21, 3, QStringLiteral("ハードディスクをフォーマットしています…")},
    };
    const std::atomic<std::int32_t> busy{1};
    const QPoint origin(107, 57);
    for (const auto& [language, mode, text] : cases) {
        SCOPED_TRACE(text.toStdString());
        InLanguage pack(language);
        CWaitingPage page(nullptr, busy, 120, origin, mode);
        EXPECT_EQ(page.text(), text) << "the pack's words, not the fallback's";
        EXPECT_EQ(page.accessibleName(), text);
        const qreal advance = QFontMetricsF(controls::UiFont(14)).horizontalAdvance(text);
        EXPECT_NEAR(page.width(), advance + 113, 1.0);
        EXPECT_EQ(page.height(), 86);
        EXPECT_EQ(page.pos(), QPoint(origin.x() + 430 - page.width() / 2, origin.y() + 275));
        // Corners cut by 15 x 15 ellipses.
        const QRegion mask = page.mask();
        const int w = page.width();
        for (QPoint out : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(1, 84), QPoint(w - 2, 84)}) {
            EXPECT_FALSE(mask.contains(out)) << out.x() << "," << out.y();
        }
        for (QPoint in : {QPoint(7, 0), QPoint(0, 43), QPoint(w - 1, 43), QPoint(w - 5, 81)}) {
            EXPECT_TRUE(mask.contains(in)) << in.x() << "," << in.y();
        }
    }
}

TEST(WaitingPage, ClosesOnTheFirstTickThatReadsZero) {
    InLanguage english(shell::kEnglish);
    std::atomic<std::int32_t> busy{0};
    {
        CWaitingPage page(nullptr, busy, 120, {});
        QElapsedTimer elapsed;
        elapsed.start();
        const std::vector<Tick> ticks = RunRecording(page);
        ASSERT_EQ(ticks.size(), 1U) << "a word already at 0 ends the wait at the first tick";
        EXPECT_EQ(page.tick(), 0);
        EXPECT_GE(elapsed.elapsed(), 90) << "after one 100 ms period, not at once";
    }
    busy = 1;
    CWaitingPage page(nullptr, busy, 120, {});
    // The worker finishes while tick 3 is under way: that tick already reads the 0.
    const std::vector<Tick> ticks = RunRecording(page, [&](int tick) {
        if (tick == 3) {
            busy = 0;
        }
    });
    ASSERT_EQ(ticks.size(), 4U);
    EXPECT_EQ(page.tick(), 3) << "no tick counted after the word went to 0";
}

TEST(WaitingPage, StepsTheSpinnerEachTickAndOnlyTheTickLimitEndsAStuckWait) {
    InLanguage english(shell::kEnglish);
    const std::atomic<std::int32_t> stuck{1};
    CWaitingPage page(nullptr, stuck, 9, {});
    EXPECT_EQ(page.frame(), 0);
    bool stayed = false;
    const std::vector<Tick> ticks = RunRecording(page, [&](int tick) {
        if (tick == 1) {
            // A blocking window: neither Escape nor a close request ends it.
            QTest::keyClick(&page, Qt::Key_Escape);
            page.close();
            stayed = page.isVisible();
        }
    });
    EXPECT_TRUE(stayed);
    ASSERT_EQ(ticks.size(), 10U) << "ticks 0..9, the last one at the limit";
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(ticks[i].tick, i);
        EXPECT_EQ(ticks[i].frame, (i + 1) % 8) << "tick " << i << "; wraps after eight";
    }
    EXPECT_EQ(page.tick(), 9);
}

TEST(WaitingPage, ShowsThePageBeneathThroughItsConstantAlpha) {
    WhitePage under;
    const std::atomic<std::int32_t> busy{1};
    CWaitingPage page(&under, busy, 120, under.mapToGlobal(QPoint(0, 0)));
    page.show();
    const QImage shot = page.grab().toImage();
    // Black at 180 of 255 over white, where neither spinner nor text is drawn.
    const QColor box = shot.pixelColor(QPoint(8, 43) * shot.devicePixelRatio());
    EXPECT_NEAR(box.red(), 255 - 180, 3);
    EXPECT_EQ(box.red(), box.blue());
}
