#pragma once

#include "pages/CPageBase.h"

// Page 6: waiting for the blue LED; its help leads back home after a reset.
class CIntroduction3Dlg final : public CPageBase {
    Q_OBJECT
public:
    explicit CIntroduction3Dlg(CInterDialog& host);

protected:
    void onOverlayResult(int kind, int result) override;
};
