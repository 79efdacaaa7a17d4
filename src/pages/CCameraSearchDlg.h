#pragma once

#include "pages/CPageBase.h"

// Page 11: adding the cameras the recorder sees.
class CCameraSearchDlg final : public CPageBase {
    Q_OBJECT
public:
    explicit CCameraSearchDlg(CInterDialog& host);
    void onBack() override;
};
