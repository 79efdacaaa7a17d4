#include "controls/CErrorPage.h"

#include "controls/CErrorStatic.h"
#include "shell/OverlayKinds.h"

namespace controls {
namespace {

[[maybe_unused]] const bool kRegistered = overlay::RegisterSidePage(
    overlay::kError, [](QWidget* overlay, QPoint position, const overlay::OverlayData& data) {
        return CErrorPage::Run(overlay, overlay::ErrorTextOf(data),
                               position + CErrorPage::kOverlayOffset);
    });

}  // namespace

CErrorPage::CErrorPage(QWidget* owner)
    : CAlertPage(owner, QStringLiteral("CErrorPage")),
      text_(new CErrorStatic(this)),
      close_(AddButton(kCloseId, u"Close", u"Close", kCloseRect, overlay::kOk)) {
    text_->setGeometry(kTextRect);
    setDefaultButton(close_);
    AddCross(kCrossId);
}

void CErrorPage::setErrorText(const QString& text) {
    text_->setText(text);
}

QString CErrorPage::errorText() const {
    return text_->text();
}

int CErrorPage::Run(QWidget* owner, const QString& text, std::optional<QPoint> topLeft) {
    auto* page = new CErrorPage(owner);
    page->setErrorText(text);
    if (topLeft) {
        page->move(*topLeft);
    }
    return RunModal(page);
}

}  // namespace controls
