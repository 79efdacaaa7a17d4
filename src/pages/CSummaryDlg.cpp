#include "pages/CSummaryDlg.h"

#include "controls/CApproButton.h"
#include "shell/LanguagePack.h"
#include "shell/Messages.h"

namespace {

PageLook Look() {
    PageLook look;
    look.backgroundId = 0;
    look.step = 11;
    look.titleKey = u"Summary_01";
    look.titleFallback = u"Summary";
    look.bodyKey = nullptr;
    look.bodyFallback = u"";
    look.back = false;
    look.next = false;
    return look;
}
constexpr QRect kFinishRect(448, 536, 160, 43);

}  // namespace

CSummaryDlg::CSummaryDlg(CInterDialog& host) : CPageBase(host, Look()) {
    setObjectName(QStringLiteral("CSummaryDlg"));
    finish_ = new controls::CApproButton(kFinishId, this);
    finish_->setText(shell::LookupText(u"Summary_04", u"FINISH"));
    finish_->setGeometry(kFinishRect);
    connect(finish_, &QAbstractButton::clicked, this, [this] { onFinish(); });
}

void CSummaryDlg::onFinish() {
    navigate(msg::kFinish);
}
