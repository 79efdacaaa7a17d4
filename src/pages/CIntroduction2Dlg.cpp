#include "pages/CIntroduction2Dlg.h"

#include "pages/PageLooks.h"
#include "shell/Messages.h"

CIntroduction2Dlg::CIntroduction2Dlg(CInterDialog& host) : CPageBase(host, PageLookOf(5)) {
    setObjectName(QStringLiteral("CIntroduction2Dlg"));
}
