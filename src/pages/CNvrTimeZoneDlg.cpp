#include "pages/CNvrTimeZoneDlg.h"

#include "pages/PageLooks.h"
#include "shell/Messages.h"

CNvrTimeZoneDlg::CNvrTimeZoneDlg(CInterDialog& host) : CPageBase(host, PageLookOf(9)) {
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
