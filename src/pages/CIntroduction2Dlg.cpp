#include "pages/CIntroduction2Dlg.h"

#include "pages/PageLooks.h"
#include "pages/PageRegistry.h"
#include "shell/Messages.h"

namespace {

[[maybe_unused]] const bool kRegistered = RegisterPageClass<CIntroduction2Dlg>(5);

}  // namespace

CIntroduction2Dlg::CIntroduction2Dlg(CInterDialog& host) : CPageBase(host, PageLookOf(5)) {
    setObjectName(QStringLiteral("CIntroduction2Dlg"));
}
