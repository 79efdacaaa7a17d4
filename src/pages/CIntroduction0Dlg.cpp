#include "pages/CIntroduction0Dlg.h"

#include "pages/PageLooks.h"
#include "shell/Messages.h"

CIntroduction0Dlg::CIntroduction0Dlg(CInterDialog& host) : CPageBase(host, PageLookOf(3)) {
    setObjectName(QStringLiteral("CIntroduction0Dlg"));
}
