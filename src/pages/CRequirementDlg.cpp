#include "pages/CRequirementDlg.h"

#include "pages/PageLooks.h"
#include "shell/Messages.h"

CRequirementDlg::CRequirementDlg(CInterDialog& host) : CPageBase(host, PageLookOf(2)) {
    setObjectName(QStringLiteral("CRequirementDlg"));
}
