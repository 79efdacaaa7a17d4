#include <QImage>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "controls/CLoadingStatic.h"
#include "controls/CPageIndicator.h"
#include "controls/ResourceImage.h"

using controls::CLoadingStatic;
using controls::CPageIndicator;

namespace {

QImage Render(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    // Without the window background: the controls draw over the page.
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

bool Near(QColor a, QColor b, int tolerance = 3) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

}  // namespace

TEST(PageIndicator, DefaultsPlaceTwelvePixelDotsEighteenApart) {
    CPageIndicator indicator;
    EXPECT_EQ(indicator.count(), 5);
    EXPECT_EQ(indicator.current(), 1);
    EXPECT_EQ(indicator.gap(), 6);
    EXPECT_EQ(indicator.radius(), 6);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(CPageIndicator::DotRect(i, 6, 6), QRect(18 * i, 0, 12, 12)) << i;
    }
    EXPECT_EQ(CPageIndicator::DotRect(3, 2, 4), QRect(30, 0, 8, 8));
}

TEST(PageIndicator, CountFiveCurrentTwoShowsTwoGreyDotsThenThreeOutlined) {
    CPageIndicator indicator;
    indicator.resize(200, 30);
    indicator.setCount(5);
    indicator.setCurrent(2);
    const QImage image = Render(indicator);
    const QColor grey = CPageIndicator::kGrey;
    for (int i = 0; i < 5; ++i) {
        const QRect dot = CPageIndicator::DotRect(i, 6, 6);
        const QColor centre = image.pixelColor(dot.center());
        EXPECT_TRUE(Near(centre, i < 2 ? grey : QColor(Qt::white))) << i;
        // The outline: the dot's leftmost and topmost pixels are grey on every dot.
        EXPECT_LT(image.pixelColor(dot.left(), dot.top() + 6).red(), 235) << i;
        EXPECT_LT(image.pixelColor(dot.left() + 6, dot.top()).red(), 235) << i;
        // Nothing between the dots, nothing below them.
        EXPECT_TRUE(Near(image.pixelColor(dot.right() + 3, 6), Qt::white)) << i;
        EXPECT_TRUE(Near(image.pixelColor(dot.left() + 6, 13), Qt::white)) << i;
    }
    // Never darker than the indicator grey.
    for (int x = 0; x < 90; ++x) {
        EXPECT_GE(image.pixelColor(x, 6).red(), grey.red() - 3) << x;
    }
}

TEST(PageIndicator, LastStepOfElevenFillsEveryDot) {
    CPageIndicator indicator;
    indicator.resize(200, 30);
    indicator.setCount(11);
    indicator.setCurrent(11);
    const QImage image = Render(indicator);
    for (int i = 0; i < 11; ++i) {
        EXPECT_TRUE(Near(image.pixelColor(CPageIndicator::DotRect(i, 6, 6).center()),
                         CPageIndicator::kGrey))
            << i;
    }
}

TEST(LoadingStatic, CaptionAndPictureAreCentredAsAGroup) {
    const auto layout =
        CLoadingStatic::Arrange(QRect(0, 0, 300, 40), QSize(100, 16), QSize(24, 24), 8);
    EXPECT_EQ(layout.text, QRect(84, 12, 100, 16));
    EXPECT_EQ(layout.picture, QRect(192, 8, 24, 24));
    EXPECT_EQ(layout.text.left(), 300 - 1 - layout.picture.right());

    CLoadingStatic busy;
    busy.resize(400, 40);
    busy.setCaption(QStringLiteral("Searching device"));
    EXPECT_EQ(busy.accessibleName(), QStringLiteral("Searching device..."));
    const QImage image = Render(busy);
    // Accent-blue caption pixels on white, none outside the middle of the control.
    int blue = 0;
    int left = image.width();
    int right = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c != QColor(Qt::white)) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
            blue += Near(c, CLoadingStatic::kAccent, 40) ? 1 : 0;
        }
    }
    EXPECT_GT(blue, 20);
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::white));
    ASSERT_GE(right, left);
    EXPECT_NEAR(left, image.width() - 1 - right, 4);
}

TEST(LoadingStatic, EachTickShowsTheNextOfEightFrames) {
    for (int id = CLoadingStatic::kFirstFrameId; id < CLoadingStatic::kFirstFrameId + 8; ++id) {
        ASSERT_FALSE(controls::ResourceImage(id).isNull()) << id;
    }
    CLoadingStatic busy;
    busy.resize(300, 40);
    busy.setCaption(QStringLiteral("Searching device"));
    std::vector<QImage> shots;
    for (int tick = 0; tick < 9; ++tick) {
        EXPECT_EQ(busy.frame(), tick % 8);
        shots.push_back(Render(busy));
        busy.step();
    }
    for (int i = 0; i < 8; ++i) {
        for (int j = i + 1; j < 8; ++j) {
            EXPECT_NE(shots[i], shots[j]) << "frames " << i << " and " << j;
        }
    }
    EXPECT_EQ(shots[8], shots[0]);  // counter 8 is frame 0 again
}

TEST(LoadingStatic, TimerAdvancesTheCounterAndStopsForGoodAtFiveHundred) {
    CLoadingStatic busy;
    EXPECT_FALSE(busy.isRunning());
    busy.start(5);
    ASSERT_TRUE(busy.isRunning());
    EXPECT_EQ(busy.counter(), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return busy.counter() >= 3; }, 3000));

    // The remaining steps through the timer's own step, not 100 s of waiting.
    busy.stop();
    busy.start(10000);
    for (int i = 0; i < 499; ++i) {
        busy.step();
    }
    EXPECT_EQ(busy.counter(), 499);
    EXPECT_TRUE(busy.isRunning());
    busy.step();
    EXPECT_EQ(busy.counter(), 500);
    EXPECT_FALSE(busy.isRunning());
    busy.step();
    EXPECT_EQ(busy.counter(), 500);

    // A later search animates again from the start.
    busy.start(5);
    EXPECT_EQ(busy.counter(), 0);
    EXPECT_TRUE(busy.isRunning());
    busy.stop();
    EXPECT_FALSE(busy.isRunning());
}
