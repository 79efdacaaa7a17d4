#include "pages/CNvrSearchDlg.h"

#include "shell/Messages.h"

namespace {

PageLook Look() {
    PageLook look;
    look.backgroundId = 0;
    look.step = 5;
    look.titleKey = u"nvrsearch_01";
    look.titleFallback = u"Select your NVR device";
    look.bodyKey = nullptr;
    look.bodyFallback = u"";
    look.back = true;
    look.next = true;
    return look;
}

}  // namespace

CNvrSearchDlg::CNvrSearchDlg(CInterDialog& host) : CPageBase(host, Look()) {
    setObjectName(QStringLiteral("CNvrSearchDlg"));
}

void CNvrSearchDlg::onNext() {
    postToHost(msg::kStartLoginProbe);
    navigate(msg::kNext);
}
