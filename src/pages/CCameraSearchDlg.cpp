#include "pages/CCameraSearchDlg.h"

#include "pages/PageLooks.h"
#include "pages/PageRegistry.h"
#include "shell/Messages.h"

namespace {

[[maybe_unused]] const bool kRegistered = RegisterPageClass<CCameraSearchDlg>(11);

}  // namespace

CCameraSearchDlg::CCameraSearchDlg(CInterDialog& host) : CPageBase(host, PageLookOf(11)) {
    setObjectName(QStringLiteral("CCameraSearchDlg"));
}

void CCameraSearchDlg::onBack() {
    postToHost(msg::kStorageWorker, 0);
    navigate(msg::kBack);
}
