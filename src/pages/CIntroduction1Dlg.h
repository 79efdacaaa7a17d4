#pragma once

#include "pages/CPageBase.h"

// Page 4: connecting the power adapter.
class CIntroduction1Dlg final : public CPageBase {
    Q_OBJECT
public:
    explicit CIntroduction1Dlg(CInterDialog& host);
};
