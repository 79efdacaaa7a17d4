#include "pages/CNvrSearchDlg.h"

#include "pages/PageLooks.h"
#include "shell/Messages.h"

CNvrSearchDlg::CNvrSearchDlg(CInterDialog& host) : CPageBase(host, PageLookOf(7)) {
    setObjectName(QStringLiteral("CNvrSearchDlg"));
}

void CNvrSearchDlg::onNext() {
    postToHost(msg::kStartLoginProbe);
    navigate(msg::kNext);
}
