#include "pages/CIntroduction3Dlg.h"

#include "pages/PageLooks.h"
#include "pages/PageRegistry.h"
#include "shell/Messages.h"

namespace {

[[maybe_unused]] const bool kRegistered = RegisterPageClass<CIntroduction3Dlg>(6);

}  // namespace

CIntroduction3Dlg::CIntroduction3Dlg(CInterDialog& host) : CPageBase(host, PageLookOf(6)) {
    setObjectName(QStringLiteral("CIntroduction3Dlg"));
}

void CIntroduction3Dlg::onOverlayResult(int, int result) {
    if (result == overlay::kOk) {
        navigate(msg::kHome);
    }
}
