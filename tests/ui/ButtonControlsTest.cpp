#include <QAccessible>
#include <QCoreApplication>
#include <QEnterEvent>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "controls/CApproButton.h"
#include "controls/CApproButton2.h"
#include "controls/CApproButton3.h"
#include "controls/CApproButton4.h"
#include "controls/CIconButton.h"
#include "controls/CImageButton.h"
#include "platform/Desktop.h"
#include "platform/MessageWindow.h"

using controls::CStateButton;

namespace {

constexpr QSize kButtonSize(120, 40);
const QColor kSlotColours[4] = {QColor(200, 0, 0), QColor(0, 0, 200), QColor(0, 160, 0),
                                QColor(230, 180, 0)};

// A page stand-in that records the messages its controls post.
class Receiver : public platform::MessageWindow<QWidget> {
public:
    Receiver() : MessageWindow<QWidget>(nullptr) { resize(400, 300); }
    std::vector<std::pair<std::uint32_t, std::intptr_t>> messages;

protected:
    void messageEvent(platform::WindowMessageEvent& event) override {
        messages.emplace_back(event.message(), event.wParam());
    }
};

QImage Solid(const QColor& colour, QSize size = QSize(12, 8)) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

// The button as the page shows it, over a backdrop of one colour.
QImage Render(QWidget& widget, const QColor& backdrop = Qt::white, qreal ratio = 1.0) {
    QImage image(widget.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(backdrop);
    widget.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

bool Near(QColor a, QColor b, int tolerance = 2) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

QColor Blend(QColor over, QColor under, qreal alpha) {
    auto mix = [alpha](int a, int b) { return qRound(a * alpha + b * (1 - alpha)); };
    return QColor(mix(over.red(), under.red()), mix(over.green(), under.green()),
                  mix(over.blue(), under.blue()));
}

QColor Middle(const QImage& image) {
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

void Hover(QWidget& widget, bool on) {
    if (on) {
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QCoreApplication::sendEvent(&widget, &enter);
    } else {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(&widget, &leave);
    }
}

void LoadAllSlots(CStateButton& button) {
    for (int slot = 0; slot < 4; ++slot) {
        button.setStateImage(slot, Solid(kSlotColours[slot]));
    }
    button.setBackgroundMode(CStateButton::kPictures);
    button.resize(kButtonSize);
}

// Puts the button in `state` (0 disabled, 1 normal, 2 pressed, 3 hover).
void Enter(CStateButton& button, int state) {
    button.setEnabled(state != 0);
    button.setDown(state == 2);
    Hover(button, state == 3);
    ASSERT_EQ(button.state(), state);
}

}  // namespace

TEST(ButtonState, DisabledWinsThenLatchedOrPressedThenHover) {
    using controls::ButtonState;
    for (bool latched : {false, true}) {
        for (bool pressed : {false, true}) {
            for (bool hovered : {false, true}) {
                EXPECT_EQ(ButtonState(false, latched, pressed, hovered), 0);
                EXPECT_EQ(ButtonState(true, latched, pressed, hovered),
                          latched || pressed ? 2 : (hovered ? 3 : 1));
            }
        }
    }
}

TEST(ButtonState, FollowsEnableHoverPressAndLatch) {
    Receiver page;
    controls::CApproButton2 button(1, &page);
    EXPECT_EQ(button.state(), 1);
    Hover(button, true);
    EXPECT_EQ(button.state(), 3);
    button.setDown(true);
    EXPECT_EQ(button.state(), 2);
    button.setDown(false);
    Hover(button, false);
    button.setLatched(true);
    EXPECT_EQ(button.state(), 2);
    button.setEnabled(false);
    EXPECT_EQ(button.state(), 0);
}

TEST(ButtonPictures, ApproButtonHalfOpacityWhenDisabledAndCaptionOnlyWithoutSlotZero) {
    Receiver page;
    controls::CApproButton button(1, &page);
    button.setBackgroundMode(CStateButton::kPictures);
    button.resize(kButtonSize);
    const QColor normal = kSlotColours[1];
    button.setStateImage(0, Solid(normal));
    button.setStateImage(1, Solid(normal));
    for (int state : {1, 2, 3}) {
        Enter(button, state);
        EXPECT_TRUE(Near(Render(button).pixelColor(3, 3), normal)) << state;
    }
    Enter(button, 0);
    EXPECT_TRUE(Near(Render(button).pixelColor(3, 3), Blend(normal, Qt::white, 0.5)));

    button.setStateImage(0, QImage());
    button.setText(QStringLiteral("OK"));
    const QImage shown = Render(button, Qt::black);
    EXPECT_EQ(shown.pixelColor(3, 3), QColor(Qt::black));
    int white = 0;
    for (int x = 0; x < shown.width(); ++x) {
        white += shown.pixelColor(x, shown.height() / 2).lightness() > 200 ? 1 : 0;
    }
    EXPECT_GT(white, 0) << "the caption is still drawn";
}

TEST(ButtonPictures, EachClassDrawsItsSlotForEachState) {
    Receiver page;
    const QColor white(Qt::white);
    struct Case {
        CStateButton* button;
        QColor expected[4];
    };
    auto* two = new controls::CApproButton2(1, &page);
    auto* three = new controls::CApproButton3(2, &page);
    auto* four = new controls::CApproButton4(3, &page);
    auto* icon = new controls::CIconButton(4, &page);
    const QColor* c = kSlotColours;
    const Case cases[] = {
        {two, {c[0], c[1], c[2], c[1]}},
        {three, {c[0], c[1], c[2], c[1]}},
        {four, {c[0], c[1], Blend(c[1], white, 0.5), c[1]}},
        {icon, {c[0], c[1], Blend(c[2], white, 0.6), c[3]}},
    };
    for (const Case& k : cases) {
        LoadAllSlots(*k.button);
        for (int state = 0; state < 4; ++state) {
            Enter(*k.button, state);
            const QColor got = Middle(Render(*k.button));
            EXPECT_TRUE(Near(got, k.expected[state]))
                << k.button->metaObject()->className() << " state " << state << " got "
                << got.name().toStdString();
        }
    }
}

TEST(ButtonPictures, HoverDrawsTheNormalPictureOverTheHoverPicture) {
    Receiver page;
    for (CStateButton* button : std::initializer_list<CStateButton*>{
             new controls::CApproButton2(1, &page), new controls::CApproButton3(2, &page)}) {
        LoadAllSlots(*button);
        // A normal face whose left half is transparent lets the hover face show there.
        QImage normal = Solid(kSlotColours[1], QSize(20, 10));
        {
            QPainter p(&normal);
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.fillRect(0, 0, 10, 10, Qt::transparent);
        }
        button->setStateImage(1, normal);
        Enter(*button, 3);
        const QImage shown = Render(*button);
        EXPECT_TRUE(Near(shown.pixelColor(10, 20), kSlotColours[3]));
        EXPECT_TRUE(Near(shown.pixelColor(110, 20), kSlotColours[1]));
    }
}

TEST(ButtonPictures, PicturesStretchToTheButtonAtOneAndTwoTimes) {
    Receiver page;
    controls::CApproButton4 button(1, &page);
    LoadAllSlots(button);
    for (qreal ratio : {1.0, 2.0}) {
        const QImage shown = Render(button, Qt::black, ratio);
        ASSERT_EQ(shown.size(), kButtonSize * ratio);
        for (QPoint p : {QPoint(0, 0), QPoint(shown.width() - 1, shown.height() - 1)}) {
            EXPECT_TRUE(Near(shown.pixelColor(p), kSlotColours[1])) << ratio;
        }
    }
}

TEST(ButtonPictures, GradientRunsFromTopBlueToBottomBlue) {
    Receiver page;
    controls::CApproButton button(1, &page);
    EXPECT_EQ(button.backgroundMode(), CStateButton::kGradient);
    button.resize(kButtonSize);
    const QImage shown = Render(button, Qt::black);
    for (int x : {0, 60, 119}) {
        EXPECT_TRUE(Near(shown.pixelColor(x, 0), QColor(51, 139, 194))) << x;
        EXPECT_TRUE(Near(shown.pixelColor(x, 39), QColor(0, 88, 143))) << x;
    }
    // Mode 1 draws no face at all.
    button.setBackgroundMode(CStateButton::kCaptionOnly);
    EXPECT_EQ(Render(button, Qt::black).pixelColor(60, 0), QColor(Qt::black));
}

TEST(ButtonCaption, WhiteAndCentredInTheBoldFontOfItsClass) {
    Receiver page;
    controls::CApproButton button(1, &page);
    button.setBackgroundMode(CStateButton::kCaptionOnly);
    button.resize(kButtonSize);
    button.setText(QStringLiteral("NEXT"));
    const QImage shown = Render(button, Qt::black);
    QRect ink;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const QColor p = shown.pixelColor(x, y);
            if (p.lightness() > 128) {
                EXPECT_TRUE(std::abs(p.red() - p.blue()) < 8) << "white, not tinted";
                ink = ink.united(QRect(x, y, 1, 1));
            }
        }
    }
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_NEAR(ink.center().x(), 60, 2);
    EXPECT_NEAR(ink.center().y(), 20, 3);

    EXPECT_TRUE(button.captionFont().bold());
    EXPECT_EQ(button.captionFont().pixelSize(), 14);
    button.setLargeMode(true);
    EXPECT_EQ(button.captionFont().pixelSize(), 16);
    EXPECT_EQ(controls::CApproButton2(2, &page).captionFont().pixelSize(), 16);
    EXPECT_EQ(controls::CApproButton3(3, &page).captionFont().pixelSize(), 16);
    controls::CApproButton4 four(4, &page);
    four.setCaptionSize(18);
    EXPECT_EQ(four.captionFont().pixelSize(), 18);
    EXPECT_TRUE(four.captionFont().bold());
    const QString expected = platform::IsFontInstalled(QStringLiteral("Verdana"))
                                 ? QStringLiteral("Verdana")
                                 : QStringLiteral("Arial");
    EXPECT_EQ(button.captionFont().family(), expected);
}

TEST(ButtonCaption, MeasureTextGrowsWithTheCaptionAndItsFont) {
    Receiver page;
    controls::CApproButton button(1, &page);
    button.setText(QStringLiteral("OK"));
    const qreal shortWidth = button.measureText().width();
    button.setText(QStringLiteral("OK OK OK"));
    const qreal longWidth = button.measureText().width();
    EXPECT_GT(longWidth, shortWidth * 2);
    button.setLargeMode(true);
    EXPECT_GT(button.measureText().width(), longWidth);
    EXPECT_EQ(button.captionWidth(40),
              static_cast<int>(std::ceil(button.measureText().width())) + 40);
}

TEST(ButtonModes, CheckModeTogglesAndPostsFourOnlyWhenAskedTo) {
    Receiver page;
    auto* button = new controls::CApproButton2(1, new QWidget(&page));  // page two levels up
    button->setCheckMode(true);
    button->click();
    EXPECT_TRUE(button->isLatched());
    EXPECT_EQ(button->state(), 2);
    button->click();
    EXPECT_FALSE(button->isLatched());
    QCoreApplication::processEvents();
    using Posted = std::vector<std::pair<std::uint32_t, std::intptr_t>>;
    EXPECT_EQ(page.messages, (Posted{{1127, 4}, {1127, 4}}));

    page.messages.clear();
    button->setCheckMode(false);
    button->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(button->isLatched());
    EXPECT_TRUE(page.messages.empty());
}

TEST(ButtonModes, RadioModeLatchesAndPostsItsValueOnce) {
    Receiver page;
    controls::CApproButton3 button(1, &page);
    button.setRadioMode(7);
    int clicks = 0;
    QObject::connect(&button, &QAbstractButton::clicked, [&] { ++clicks; });
    button.click();
    button.click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(button.isLatched());
    EXPECT_EQ(clicks, 2) << "the page still hears every click";
    using Posted = std::vector<std::pair<std::uint32_t, std::intptr_t>>;
    EXPECT_EQ(page.messages, (Posted{{1127, 7}}));
    // Unlatched by its page, it posts again.
    button.setLatched(false);
    button.click();
    QCoreApplication::processEvents();
    EXPECT_EQ(page.messages.size(), 2u);
}

TEST(ButtonModes, LatchIsSetBeforeThePageHearsTheClick) {
    Receiver page;
    controls::CApproButton button(1, &page);
    button.setCheckMode(false);
    bool latchedWhenClicked = false;
    QObject::connect(&button, &QAbstractButton::clicked,
                     [&] { latchedWhenClicked = button.isLatched(); });
    button.click();
    EXPECT_TRUE(latchedWhenClicked);
}

TEST(ImageButton, FillsItsColourDrawsItsPictureAndPostsItsIdValue) {
    Receiver page;
    controls::CImageButton button(1201, &page);
    button.resize(40, 40);
    button.setBackgroundColor(QColor(10, 20, 30));
    button.setPicture(Solid(QColor(0, 200, 0, 0)));  // fully transparent picture
    EXPECT_EQ(Render(button, Qt::white).pixelColor(20, 20), QColor(10, 20, 30));
    button.setPicture(Solid(QColor(0, 200, 0)));
    EXPECT_TRUE(Near(Render(button).pixelColor(20, 20), QColor(0, 200, 0)));

    button.click();
    button.setIdValue(42);
    button.click();
    QCoreApplication::processEvents();
    using Posted = std::vector<std::pair<std::uint32_t, std::intptr_t>>;
    EXPECT_EQ(page.messages, (Posted{{1125, 1201}, {1125, 42}}));
}

TEST(ButtonAccess, HandCursorTabFocusAndCaptionAsAccessibleName) {
    Receiver page;
    std::vector<CStateButton*> buttons = {
        new controls::CApproButton(1, &page),  new controls::CApproButton2(2, &page),
        new controls::CApproButton3(3, &page), new controls::CApproButton4(4, &page),
        new controls::CIconButton(5, &page),   new controls::CImageButton(6, &page)};
    for (CStateButton* button : buttons) {
        button->setText(QStringLiteral("Apply"));
        EXPECT_EQ(button->cursor().shape(), Qt::PointingHandCursor);
        EXPECT_TRUE(button->focusPolicy() & Qt::TabFocus);
        QAccessibleInterface* access = QAccessible::queryAccessibleInterface(button);
        ASSERT_NE(access, nullptr);
        EXPECT_EQ(access->text(QAccessible::Name), QStringLiteral("Apply"));
        EXPECT_EQ(access->role(), QAccessible::Button);
    }
}

TEST(IconButton, KeepsItsGlyphWithoutPicturesAndDrawsItsIcon) {
    Receiver page;
    controls::CIconButton close(2, controls::CIconButton::Glyph::Close, &page);
    close.resize(37, 29);
    Enter(close, 3);
    EXPECT_EQ(Render(close).pixelColor(1, 1), QColor(223, 4, 15));
    EXPECT_EQ(close.accessibleName(), QStringLiteral("Close"));

    controls::CIconButton button(5, &page);
    button.resize(100, 30);
    button.setIconImage(Solid(QColor(0, 0, 255), QSize(12, 12)));
    const QImage shown = Render(button);
    EXPECT_EQ(shown.pixelColor(13, 15), QColor(Qt::white));
    EXPECT_TRUE(Near(shown.pixelColor(14, 9), QColor(0, 0, 255)));
    EXPECT_TRUE(Near(shown.pixelColor(25, 20), QColor(0, 0, 255)));
    EXPECT_EQ(shown.pixelColor(26, 15), QColor(Qt::white));
}

TEST(ButtonPictures, LoadStateImageReportsMissingResources) {
    Receiver page;
    controls::CApproButton2 button(1, &page);
    button.setStateImage(1, Solid(Qt::red));
    EXPECT_FALSE(button.LoadStateImage(1, 999999));
    EXPECT_TRUE(button.stateImage(1).isNull()) << "a failed load replaces the slot";
    button.setStateImage(7, Solid(Qt::red));  // out of range: ignored
    EXPECT_TRUE(button.stateImage(7).isNull());
}
