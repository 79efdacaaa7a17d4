#include <QFontMetrics>
#include <QPainter>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "controls/CApproButton2.h"
#include "controls/CBaseStatic.h"
#include "controls/CGroupImageBox.h"
#include "controls/CIconButton.h"
#include "controls/CImageBox.h"
#include "controls/CLinkStatic.h"
#include "controls/CLoadingStatic.h"
#include "controls/Fonts.h"
#include "controls/ResourceImage.h"
#include "controls/ResourcePicture.h"

namespace {

using controls::ResourceImage;
using controls::ResourcePicture;

constexpr int kGroupPicture = 4051;  // 240 x 120
constexpr QSize kGroupSize(240, 120);

QImage RenderAt(QWidget& widget, qreal ratio) {
    QImage image(widget.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    widget.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

// Records the density its painter draws at.
class RatioProbe : public QWidget {
public:
    qreal seen = 0;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        seen = ResourcePicture::DeviceRatioOf(painter);
    }
};

}  // namespace

TEST(ResourcePicture, LoadsTheOtherRenderingWhenTheRatioCrossesEitherWay) {
    ResourcePicture picture(kGroupPicture, 1.0);
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.resourceId(), kGroupPicture);
    EXPECT_EQ(picture.image().size(), kGroupSize);

    const QImage hi = picture.image(2.0);
    EXPECT_DOUBLE_EQ(hi.devicePixelRatio(), 2.0);
    EXPECT_EQ(hi, ResourceImage(kGroupPicture, 2.0));
    EXPECT_EQ(picture.size(), QSizeF(kGroupSize)) << "both renderings draw at one logical size";
    EXPECT_DOUBLE_EQ(picture.image(1.5).devicePixelRatio(), 2.0) << "fractional screens: 2x";

    const QImage lo = picture.image(1.0);
    EXPECT_DOUBLE_EQ(lo.devicePixelRatio(), 1.0);
    EXPECT_EQ(lo, ResourceImage(kGroupPicture, 1.0));
    EXPECT_DOUBLE_EQ(picture.image(2.0).devicePixelRatio(), 2.0) << "and up again";
}

TEST(ResourcePicture, GivenImagesAndMissingPicturesStayAsTheyAre) {
    QImage given(10, 10, QImage::Format_ARGB32_Premultiplied);
    given.fill(Qt::red);
    ResourcePicture picture(given);
    EXPECT_EQ(picture.resourceId(), 0);
    EXPECT_EQ(picture.image(2.0), given);
    EXPECT_DOUBLE_EQ(picture.image(2.0).devicePixelRatio(), 1.0);

    ResourcePicture missing(999999, 2.0);
    EXPECT_TRUE(missing.isNull());
    EXPECT_TRUE(missing.image(1.0).isNull());
    EXPECT_TRUE(ResourcePicture().image(2.0).isNull());
}

TEST(ResourcePicture, ReadsTheDensityAPainterReallyDrawsAt) {
    QImage dense(20, 20, QImage::Format_ARGB32_Premultiplied);
    dense.setDevicePixelRatio(2.0);
    {
        QPainter painter(&dense);
        EXPECT_DOUBLE_EQ(ResourcePicture::DeviceRatioOf(painter), 2.0);
    }
    QImage plain(20, 20, QImage::Format_ARGB32_Premultiplied);
    {
        QPainter painter(&plain);
        EXPECT_DOUBLE_EQ(ResourcePicture::DeviceRatioOf(painter), 1.0);
        painter.scale(2, 2);
        painter.rotate(90);
        EXPECT_NEAR(ResourcePicture::DeviceRatioOf(painter), 2.0, 1e-9) << "whatever the turn";
    }
    // Rendering a widget into an image redirects its painter; the image's density must show.
    RatioProbe probe;
    probe.resize(10, 10);
    RenderAt(probe, 2.0);
    EXPECT_DOUBLE_EQ(probe.seen, 2.0);
    RenderAt(probe, 1.0);
    EXPECT_DOUBLE_EQ(probe.seen, 1.0);
}

// Every control that loads a picture by id must draw, at each density and on the same object
// in turn, exactly what it draws when given the rendering for that density.
TEST(ResourcePicture, ControlsDrawTheRenderingOfTheDensityTheyPaintAt) {
    struct Case {
        const char* name;
        int id;
        QSize size;
        std::function<void(QWidget&)> load;
        std::function<void(QWidget&, const QImage&)> give;
        std::function<QWidget*(QWidget*)> make;
    };
    using namespace controls;
    const std::vector<Case> cases = {
        {"CImageBox", kGroupPicture, kGroupSize,
         [](QWidget& w) { static_cast<CImageBox&>(w).LoadStateImage(0, kGroupPicture); },
         [](QWidget& w, const QImage& i) { static_cast<CImageBox&>(w).setImage(0, i); },
         [](QWidget* p) { return new CImageBox(p); }},
        {"CGroupImageBox", CGroupImageBox::kImageId, kGroupSize, [](QWidget&) {},
         [](QWidget& w, const QImage& i) { static_cast<CImageBox&>(w).setImage(0, i); },
         [](QWidget* p) { return new CGroupImageBox(p); }},
        {"CStateButton slot", 3042, QSize(118, 43),
         [](QWidget& w) { static_cast<CStateButton&>(w).LoadStateImage(1, 3042); },
         [](QWidget& w, const QImage& i) { static_cast<CStateButton&>(w).setStateImage(1, i); },
         [](QWidget* p) { return new CApproButton2(1, p); }},
        {"CIconButton icon", 3059, QSize(60, 30),
         [](QWidget& w) { static_cast<CIconButton&>(w).LoadIconImage(3059); },
         [](QWidget& w, const QImage& i) { static_cast<CIconButton&>(w).setIconImage(i); },
         [](QWidget* p) { return new CIconButton(1, p); }},
        {"CBaseStatic picture", 3064, QSize(200, 40),
         [](QWidget& w) { static_cast<CBaseStatic&>(w).LoadPicture(3064); },
         [](QWidget& w, const QImage& i) { static_cast<CBaseStatic&>(w).setPicture(i); },
         [](QWidget* p) {
             auto* label = new CBaseStatic(p);
             label->setText(QStringLiteral("Wrong password"));
             return label;
         }},
        {"CLinkStatic icon", 3059, QSize(200, 30),
         [](QWidget& w) { static_cast<CLinkStatic&>(w).setIcon(3059); },
         [](QWidget& w, const QImage& i) { static_cast<CLinkStatic&>(w).setIcon(i); },
         [](QWidget* p) {
             auto* link = new CLinkStatic(p);
             link->setText(QStringLiteral("Help"));
             return link;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QWidget page;
        QWidget* loaded = c.make(&page);
        loaded->resize(c.size);
        c.load(*loaded);
        QWidget* given = c.make(&page);
        given->resize(c.size);

        c.give(*given, ResourceImage(c.id, 1.0));
        const QImage blurred = RenderAt(*given, 2.0);
        for (qreal ratio : {2.0, 1.0, 2.0}) {
            c.give(*given, ResourceImage(c.id, ratio));
            const QImage expected = RenderAt(*given, ratio);
            EXPECT_EQ(RenderAt(*loaded, ratio), expected) << "at " << ratio;
            if (ratio == 2.0) {
                ASSERT_NE(expected, blurred) << "the 1x rendering, magnified, must look different";
            }
        }
    }
}

TEST(ResourcePicture, BusyIndicatorDrawsItsFrameAtTheDensityItPaintsAt) {
    controls::CLoadingStatic busy;
    busy.resize(200, 40);
    const QFontMetrics metrics(controls::UiFont(controls::CLoadingStatic::kTextSize));
    const QSize textSize(metrics.horizontalAdvance(QStringLiteral("...")), metrics.height());
    const QRect frame = controls::CLoadingStatic::Arrange(busy.rect(), textSize, QSize(24, 24),
                                                          controls::CLoadingStatic::kSpacing)
                            .picture;
    for (qreal ratio : {2.0, 1.0}) {
        QImage expected(frame.size() * ratio, QImage::Format_ARGB32_Premultiplied);
        expected.setDevicePixelRatio(ratio);
        expected.fill(Qt::white);
        {
            QPainter painter(&expected);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(QRect(QPoint(), frame.size()),
                              ResourceImage(controls::CLoadingStatic::kFirstFrameId, ratio));
        }
        const QImage shown = RenderAt(busy, ratio);
        const QRect device(frame.topLeft() * ratio, frame.size() * ratio);
        QImage part = shown.copy(device);
        part.setDevicePixelRatio(ratio);
        EXPECT_EQ(part, expected) << "at " << ratio;
    }
}
