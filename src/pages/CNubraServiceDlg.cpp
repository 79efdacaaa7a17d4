#include "pages/CNubraServiceDlg.h"

#include "pages/PageLooks.h"
#include "shell/Messages.h"

CNubraServiceDlg::CNubraServiceDlg(CInterDialog& host) : CPageBase(host, PageLookOf(12)) {
    setObjectName(QStringLiteral("CNubraServiceDlg"));
}
