#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include "controls/CApproStatic.h"
#include "controls/CApproStatic2.h"
#include "controls/CBaseStatic.h"
#include "controls/CBaseStatic2.h"
#include "controls/CRectStatic.h"
#include "controls/CRoundBack.h"
#include "controls/CTitleStatic.h"
#include "platform/Desktop.h"

using controls::TextSegment;

namespace {

QImage Render(QWidget& widget, const QColor& backdrop = Qt::transparent, qreal ratio = 1.0) {
    QImage image(widget.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(backdrop);
    widget.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

// The bounding box of pixels that `inked` accepts.
template <typename Pred>
QRect Ink(const QImage& image, Pred inked) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (inked(image.pixelColor(x, y))) {
                box = box.united(QRect(x, y, 1, 1));
            }
        }
    }
    return box;
}

int InkCount(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            n += image.pixelColor(x, y).alpha() > 128 ? 1 : 0;
        }
    }
    return n;
}

bool Opaque(QColor c) {
    return c.alpha() > 128;
}

QString Fallback(const QString& family) {
    return platform::IsFontInstalled(family) ? family : QStringLiteral("Arial");
}

// A parent that paints one colour, as a page paints its background; with `stripes` every
// other half pixel is black, which only a 2x copy can keep.
class SolidParent : public QWidget {
public:
    explicit SolidParent(QColor colour, bool stripes = false) : colour_(colour), stripes_(stripes) {
        resize(300, 200);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), colour_);
        for (qreal y = 0.5; stripes_ && y < height(); y += 1) {
            painter.fillRect(QRectF(0, y, width(), 0.5), Qt::black);
        }
    }

private:
    QColor colour_;
    bool stripes_;
};

}  // namespace

TEST(SplitSegments, EmphasisedMiddleGivesThreeSegments) {
    using controls::CBaseStatic2;
    const QList<TextSegment> three =
        CBaseStatic2::SplitSegments(QStringLiteral("Press <br>Next</br> to continue."));
    ASSERT_EQ(three.size(), 3);
    EXPECT_EQ(three[0], (TextSegment{QStringLiteral("Press "), false}));
    EXPECT_EQ(three[1], (TextSegment{QStringLiteral("Next"), true}));
    EXPECT_EQ(three[2], (TextSegment{QStringLiteral(" to continue."), false}));
}

TEST(SplitSegments, DropsSpaceOnlyRunsAndKeepsEverythingElse) {
    using controls::CBaseStatic2;
    EXPECT_TRUE(CBaseStatic2::SplitSegments(QString()).isEmpty());
    EXPECT_TRUE(CBaseStatic2::SplitSegments(QStringLiteral("  <br> </br>  ")).isEmpty());
    EXPECT_EQ(CBaseStatic2::SplitSegments(QStringLiteral("<br>A</br> <br>B</br>")),
              (QList<TextSegment>{{QStringLiteral("A"), true}, {QStringLiteral("B"), true}}));
    // An open marker runs to the end; a stray close marker only ends emphasis.
    EXPECT_EQ(CBaseStatic2::SplitSegments(QStringLiteral("a</br>b<br>c")),
              (QList<TextSegment>{{QStringLiteral("a"), false},
                                  {QStringLiteral("b"), false},
                                  {QStringLiteral("c"), true}}));
    // Other markup is text.
    EXPECT_EQ(CBaseStatic2::SplitSegments(QStringLiteral("x <b>y</b>")),
              (QList<TextSegment>{{QStringLiteral("x <b>y</b>"), false}}));
}

TEST(BaseStatic2, DrawsTheEmphasisedMiddleBoldAndNeverTheMarkers) {
    controls::CBaseStatic2 label(nullptr);
    label.resize(400, 40);
    label.setFontFamily(QStringLiteral("Verdana"));
    label.setPixelSize(16);
    label.setText(QStringLiteral("Open <br>MMMM</br> now"));
    EXPECT_EQ(label.accessibleName(), QStringLiteral("Open MMMM now"));
    const int emphasised = InkCount(Render(label));
    label.setText(QStringLiteral("Open MMMM now"));
    const int plain = InkCount(Render(label));
    EXPECT_GT(emphasised, plain + plain / 20) << "the bold middle carries more ink";
    // Markers take no room: the emphasised line is no wider than bold text would be.
    label.setText(QStringLiteral("<br>Open MMMM now</br>"));
    const QRect boldInk = Ink(Render(label), Opaque);
    label.setBold(true);
    label.setText(QStringLiteral("Open MMMM now"));
    EXPECT_NEAR(boldInk.width(), Ink(Render(label), Opaque).width(), 1);
}

TEST(BaseStatic, ErrorBoxColoursMarginsAndRoundedCorners) {
    controls::CBaseStatic label(nullptr);
    label.resize(300, 40);
    label.setFontFamily(QStringLiteral("Verdana"));
    label.setPixelSize(13);
    label.setTextColor(QColor::fromRgba(0xFFFF0000));
    label.setBox(QColor::fromRgba(0xFFEFD5D5), 5, {20, 8, 24});
    label.setText(QStringLiteral("Error: wrong password"));
    EXPECT_EQ(label.accessibleName(), QStringLiteral("Error: wrong password"));
    const QImage shown = Render(label);
    EXPECT_EQ(shown.pixelColor(10, 20), QColor(0xEF, 0xD5, 0xD5));
    EXPECT_EQ(shown.pixelColor(290, 35), QColor(0xEF, 0xD5, 0xD5));
    EXPECT_LT(shown.pixelColor(0, 0).alpha(), 128) << "rounded corner";
    const QRect red = Ink(shown, [](QColor c) { return c.red() > 200 && c.green() < 100; });
    ASSERT_FALSE(red.isEmpty());
    EXPECT_GE(red.left(), 20);
    EXPECT_GE(red.top(), 8);
    EXPECT_LE(red.right(), 300 - 24);
}

TEST(BaseStatic, WrapsToItsWidthAndKeepsTextClearOfItsPicture) {
    controls::CBaseStatic label(nullptr);
    label.resize(160, 200);
    const QString text = QStringLiteral("The wizard wraps a long sentence onto several lines.");
    label.setText(text);
    const QFontMetricsF metrics(label.textFont());
    EXPECT_GE(label.contentHeight(), 3 * metrics.height() - 1);
    const QRect ink = Ink(Render(label), Opaque);
    EXPECT_LE(ink.right(), 159);
    EXPECT_GT(ink.height(), 2 * metrics.height());

    QImage picture(16, 16, QImage::Format_ARGB32_Premultiplied);
    picture.fill(QColor(0, 0, 255));
    label.setPicture(picture);
    const QImage shown = Render(label);
    EXPECT_EQ(shown.pixelColor(8, 8), QColor(0, 0, 255));
    const QRect text2 = Ink(shown, [](QColor c) { return Opaque(c) && c.blue() < 200; });
    EXPECT_GE(text2.left(), 16 + controls::CBaseStatic::kPictureGap);
}

TEST(BaseStatic, AlternativeLineLayoutSpacesLinesFurther) {
    controls::CBaseStatic2 label(nullptr);
    label.resize(200, 300);
    label.setText(
        QString::fromUtf16(u"カメラがネットワークに接続されていることを確認してから、"
                           u"<br>ORB-780Z</br>セットアップウィザードを開始してください。"));
    const int normal = label.contentHeight();
    label.setAlternativeLineLayout(true);
    const int alternative = label.contentHeight();
    EXPECT_GT(alternative, normal);
    EXPECT_LE(Ink(Render(label), Opaque).right(), 199);
}

TEST(ApproStatic, AlignsLeftCentreRightInItsOpaqueColour) {
    controls::CApproStatic label(nullptr);
    label.resize(300, 30);
    label.setText(QStringLiteral("Time zone"));
    label.setTextColor(QColor(10, 100, 200, 60));  // alpha is ignored
    label.setAlignment(controls::CApproStatic::Align::Left);
    const QRect left = Ink(Render(label), Opaque);
    EXPECT_LE(left.left(), 2);
    EXPECT_EQ(label.textColor().alpha(), 255);
    label.setAlignment(controls::CApproStatic::Align::Centre);
    EXPECT_NEAR(Ink(Render(label), Opaque).center().x(), 150, 2);
    label.setAlignment(controls::CApproStatic::Align::Right);
    EXPECT_GE(Ink(Render(label), Opaque).right(), 296);
    const QImage shown = Render(label, Qt::white);
    const QRect dark = Ink(shown, [](QColor c) { return c == QColor(10, 100, 200); });
    EXPECT_FALSE(dark.isEmpty()) << "solid pixels carry the exact colour";
}

TEST(ApproStatic, SecondTextBelowTheFirstInTheRegularStyle) {
    controls::CApproStatic label(nullptr);
    label.resize(300, 80);
    label.useVerdana(16, true);
    label.setText(QStringLiteral("ORB-780Z"));
    const QRect first = Ink(Render(label), Opaque);
    label.setSecondText(QStringLiteral("ORB-780Z"));
    const QRect both = Ink(Render(label), Opaque);
    EXPECT_EQ(both.top(), first.top());
    EXPECT_GT(both.bottom(), first.bottom() + 10);
}

TEST(ApproStatic, FontPresetsFallBackFromVerdanaAndTahomaToArial) {
    controls::CApproStatic label(nullptr);
    EXPECT_EQ(label.textFont().family(), Fallback(QStringLiteral("Verdana")));
    label.useTahoma14Bold();
    EXPECT_EQ(label.textFont().family(), Fallback(QStringLiteral("Tahoma")));
    EXPECT_EQ(label.textFont().pixelSize(), 14);
    EXPECT_TRUE(label.textFont().bold());
    label.useVerdana32();
    EXPECT_EQ(label.textFont().family(), Fallback(QStringLiteral("Verdana")));
    EXPECT_EQ(label.textFont().pixelSize(), 32);
    EXPECT_FALSE(label.textFont().bold());
    label.setUnderline(true);
    EXPECT_TRUE(label.textFont().underline());
    label.setFontFamily(QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(label.textFont().family(), QStringLiteral("DejaVu Sans"));

    controls::CBaseStatic base(nullptr);
    base.setFontFamily(QStringLiteral("Verdana"));
    EXPECT_EQ(base.textFont().family(), Fallback(QStringLiteral("Verdana")));
}

TEST(ApproStatic, MeasuresWithTheEllipsisAndElidesToFit) {
    controls::CApproStatic label(nullptr);
    label.setText(QStringLiteral("Recorder"));
    EXPECT_EQ(label.accessibleName(), QStringLiteral("Recorder"));
    const QFontMetricsF metrics(label.textFont());
    EXPECT_GT(label.measureText().width(), metrics.horizontalAdvance(QStringLiteral("Recorder")));

    const QFont font = label.textFont();
    const QString text = QStringLiteral("A recorder name that is far too long for its column");
    EXPECT_EQ(controls::CApproStatic::ElideToWidth(text, font, 2000), text);
    for (qreal width : {40.0, 120.0, 250.0}) {
        const QString shown = controls::CApproStatic::ElideToWidth(text, font, width);
        ASSERT_TRUE(shown.endsWith(QStringLiteral("..."))) << width;
        const QString kept = shown.chopped(3);
        EXPECT_TRUE(text.startsWith(kept));
        EXPECT_LE(metrics.horizontalAdvance(shown), width);
        // One more character would not fit.
        EXPECT_GT(metrics.horizontalAdvance(text.left(kept.size() + 1) + QStringLiteral("...")),
                  width);
    }
}

TEST(TitleStatic, AccentBlueVerdanaThirtyTwoVerticallyCentred) {
    controls::CTitleStatic title(nullptr);
    title.resize(500, 80);
    title.setText(QStringLiteral("Hard drive"));
    EXPECT_EQ(title.textFont().pixelSize(), 32);
    EXPECT_FALSE(title.textFont().bold());
    const QImage shown = Render(title, Qt::white);
    const QRect accent = Ink(shown, [](QColor c) { return c == QColor(42, 169, 209); });
    ASSERT_FALSE(accent.isEmpty());
    EXPECT_LE(accent.left(), 4);
    EXPECT_NEAR(accent.center().y(), 40, 6);
}

TEST(ApproStatic2, PaintsOverTheBackgroundItCoveredAtFirstPaint) {
    SolidParent page(QColor(0, 128, 0));
    controls::CApproStatic2 label(&page);
    label.setGeometry(20, 20, 200, 30);
    label.setTextColor(Qt::white);
    label.setText(QStringLiteral("Formatting"));
    const QImage shown = Render(label, QColor(255, 0, 255));
    EXPECT_EQ(shown.pixelColor(199, 29), QColor(0, 128, 0));
    EXPECT_FALSE(Ink(shown, [](QColor c) { return c == QColor(Qt::white); }).isEmpty());
    // A new text repaints over the same copy, not over the previous text.
    label.setText(QStringLiteral("."));
    const QImage again = Render(label, QColor(255, 0, 255));
    EXPECT_EQ(again.pixelColor(150, 15), QColor(0, 128, 0));
}

TEST(ApproStatic2, KeepsItsBackgroundSharpAtTwoTimes) {
    SolidParent page(QColor(0, 128, 0), true);
    controls::CApproStatic2 label(&page);
    label.setGeometry(20, 20, 200, 30);
    const QImage shown = Render(label, QColor(255, 0, 255), 2.0);
    ASSERT_EQ(shown.size(), QSize(400, 60));
    EXPECT_EQ(shown.pixelColor(100, 10), QColor(0, 128, 0));
    EXPECT_EQ(shown.pixelColor(100, 11), QColor(Qt::black));
}

TEST(RectStatic, WhiteInsideATwoPixelRedFrame) {
    controls::CRectStatic frame(nullptr);
    frame.resize(60, 30);
    const QImage shown = Render(frame);
    const QColor red(255, 0, 0);
    for (QPoint p : {QPoint(0, 15), QPoint(1, 15), QPoint(58, 15), QPoint(59, 15), QPoint(30, 0),
                     QPoint(30, 1), QPoint(30, 28), QPoint(30, 29)}) {
        EXPECT_EQ(shown.pixelColor(p), red) << p.x() << "," << p.y();
    }
    for (QPoint p : {QPoint(2, 15), QPoint(57, 15), QPoint(30, 2), QPoint(30, 15)}) {
        EXPECT_EQ(shown.pixelColor(p), QColor(Qt::white)) << p.x() << "," << p.y();
    }
    EXPECT_NE(shown.pixelColor(0, 0), red) << "the corners are rounded";
}

TEST(RoundBack, FillOutlineAndCaptionInsetFiveVerticallyCentred) {
    controls::CRoundBack panel(nullptr);
    panel.resize(200, 40);
    panel.setFillColor(QColor(240, 240, 240));
    panel.setOutline(6, QColor(196, 196, 196), 1);
    panel.setCaption(QStringLiteral("HD1"));
    panel.setCaptionColor(QColor(0, 0, 0));
    EXPECT_EQ(panel.accessibleName(), QStringLiteral("HD1"));
    const QImage shown = Render(panel);
    EXPECT_EQ(shown.pixelColor(150, 20), QColor(240, 240, 240));
    EXPECT_EQ(shown.pixelColor(100, 0), QColor(196, 196, 196));
    EXPECT_LT(shown.pixelColor(0, 0).alpha(), 128);
    const QRect caption =
        Ink(Render(panel, Qt::white), [](QColor c) { return c.lightness() < 100; });
    ASSERT_FALSE(caption.isEmpty());
    EXPECT_GE(caption.left(), 5);
    EXPECT_LE(caption.left(), 8);
    EXPECT_NEAR(caption.center().y(), 20, 3);
}
