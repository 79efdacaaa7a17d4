#include "pages/CNubraServiceDlg.h"

#include "pages/PageLooks.h"
#include "pages/PageRegistry.h"
#include "shell/Messages.h"

namespace {

[[maybe_unused]] const bool kRegistered = RegisterPageClass<CNubraServiceDlg>(12);

}  // namespace

CNubraServiceDlg::CNubraServiceDlg(CInterDialog& host) : CPageBase(host, PageLookOf(12)) {
    setObjectName(QStringLiteral("CNubraServiceDlg"));
}
