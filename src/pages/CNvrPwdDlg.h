#pragma once

#include "pages/CPageBase.h"

// Page 8: securing the recorder with its administrator password.
class CNvrPwdDlg final : public CPageBase {
    Q_OBJECT
public:
    explicit CNvrPwdDlg(CInterDialog& host);
    ~CNvrPwdDlg() override;

protected:
    void onOverlayResult(int kind, int result) override;
};
