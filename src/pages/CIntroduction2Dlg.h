#pragma once

#include "pages/CPageBase.h"

// Page 5: connecting the network cable.
class CIntroduction2Dlg final : public CPageBase {
    Q_OBJECT
public:
    explicit CIntroduction2Dlg(CInterDialog& host);
};
