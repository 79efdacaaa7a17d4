#pragma once

#include "pages/CPageBase.h"

// Page 3: hardware setup: installing the drives.
class CIntroduction0Dlg final : public CPageBase {
    Q_OBJECT
public:
    explicit CIntroduction0Dlg(CInterDialog& host);
};
