#include "pages/CRequirementDlg.h"

#include "shell/Messages.h"

namespace {

PageLook Look() {
    PageLook look;
    look.backgroundId = 3010;
    look.step = 1;
    look.titleKey = u"home_04";
    look.titleFallback = u"Requirements";
    look.bodyKey = u"Install_Text0_780Z";
    look.bodyFallback =
        u"You will need a router with one free Ethernet port, and up to two USB hard drives to "
        u"continue the installation process.";
    look.back = true;
    look.next = true;
    return look;
}

}  // namespace

CRequirementDlg::CRequirementDlg(CInterDialog& host) : CPageBase(host, Look()) {
    setObjectName(QStringLiteral("CRequirementDlg"));
}
