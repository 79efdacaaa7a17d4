#include "pages/CNvrPwdDlg.h"

#include "pages/PageLooks.h"
#include "shell/Messages.h"

CNvrPwdDlg::CNvrPwdDlg(CInterDialog& host) : CPageBase(host, PageLookOf(8)) {
    setObjectName(QStringLiteral("CNvrPwdDlg"));
}

void CNvrPwdDlg::onOverlayResult(int, int result) {
    if (result == overlay::kOk) {
        navigate(msg::kHome);
    }
}
