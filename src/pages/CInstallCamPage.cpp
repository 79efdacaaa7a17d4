#include "pages/CInstallCamPage.h"

#include <algorithm>

#include "controls/CApproStatic.h"
#include "controls/CBaseStatic2.h"
#include "controls/CImageBox.h"
#include "shell/LanguagePack.h"
#include "shell/OverlayKinds.h"

namespace {

[[maybe_unused]] const bool kRegistered = overlay::RegisterSidePage(
    overlay::kInstallCamera, [](QWidget* overlay, QPoint position, const overlay::OverlayData&) {
        return CInstallCamPage::Run(overlay, position);
    });

// Portuguese sets its picture a little higher.
constexpr int kRaisedLanguage = 1;
constexpr int kRaise = 19;

}  // namespace

CInstallCamPage::CInstallCamPage(QWidget* owner)
    : CAlertPage(owner, QStringLiteral("CInstallCamPage"), kSize),
      title_(new controls::CApproStatic(this)),
      text_(new controls::CBaseStatic2(this)),
      picture_(new controls::CImageBox(this)) {
    const QString title =
        shell::LookupText(u"camsearch_07", u"How to install your network camera?");
    setAccessibleName(title);
    title_->setObjectName(QStringLiteral("title"));
    title_->useVerdana(kTitleSize, true);
    title_->setTextColor(kTitleColor);
    title_->setText(title);
    title_->setGeometry(kTitleRect);

    text_->setObjectName(QStringLiteral("text"));
    text_->setPixelSize(kTextSize);
    text_->setTextColor(kTextColor);
    text_->setAlternativeLineLayout(shell::UsesAlternativeLineLayout(shell::LanguageIndex()));
    text_->setText(shell::LookupText(
        u"camsearch_04",
        u"Please connect the ethernet cable from your network camera to your router."));
    text_->setGeometry(kTextRect.left(), kTextRect.top(), kTextRect.width(), 1);
    const int textHeight = std::max(kTextRect.height(), text_->contentHeight());
    text_->resize(kTextRect.width(), textHeight);
    setAccessibleDescription(text_->text());

    picture_->setObjectName(QStringLiteral("picture"));
    picture_->LoadStateImage(0, kPictureId);
    picture_->setGeometry(
        QRect(QPoint(kPictureLeft, PictureTop(textHeight, shell::LanguageIndex())), kPictureSize));

    AddCross(kCrossId, kCrossRect);
}

int CInstallCamPage::PictureTop(int textHeight, int language) {
    const int extra = std::max(0, textHeight - kTextRect.height());
    return kPictureTop + extra - (language == kRaisedLanguage ? kRaise : 0);
}

int CInstallCamPage::Run(QWidget* owner, QPoint overlayTopLeft) {
    auto* page = new CInstallCamPage(owner);
    page->move(overlayTopLeft + kOverlayOffset);
    RunModal(page);
    return overlay::kOk;
}
