#include "pages/CIntroduction0Dlg.h"

#include "shell/Messages.h"

namespace {

PageLook Look() {
    PageLook look;
    look.backgroundId = 3002;
    look.step = 2;
    look.titleKey = u"intro_000";
    look.titleFallback = u"Hardware setup";
    look.bodyKey = u"intro_001";
    look.bodyFallback =
        u"Please follow the user manual to set up hard drives up to two for your ORB-990Z.";
    look.back = true;
    look.next = true;
    return look;
}

}  // namespace

CIntroduction0Dlg::CIntroduction0Dlg(CInterDialog& host) : CPageBase(host, Look()) {
    setObjectName(QStringLiteral("CIntroduction0Dlg"));
}
