#include "pages/CPageBase.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <array>

#include "controls/CApproButton.h"
#include "controls/CBaseStatic2.h"
#include "controls/CIconButton.h"
#include "controls/CLinkStatic.h"
#include "controls/CPageIndicator.h"
#include "controls/CTitleStatic.h"
#include "controls/Fonts.h"
#include "controls/SidePageLook.h"
#include "shell/CInterDialog.h"
#include "shell/CTransparentPage.h"
#include "shell/LanguagePack.h"
#include "shell/Messages.h"
#include "shell/Product.h"

namespace {

constexpr QRect kMinimiseRect(786, 0, 37, 29);
constexpr QRect kCloseRect(823, 0, 37, 29);
// Corner button pictures by slot: disabled, normal, pressed, hover.
constexpr std::array<int, 4> kMinimisePictures{3037, 3034, 3036, 3035};
constexpr std::array<int, 4> kClosePictures{3041, 3038, 3040, 3039};
constexpr QRect kStepRect(604, 83, 200, 30);
constexpr int kStepCount = 11;
constexpr QRect kTitleRect(72, 68, 678 - 72, 106 - 68);
constexpr int kBackRight = 410;
constexpr int kNextLeft = 448;
constexpr int kButtonTop = 536;
constexpr int kButtonHeight = 43;
constexpr int kButtonPadding = 40;
constexpr QRect kVersionRect(770, 600, 860 - 770, 660 - 600);
constexpr QColor kVersionColour(181, 181, 181);
constexpr int kVersionSize = 14;
const QString kVersion = QString::fromUtf16(product::kVersion);
// Home has no title; screen readers hear the window's name instead.
const QString kUntitledName = QStringLiteral("Setup Wizard");

}  // namespace

CPageBase::CPageBase(CInterDialog& host, const PageLook& look)
    : MessageWindow<QWidget>(&host), host_(host), look_(look) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    if (look_.backgroundId != 0) {
        background_ = controls::ResourcePicture(look_.backgroundId);
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
    if (look_.titleKey != nullptr) {
        title_ = new controls::CTitleStatic(this);
        title_->setObjectName(QStringLiteral("title"));
        title_->setGeometry(kTitleRect);
        title_->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    if (look_.bodyKey != nullptr && look_.bodyKind == BodyKind::Link) {
        bodyLink_ = new controls::CLinkStatic(this, look_.bodyLinkKind);
        bodyLink_->setObjectName(QStringLiteral("body"));
        bodyLink_->setTextFont(look_.bodySize, false);
        bodyLink_->setColor(look_.bodyColour);
        if (look_.bodyIcon != 0) {
            bodyLink_->setIcon(look_.bodyIcon);
        }
    } else if (look_.bodyKey != nullptr) {
        bodyLabel_ = new controls::CBaseStatic2(this);
        bodyLabel_->setObjectName(QStringLiteral("body"));
        bodyLabel_->setPixelSize(look_.bodySize);
        bodyLabel_->setTextColor(look_.bodyColour);
        bodyLabel_->setLineHeight(look_.bodyLineHeight);
        bodyLabel_->setAttribute(Qt::WA_TransparentForMouseEvents);
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
    const QString title =
        look_.titleKey ? shell::LookupText(look_.titleKey, look_.titleFallback) : QString();
    if (title_) {
        title_->setText(title);
    }
    setAccessibleName(title.isEmpty() ? kUntitledName : title);
    if (look_.bodyKey != nullptr) {
        const QString body = shell::LookupText(look_.bodyKey, look_.bodyFallback);
        if (bodyLabel_) {
            // Set before the text, so the text is laid out the new way at once.
            bodyLabel_->setAlternativeLineLayout(
                shell::UsesAlternativeLineLayout(shell::LanguageIndex()));
            bodyLabel_->setText(body);
        } else if (bodyLink_) {
            bodyLink_->setText(body);
        }
    }
    placeBody();
    const QString closeName = shell::LookupText(u"Close", u"Close");
    close_->setAccessibleName(closeName);
    close_->setToolTip(closeName);
    // No pack carries a word for it.
    minimise_->setAccessibleName(QStringLiteral("Minimize"));
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

void CPageBase::placeBody() {
    if (bodyLink_) {
        bodyLink_->setGeometry(look_.bodyRect);
    }
    if (bodyLabel_) {
        QRect rect = look_.bodyRect;
        bodyLabel_->setGeometry(rect);
        if (look_.bodyGrows) {
            rect.setHeight(std::max(rect.height(), bodyLabel_->contentHeight()));
            bodyLabel_->setGeometry(rect);
        }
    }
}

QRect CPageBase::bodyGeometry() const {
    if (bodyLabel_) {
        return bodyLabel_->geometry();
    }
    return bodyLink_ ? bodyLink_->geometry() : QRect();
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

QList<QWidget*> CPageBase::tabOrder() const {
    QList<QWidget*> chain;
    for (QWidget* w = nextInFocusChain(); w != nullptr && w != this; w = w->nextInFocusChain()) {
        if (isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) != 0 && !chain.contains(w)) {
            chain.append(w);
        }
    }
    return chain;
}

void CPageBase::arrangeTabOrder() {
    const QList<QWidget*> last = {back_, next_, minimise_, close_};
    QList<QWidget*> chain;
    for (QWidget* w : tabOrder()) {
        if (!last.contains(w)) {
            chain.append(w);
        }
    }
    for (QWidget* w : last) {
        if (w != nullptr) {
            chain.append(w);
        }
    }
    for (qsizetype i = 1; i < chain.size(); ++i) {
        QWidget::setTabOrder(chain[i - 1], chain[i]);
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
    painter.setRenderHints(QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    if (background_.isNull()) {
        painter.fillRect(rect(), Qt::white);
    } else {
        painter.drawImage(rect(), background_.image(painter));
    }
    painter.setFont(controls::UiFont(kVersionSize));
    painter.setPen(kVersionColour);
    painter.drawText(kVersionRect, Qt::AlignLeft | Qt::AlignTop, kVersion);
}

void CPageBase::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The page's own controls exist only once the constructors have all run.
    if (!tabOrderArranged_) {
        tabOrderArranged_ = true;
        arrangeTabOrder();
    }
}

void CPageBase::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragging_ = true;
        dragOffset_ = event->globalPosition().toPoint() - window()->pos();
    }
    QWidget::mousePressEvent(event);
}

void CPageBase::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) {
        return;
    }
    // From the offset at button-down, not the last move: moves handled before the host has
    // moved cannot add up to a drift.
    const QPoint to = event->globalPosition().toPoint() - dragOffset_;
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
            // A focused button takes Enter itself; this is the page's own.
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
