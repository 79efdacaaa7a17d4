#include "pages/CIntroduction2Dlg.h"

#include "shell/Messages.h"

namespace {

PageLook Look() {
    PageLook look;
    look.backgroundId = 3004;
    look.step = 3;
    look.titleKey = u"intro_01";
    look.titleFallback = u"Connect your device";
    look.bodyKey = u"intro_03";
    look.bodyFallback = u"Connect your ethernet cable to your ORB-560Z and router's LAN port.";
    look.back = true;
    look.next = true;
    return look;
}

}  // namespace

CIntroduction2Dlg::CIntroduction2Dlg(CInterDialog& host) : CPageBase(host, Look()) {
    setObjectName(QStringLiteral("CIntroduction2Dlg"));
}
