#include "controls/CStateButton.h"

#include <QAccessible>
#include <QDialog>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QPainter>

#include "platform/Desktop.h"
#include "platform/MessageWindow.h"

namespace controls {
namespace {

constexpr QColor kGradientTop(51, 139, 194);
constexpr QColor kGradientBottom(0, 88, 143);
constexpr QColor kCaption(255, 255, 255);
constexpr QColor kFocusMark(255, 255, 255, 160);
constexpr int kFocusInset = 3;

}  // namespace

int ButtonState(bool enabled, bool latched, bool pressed, bool hovered) {
    if (!enabled) {
        return 0;
    }
    if (latched || pressed) {
        return 2;
    }
    return hovered ? 3 : 1;
}

platform::WindowId MessageTargetOf(const QWidget* widget) {
    for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        if (auto* page = dynamic_cast<const platform::MessageWindow<QWidget>*>(w)) {
            return page->windowId();
        }
        if (auto* dialog = dynamic_cast<const platform::MessageWindow<QDialog>*>(w)) {
            return dialog->windowId();
        }
    }
    return 0;
}

CStateButton::CStateButton(int controlId, QWidget* parent)
    : QAbstractButton(parent), controlId_(controlId) {
    setObjectName(QStringLiteral("id%1").arg(controlId));
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
    // Tab only: a mouse click must leave Enter and Esc with the page.
    setFocusPolicy(Qt::TabFocus);
    // Connected first so the web address and the latch come before the page's own handler.
    connect(this, &QAbstractButton::clicked, this, &CStateButton::onClicked);
}

int CStateButton::state() const {
    return ButtonState(isEnabled(), latched_, isDown(), hovered_);
}

bool CStateButton::LoadStateImage(int slot, int resourceId) {
    if (slot < 0 || slot >= kSlotCount) {
        return false;
    }
    ResourcePicture& picture = slots_[static_cast<size_t>(slot)];
    picture = ResourcePicture(resourceId, ResourcePicture::DeviceRatioOf(*this));
    update();
    return !picture.isNull();
}

void CStateButton::LoadStateImages(const std::array<int, 4>& resourceIds) {
    setBackgroundMode(kPictures);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        LoadStateImage(slot, resourceIds[static_cast<size_t>(slot)]);
    }
}

void CStateButton::setStateImage(int slot, const QImage& image) {
    if (slot < 0 || slot >= kSlotCount) {
        return;
    }
    slots_[static_cast<size_t>(slot)] = ResourcePicture(image);
    update();
}

const QImage& CStateButton::stateImage(int slot) const {
    static const QImage kNone;
    return slot >= 0 && slot < kSlotCount ? slots_[static_cast<size_t>(slot)].image() : kNone;
}

void CStateButton::setBackgroundMode(int mode) {
    backgroundMode_ = mode;
    update();
}

void CStateButton::setLatched(bool latched) {
    if (latched_ != latched) {
        latched_ = latched;
        update();
        if (mode_ != Mode::kPush && QAccessible::isActive()) {
            QAccessible::State changed;
            changed.checked = true;
            QAccessibleStateChangeEvent event(this, changed);
            QAccessible::updateAccessibility(&event);
        }
    }
}

void CStateButton::setCheckMode(bool notify) {
    mode_ = Mode::kCheck;
    notify_ = notify;
}

void CStateButton::setRadioMode(std::intptr_t value) {
    mode_ = Mode::kRadio;
    radioValue_ = value;
}

void CStateButton::setPushMode() {
    mode_ = Mode::kPush;
}

void CStateButton::onClicked() {
    if (!webAddress_.isEmpty()) {
        platform::OpenUrl(webAddress_);
    }
    switch (mode_) {
        case Mode::kCheck:
            setLatched(!latched_);
            if (notify_) {
                post(kCheckNotice);
            }
            break;
        case Mode::kRadio:
            if (!latched_) {
                setLatched(true);
                post(radioValue_);
            }
            break;
        case Mode::kPush:
            break;
    }
}

platform::WindowId CStateButton::messageTarget() const {
    return messageTarget_ != 0 ? messageTarget_ : MessageTargetOf(parentWidget());
}

void CStateButton::post(std::intptr_t wParam) {
    if (const platform::WindowId target = messageTarget()) {
        platform::PostMessage(target, kLatchMessage, wParam);
    }
}

void CStateButton::drawSlot(QPainter& painter, int slot, qreal opacity) {
    if (slot < 0 || slot >= kSlotCount) {
        return;
    }
    const QImage& image = slots_[static_cast<size_t>(slot)].image(painter);
    if (image.isNull()) {
        return;
    }
    painter.save();
    painter.setOpacity(opacity);
    painter.drawImage(QRectF(rect()), image);
    painter.restore();
}

void CStateButton::drawGradient(QPainter& painter) {
    QLinearGradient fill(0, 0, 0, height());
    fill.setColorAt(0, kGradientTop);
    fill.setColorAt(1, kGradientBottom);
    painter.fillRect(rect(), fill);
}

void CStateButton::drawCaption(QPainter& painter) {
    if (text().isEmpty()) {
        return;
    }
    painter.setFont(captionFont());
    painter.setPen(kCaption);
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text());
}

void CStateButton::paintEvent(QPaintEvent*) {
    // Transparent parts show the page: Qt paints the parent under a non-opaque child, which
    // is what capturing the background at first paint achieves elsewhere.
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    const int s = state();
    if (backgroundMode_ == kGradient) {
        // A disabled blue button must not look pressable.
        painter.setOpacity(s == 0 ? 0.5 : 1.0);
        drawGradient(painter);
        painter.setOpacity(1.0);
    } else if (backgroundMode_ == kPictures) {
        drawFace(painter, s);
    }
    drawCaption(painter);
    if (hasFocus()) {
        painter.setPen(QPen(kFocusMark, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect()).adjusted(kFocusInset + 0.5, kFocusInset + 0.5,
                                                 -kFocusInset - 0.5, -kFocusInset - 0.5));
    }
}

void CStateButton::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && !event->isAutoRepeat()) {
        if (isEnabled()) {
            click();
        }
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void CStateButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void CStateButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    if (!latched_) {
        update();
    }
    QAbstractButton::leaveEvent(event);
}

}  // namespace controls
