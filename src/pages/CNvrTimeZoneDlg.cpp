#include "pages/CNvrTimeZoneDlg.h"

#include "pages/PageLooks.h"
#include "pages/PageRegistry.h"
#include "shell/Messages.h"

namespace {

[[maybe_unused]] const bool kRegistered = RegisterPageClass<CNvrTimeZoneDlg>(9);

}  // namespace

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
