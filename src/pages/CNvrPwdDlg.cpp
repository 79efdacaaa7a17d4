#include "pages/CNvrPwdDlg.h"

#include "pages/PageLooks.h"
#include "pages/PageRegistry.h"
#include "shell/CInterDialog.h"
#include "shell/Messages.h"

namespace {

[[maybe_unused]] const bool kRegistered = RegisterPageClass<CNvrPwdDlg>(8);

}  // namespace

CNvrPwdDlg::CNvrPwdDlg(CInterDialog& host) : CPageBase(host, PageLookOf(8)) {
    setObjectName(QStringLiteral("CNvrPwdDlg"));
    // This page hears of an unreachable recorder from the login probe.
    host.loginProbe().setNoticeTarget(windowId());
}

CNvrPwdDlg::~CNvrPwdDlg() {
    host().loginProbe().setNoticeTarget(0);
}

void CNvrPwdDlg::onOverlayResult(int, int result) {
    if (result == overlay::kOk) {
        navigate(msg::kHome);
    }
}
