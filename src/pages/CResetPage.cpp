#include "pages/CResetPage.h"

#include "controls/CApproButton.h"
#include "controls/CApproStatic.h"
#include "controls/CBaseStatic2.h"
#include "controls/CIconButton.h"
#include "controls/CImageBox.h"
#include "shell/LanguagePack.h"
#include "shell/OverlayKinds.h"

namespace {

[[maybe_unused]] const bool kRegistered = overlay::RegisterSidePage(
    overlay::kReset, [](QWidget* overlay, QPoint position, const overlay::OverlayData&) {
        // Over the password step the page sits at the overlay's own corner.
        return CResetPage::Run(overlay, position);
    });

}  // namespace

CResetPage::CResetPage(QWidget* owner)
    : CAlertPage(owner, QStringLiteral("CResetPage"), kSize),
      titleLabel_(new controls::CApproStatic(this)),
      text_(new controls::CBaseStatic2(this)),
      picture_(new controls::CImageBox(this)) {
    title_ = shell::LookupText(u"intro_11", u"Reset your NVR");
    setAccessibleName(title_);
    titleLabel_->setObjectName(QStringLiteral("title"));
    titleLabel_->useVerdana(kTitleSize, true);
    titleLabel_->setTextColor(kTitleColor);
    titleLabel_->setText(title_);
    titleLabel_->setGeometry(kTitleRect);

    // Two paragraphs in one label: what to do, then what to press afterwards.
    const QString howTo = shell::LookupText(
        u"intro_12", u"Use a paperclip to press and hold the reset button for 10 seconds.");
    const QString then =
        shell::LookupText(u"intro_12_01", u"After resetting your NVR, tap RESET to continue.");
    text_->setObjectName(QStringLiteral("text"));
    text_->setPixelSize(kTextSize);
    text_->setTextColor(kTextColor);
    text_->setAlternativeLineLayout(shell::UsesAlternativeLineLayout(shell::LanguageIndex()));
    text_->setText(howTo + QChar(QChar::LineSeparator) + then);
    text_->setGeometry(kTextLeft, kTextTop, kTextWidth, 1);
    text_->resize(kTextWidth, text_->contentHeight());

    picture_->setObjectName(QStringLiteral("picture"));
    picture_->LoadStateImage(0, kPictureId);
    picture_->setAccessibleName(howTo);
    picture_->setGeometry(
        QRect(QPoint(kPictureLeft, text_->height() + kPictureBelowText), kPictureSize));

    reset_ = AddButton(kResetId, u"RESET", u"RESET", QRect(), overlay::kOk);
    reset_->LoadStateImages(kResetPictures);
    const int width = reset_->captionWidth(kResetPadding);
    reset_->setGeometry((kSize.width() - width) / 2, kResetTop, width, kResetHeight);
    setDefaultButton(reset_);

    controls::CIconButton* cross = AddCross(kCrossId, kCrossRect);
    cross->LoadStateImages(kCrossPictures);
    setTabOrder(reset_, cross);
}

int CResetPage::Run(QWidget* owner, QPoint topLeft) {
    auto* page = new CResetPage(owner);
    page->move(topLeft);
    return RunModal(page);
}
