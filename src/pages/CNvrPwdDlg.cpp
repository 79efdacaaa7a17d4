#include "pages/CNvrPwdDlg.h"

#include "shell/Messages.h"

namespace {

PageLook Look() {
    PageLook look;
    look.backgroundId = 0;
    look.step = 6;
    look.titleKey = u"nvrpwd_01";
    look.titleFallback = u"Secure your NVR";
    look.bodyKey = nullptr;
    look.bodyFallback = u"";
    look.back = true;
    look.next = true;
    return look;
}

}  // namespace

CNvrPwdDlg::CNvrPwdDlg(CInterDialog& host) : CPageBase(host, Look()) {
    setObjectName(QStringLiteral("CNvrPwdDlg"));
}

void CNvrPwdDlg::onOverlayResult(int, int result) {
    if (result == overlay::kOk) {
        navigate(msg::kHome);
    }
}
