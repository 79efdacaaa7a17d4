#include "pages/CIntroduction1Dlg.h"

#include "pages/PageLooks.h"
#include "pages/PageRegistry.h"
#include "shell/Messages.h"

namespace {

[[maybe_unused]] const bool kRegistered = RegisterPageClass<CIntroduction1Dlg>(4);

}  // namespace

CIntroduction1Dlg::CIntroduction1Dlg(CInterDialog& host) : CPageBase(host, PageLookOf(4)) {
    setObjectName(QStringLiteral("CIntroduction1Dlg"));
}
