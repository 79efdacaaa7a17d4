#include "pages/CSummaryDlg.h"

#include "controls/CApproButton.h"
#include "pages/PageLooks.h"
#include "pages/PageRegistry.h"
#include "shell/LanguagePack.h"
#include "shell/Messages.h"

namespace {

[[maybe_unused]] const bool kRegistered = RegisterPageClass<CSummaryDlg>(13);

constexpr QRect kFinishRect(448, 536, 160, 43);

}  // namespace

CSummaryDlg::CSummaryDlg(CInterDialog& host) : CPageBase(host, PageLookOf(13)) {
    setObjectName(QStringLiteral("CSummaryDlg"));
    finish_ = new controls::CApproButton(kFinishId, this);
    finish_->setText(shell::LookupText(u"Summary_04", u"FINISH"));
    finish_->setGeometry(kFinishRect);
    connect(finish_, &QAbstractButton::clicked, this, [this] { onFinish(); });
}

void CSummaryDlg::onFinish() {
    navigate(msg::kFinish);
}
