#include "pages/CNubraServiceDlg.h"

#include "shell/Messages.h"

namespace {

PageLook Look() {
    PageLook look;
    look.backgroundId = 0;
    look.step = 10;
    look.titleKey = u"corvane_01";
    look.titleFallback = u"nubra Service";
    look.bodyKey = nullptr;
    look.bodyFallback = u"";
    look.back = true;
    look.next = true;
    return look;
}

}  // namespace

CNubraServiceDlg::CNubraServiceDlg(CInterDialog& host) : CPageBase(host, Look()) {
    setObjectName(QStringLiteral("CNubraServiceDlg"));
}
