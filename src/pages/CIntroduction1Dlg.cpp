#include "pages/CIntroduction1Dlg.h"

#include "pages/PageLooks.h"
#include "shell/Messages.h"

CIntroduction1Dlg::CIntroduction1Dlg(CInterDialog& host) : CPageBase(host, PageLookOf(4)) {
    setObjectName(QStringLiteral("CIntroduction1Dlg"));
}
