#include "pages/CIntroduction3Dlg.h"

#include "shell/Messages.h"

namespace {

PageLook Look() {
    PageLook look;
    look.backgroundId = 3005;
    look.step = 4;
    look.titleKey = u"intro_01";
    look.titleFallback = u"Connect your device";
    look.bodyKey = u"intro_04";
    look.bodyFallback = u"After the LED on the top of the ORB-560Z turns blue, click Next.";
    look.back = true;
    look.next = true;
    return look;
}

}  // namespace

CIntroduction3Dlg::CIntroduction3Dlg(CInterDialog& host) : CPageBase(host, Look()) {
    setObjectName(QStringLiteral("CIntroduction3Dlg"));
}

void CIntroduction3Dlg::onOverlayResult(int, int result) {
    if (result == overlay::kOk) {
        navigate(msg::kHome);
    }
}
