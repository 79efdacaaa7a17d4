#include "pages/CNoDevicePage.h"

#include "controls/CApproStatic.h"
#include "controls/CBaseStatic2.h"
#include "controls/CIconButton.h"
#include "shell/LanguagePack.h"
#include "shell/OverlayKinds.h"

namespace {

[[maybe_unused]] const bool kRegistered = overlay::RegisterSidePage(
    overlay::kNoDevice, [](QWidget* overlay, QPoint position, const overlay::OverlayData&) {
        return CNoDevicePage::Run(overlay, position);
    });

}  // namespace

CNoDevicePage::CNoDevicePage(QWidget* owner)
    : CAlertPage(owner, QStringLiteral("CNoDevicePage"), kSize),
      titleLabel_(new controls::CApproStatic(this)),
      text_(new controls::CBaseStatic2(this)) {
    title_ = shell::LookupText(u"nvrsearch_06", u"Can not find your NVR") + QLatin1Char('?');
    setAccessibleName(title_);
    titleLabel_->setObjectName(QStringLiteral("title"));
    titleLabel_->useVerdana(kTitleSize, true);
    titleLabel_->setTextColor(kTitleColor);
    titleLabel_->setText(title_);
    titleLabel_->setGeometry(kTitleRect);

    text_->setObjectName(QStringLiteral("text"));
    text_->setPixelSize(kTextSize);
    text_->setTextColor(kTextColor);
    text_->setAlternativeLineLayout(shell::UsesAlternativeLineLayout(shell::LanguageIndex()));
    text_->setText(shell::LookupText(u"nvrsearch_07",
                                     u"Please make sure the Ethernet cable is connected to your "
                                     u"ORB-560Z and router's LAN port."));
    text_->setGeometry(kTextLeft, kTextTop, kTextWidth, 1);
    text_->resize(kTextWidth, text_->contentHeight());

    AddCross(kCrossId, kCrossRect);
}

int CNoDevicePage::Run(QWidget* owner, QPoint overlayTopLeft) {
    auto* page = new CNoDevicePage(owner);
    page->move(overlayTopLeft + kOverlayOffset);
    return RunModal(page);
}
