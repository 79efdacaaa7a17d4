#include "pages/CCameraSearchDlg.h"

#include "pages/PageLooks.h"
#include "shell/Messages.h"

CCameraSearchDlg::CCameraSearchDlg(CInterDialog& host) : CPageBase(host, PageLookOf(11)) {
    setObjectName(QStringLiteral("CCameraSearchDlg"));
}

void CCameraSearchDlg::onBack() {
    postToHost(msg::kStorageWorker, 0);
    navigate(msg::kBack);
}
