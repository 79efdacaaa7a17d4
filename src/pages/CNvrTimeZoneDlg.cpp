#include "pages/CNvrTimeZoneDlg.h"

#include "shell/Messages.h"

namespace {

PageLook Look() {
    PageLook look;
    look.backgroundId = 0;
    look.step = 7;
    look.titleKey = u"SetupTimeZone_title";
    look.titleFallback = u"Set time zone";
    look.bodyKey = nullptr;
    look.bodyFallback = u"";
    look.back = true;
    look.next = true;
    return look;
}

}  // namespace

CNvrTimeZoneDlg::CNvrTimeZoneDlg(CInterDialog& host) : CPageBase(host, Look()) {
    setObjectName(QStringLiteral("CNvrTimeZoneDlg"));
}

void CNvrTimeZoneDlg::onNext() {
    postToHost(msg::kStorageWorker, 0);
    navigate(msg::kNext);
}

void CNvrTimeZoneDlg::onBack() {
    postToHost(msg::kStartLoginProbe);
    navigate(msg::kBack);
}
