#include "pages/CCameraSearchDlg.h"

#include "shell/Messages.h"

namespace {

PageLook Look() {
    PageLook look;
    look.backgroundId = 0;
    look.step = 9;
    look.titleKey = u"camsearch_01";
    look.titleFallback = u"Add your cameras";
    look.bodyKey = nullptr;
    look.bodyFallback = u"";
    look.back = true;
    look.next = true;
    return look;
}

}  // namespace

CCameraSearchDlg::CCameraSearchDlg(CInterDialog& host) : CPageBase(host, Look()) {
    setObjectName(QStringLiteral("CCameraSearchDlg"));
}

void CCameraSearchDlg::onBack() {
    postToHost(msg::kStorageWorker, 0);
    navigate(msg::kBack);
}
