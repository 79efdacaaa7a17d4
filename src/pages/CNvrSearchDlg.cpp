#include "pages/CNvrSearchDlg.h"

#include "pages/PageLooks.h"
#include "pages/PageRegistry.h"
#include "shell/Messages.h"

namespace {

[[maybe_unused]] const bool kRegistered = RegisterPageClass<CNvrSearchDlg>(7);

}  // namespace

CNvrSearchDlg::CNvrSearchDlg(CInterDialog& host) : CPageBase(host, PageLookOf(7)) {
    setObjectName(QStringLiteral("CNvrSearchDlg"));
}

void CNvrSearchDlg::onNext() {
    postToHost(msg::kStartLoginProbe);
    navigate(msg::kNext);
}
