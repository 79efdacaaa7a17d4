#pragma once

#include "pages/CPageBase.h"

// Page 12: linking the recorder to the cloud service.
class CNubraServiceDlg final : public CPageBase {
    Q_OBJECT
public:
    explicit CNubraServiceDlg(CInterDialog& host);
};
