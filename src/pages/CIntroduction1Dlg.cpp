#include "pages/CIntroduction1Dlg.h"

#include "shell/Messages.h"

namespace {

PageLook Look() {
    PageLook look;
    look.backgroundId = 3003;
    look.step = 2;
    look.titleKey = u"intro_01";
    look.titleFallback = u"Connect your device";
    look.bodyKey = u"intro_02";
    look.bodyFallback = u"Connect your ORB-560Z power adapter to a power outlet.";
    look.back = true;
    look.next = true;
    return look;
}

}  // namespace

CIntroduction1Dlg::CIntroduction1Dlg(CInterDialog& host) : CPageBase(host, Look()) {
    setObjectName(QStringLiteral("CIntroduction1Dlg"));
}
