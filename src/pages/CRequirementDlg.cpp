#include "pages/CRequirementDlg.h"

#include "pages/PageLooks.h"
#include "pages/PageRegistry.h"
#include "shell/Messages.h"

namespace {

[[maybe_unused]] const bool kRegistered = RegisterPageClass<CRequirementDlg>(2);

}  // namespace

CRequirementDlg::CRequirementDlg(CInterDialog& host) : CPageBase(host, PageLookOf(2)) {
    setObjectName(QStringLiteral("CRequirementDlg"));
}
