#include "pages/CLEDRedPage.h"

#include <algorithm>

#include "controls/CApproStatic.h"
#include "controls/CBaseStatic2.h"
#include "controls/CIconButton.h"
#include "controls/CImageBox.h"
#include "controls/CLinkStatic2.h"
#include "pages/CResetPage.h"
#include "shell/FlowTrace.h"
#include "shell/LanguagePack.h"
#include "shell/Messages.h"
#include "shell/OverlayKinds.h"

namespace {

[[maybe_unused]] const bool kRegistered = overlay::RegisterSidePage(
    overlay::kLedRed, [](QWidget* overlay, QPoint position, const overlay::OverlayData&) {
        return CLEDRedPage::Run(overlay, position);
    });

struct StepText {
    const char16_t* key;
    const char16_t* fallback;
};

constexpr std::array<StepText, CLEDRedPage::kStepCount> kStepTexts{{
    {u"intro_07",
     u"Make sure the Ethernet cable connecting your ORB-560Z to your router is properly "
     u"connected."},
    {u"intro_08",
     u"Restart your ORB-560Z by unplugging the power cable from the device and plugging it back "
     u"in again."},
    {u"intro_09", u"If the LED is still in red, reset the ORB-560Z to factory default settings."},
}};

constexpr int kDefaultLinkWidth = 230;

}  // namespace

int LedLinkWidth(int languageIndex) {
    switch (languageIndex) {
        case 1:
            return 226;
        case 2:
            return 255;
        case 3:
            return 265;
        case 4:
            return 282;
        case 5:
            return 180;
        case 10:
            return 350;
        case 12:
            return 320;
        default:
            return kDefaultLinkWidth;
    }
}

CLEDRedPage::CLEDRedPage(QWidget* owner)
    : CAlertPage(owner, QStringLiteral("CLEDRedPage"), kSize),
      titleLabel_(new controls::CApproStatic(this)),
      link_(new controls::CLinkStatic2(this, overlay::kReset)) {
    const int language = shell::LanguageIndex();
    title_ = shell::LookupText(u"intro_05", u"What should I do if the LED light stays red?");
    setAccessibleName(title_);
    titleLabel_->setObjectName(QStringLiteral("title"));
    titleLabel_->useVerdana(kTitleSize, true);
    titleLabel_->setTextColor(kTitleColor);
    titleLabel_->setText(title_);

    for (int i = 0; i < kStepCount; ++i) {
        auto* picture = new controls::CImageBox(this);
        picture->setObjectName(QStringLiteral("step%1").arg(i + 1));
        picture->LoadStateImage(0, kStepPictures[i]);
        // The number is the picture's only content.
        picture->setAccessibleName(QString::number(i + 1));
        pictures_[i] = picture;

        auto* text = new controls::CBaseStatic2(this);
        text->setObjectName(QStringLiteral("step%1Text").arg(i + 1));
        text->setPixelSize(kStepTextSize);
        text->setTextColor(kStepTextColor);
        text->setAlternativeLineLayout(shell::UsesAlternativeLineLayout(language));
        text->setText(shell::LookupText(kStepTexts[i].key, kStepTexts[i].fallback));
        texts_[i] = text;
    }

    link_->setObjectName(QStringLiteral("resetLink"));
    link_->setTextFont(kLinkTextSize, false);
    link_->setColor(kLinkColor);
    link_->setIcon(kLinkIcon);
    link_->setText(shell::LookupText(u"intro_10", u"How to reset your ORB-560Z"));

    controls::CIconButton* cross = AddCross(kCrossId, kCrossRect);
    setTabOrder(link_, cross);
    layOut();
}

void CLEDRedPage::layOut() {
    titleLabel_->setGeometry(kTitleRect);
    const int textWidth = kStepTextRight - kStepTextLeft;
    int top = kFirstStepTop;
    for (int i = 0; i < kStepCount; ++i) {
        pictures_[i]->setGeometry(QRect(QPoint(kStepPictureLeft, top), kStepPictureSize));
        // The width first: the height follows from the lines at that width.
        texts_[i]->setGeometry(kStepTextLeft, top + kStepTextDrop, textWidth, 1);
        texts_[i]->resize(textWidth, texts_[i]->contentHeight());
        const int bottom =
            std::max(pictures_[i]->geometry().bottom(), texts_[i]->geometry().bottom());
        top = bottom + 1 + kStepGap;
    }
    const int linkTop = top - kStepGap + kLinkGap;
    link_->setGeometry(kStepTextLeft, linkTop, LedLinkWidth(shell::LanguageIndex()),
                       kLinkMaxHeight);
    link_->resize(link_->width(), link_->hotRect().bottom() + 1);
}

int CLEDRedPage::Run(QWidget* owner, QPoint overlayTopLeft) {
    auto* page = new CLEDRedPage(owner);
    page->move(overlayTopLeft + kOverlayOffset);
    return RunModal(page);
}

void CLEDRedPage::messageEvent(platform::WindowMessageEvent& event) {
    if (event.message() != msg::kShowOverlay || event.wParam() != overlay::kReset) {
        return;
    }
    // The reset help opens straight over this page, without an overlay of its own.
    qCDebug(lcFlow, "side page %d open", overlay::kReset);
    const int result = CResetPage::Run(this, mapToGlobal(QPoint(0, 0)));
    qCDebug(lcFlow, "side page %d closed: %d", overlay::kReset, result);
    if (result == overlay::kOk) {
        done(overlay::kOk);
        return;
    }
    // Not every window system gives the keyboard back to the owner of a closed dialog.
    activateWindow();
}
