#include "pages/CPageBase.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <array>

#include "controls/CApproButton.h"
#include "controls/CIconButton.h"
#include "controls/CPageIndicator.h"
#include "controls/Fonts.h"
#include "controls/ResourceImage.h"
#include "controls/SidePageLook.h"
#include "shell/CInterDialog.h"
#include "shell/CTransparentPage.h"
#include "shell/LanguagePack.h"
#include "shell/Messages.h"

namespace {

constexpr QRect kMinimiseRect(786, 0, 37, 29);
constexpr QRect kCloseRect(823, 0, 37, 29);
// Corner button pictures by slot: disabled, normal, pressed, hover.
constexpr std::array<int, 4> kMinimisePictures{3037, 3034, 3036, 3035};
constexpr std::array<int, 4> kClosePictures{3041, 3038, 3040, 3039};
constexpr QRect kStepRect(604, 83, 200, 30);
constexpr int kStepCount = 11;
constexpr QRect kTitleRect(72, 68, 678 - 72, 106 - 68);
constexpr QColor kTitleColour(42, 169, 209);
constexpr int kTitleSize = 32;
constexpr QRect kBodyRect(76, 378, 750 - 76, 450 - 378);
constexpr QColor kBodyColour(72, 72, 72);
constexpr int kBodySize = 14;
constexpr int kBackRight = 410;
constexpr int kNextLeft = 448;
constexpr int kButtonTop = 536;
constexpr int kButtonHeight = 43;
constexpr int kButtonPadding = 40;
constexpr QRect kVersionRect(770, 600, 860 - 770, 660 - 600);
constexpr QColor kVersionColour(181, 181, 181);
const QString kVersion = QStringLiteral("V 2.03.02");

}  // namespace

CPageBase::CPageBase(CInterDialog& host, const PageLook& look)
    : MessageWindow<QWidget>(&host), host_(host), look_(look) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    if (look_.backgroundId != 0) {
        background_ = controls::ResourceImage(look_.backgroundId);
    }
    minimise_ =
        new controls::CIconButton(kMinimiseId, controls::CIconButton::Glyph::Minimise, this);
    minimise_->setGeometry(kMinimiseRect);
    connect(minimise_, &QAbstractButton::clicked, this, [this] { onMinimise(); });
    close_ = new controls::CIconButton(kCloseId, controls::CIconButton::Glyph::Close, this);
    close_->setGeometry(kCloseRect);
    connect(close_, &QAbstractButton::clicked, this, [this] { onClose(); });
    minimise_->LoadStateImages(kMinimisePictures);
    close_->LoadStateImages(kClosePictures);
    if (look_.step > 0) {
        auto* steps = new controls::CPageIndicator(this);
        steps->setGeometry(kStepRect);
        steps->setCount(kStepCount);
        steps->setCurrent(look_.step);
    }
    if (look_.back) {
        back_ = new controls::CApproButton(kBackId, this);
        controls::DressCaptionButton(*back_);
        connect(back_, &QAbstractButton::clicked, this, [this] { onBack(); });
    }
    if (look_.next) {
        next_ = new controls::CApproButton(kNextId, this);
        controls::DressCaptionButton(*next_);
        connect(next_, &QAbstractButton::clicked, this, [this] { onNext(); });
    }
    CPageBase::retranslate();
}

CPageBase::~CPageBase() = default;

void CPageBase::retranslate() {
    title_ = look_.titleKey ? shell::LookupText(look_.titleKey, look_.titleFallback) : QString();
    body_ = look_.bodyKey ? shell::LookupText(look_.bodyKey, look_.bodyFallback) : QString();
    if (back_) {
        back_->setText(QStringLiteral("<   ") + shell::LookupText(u"Back", u"Back"));
        back_->setAccessibleName(shell::LookupText(u"Back", u"Back"));
    }
    if (next_) {
        next_->setText(shell::LookupText(u"Next", u"Next") + QStringLiteral("   >"));
        next_->setAccessibleName(shell::LookupText(u"Next", u"Next"));
    }
    placeNavigationButtons();
    update();
}

void CPageBase::placeNavigationButtons() {
    // Back and Next share one width: the wider caption with room to spare.
    int width = 0;
    for (auto* button : {back_, next_}) {
        if (button) {
            width = std::max(width, button->captionWidth(kButtonPadding));
        }
    }
    if (back_) {
        back_->setGeometry(kBackRight - width, kButtonTop, width, kButtonHeight);
    }
    if (next_) {
        next_->setGeometry(kNextLeft, kButtonTop, width, kButtonHeight);
    }
}

void CPageBase::postToHost(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam) {
    platform::PostMessage(host_.windowId(), message, wParam, lParam);
}

void CPageBase::navigate(std::intptr_t action, std::intptr_t count) {
    postToHost(msg::kNavigate, action, count);
}

void CPageBase::onClose() {
    navigate(msg::kClose);
    hide();
}

void CPageBase::onMinimise() {
    navigate(msg::kMinimise);
}

void CPageBase::onNext() {
    navigate(msg::kNext);
}

void CPageBase::onBack() {
    navigate(msg::kBack);
}

int CPageBase::showOverlay(int kind, const overlay::OverlayData& data, overlay::SidePage sidePage) {
    QPointer<CPageBase> self(this);
    const int result = CTransparentPage::Show(this, kind, data, std::move(sidePage));
    if (self) {
        onOverlayResult(kind, result);
    }
    return result;
}

void CPageBase::onOverlayResult(int, int) {}

void CPageBase::messageEvent(platform::WindowMessageEvent& event) {
    if (event.message() == msg::kShowOverlay) {
        showOverlay(static_cast<int>(event.wParam()));
    }
}

void CPageBase::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (background_.isNull()) {
        painter.fillRect(rect(), Qt::white);
    } else {
        painter.drawImage(rect(), background_);
    }
    if (!title_.isEmpty()) {
        painter.setFont(controls::UiFont(kTitleSize));
        painter.setPen(kTitleColour);
        painter.drawText(kTitleRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, title_);
    }
    if (!body_.isEmpty()) {
        painter.setFont(controls::UiFont(kBodySize));
        painter.setPen(kBodyColour);
        QString plain = body_;
        plain.remove(QStringLiteral("<br>")).remove(QStringLiteral("</br>"));
        painter.drawText(kBodyRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, plain);
    }
    painter.setFont(controls::UiFont(kBodySize));
    painter.setPen(kVersionColour);
    painter.drawText(kVersionRect, Qt::AlignLeft | Qt::AlignTop, kVersion);
}

void CPageBase::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragging_ = true;
        lastCursor_ = event->globalPosition().toPoint();
    }
    QWidget::mousePressEvent(event);
}

void CPageBase::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) {
        return;
    }
    const QPoint cursor = event->globalPosition().toPoint();
    const QPoint to = window()->pos() + (cursor - lastCursor_);
    lastCursor_ = cursor;
    postToHost(msg::kMoved, to.x(), to.y());
}

void CPageBase::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragging_ = false;
    }
    QWidget::mouseReleaseEvent(event);
}

void CPageBase::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            onClose();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (auto* button = defaultButton(); button && button->isEnabled()) {
                button->click();
                return;
            }
            break;
        default:
            break;
    }
    QWidget::keyPressEvent(event);
}
