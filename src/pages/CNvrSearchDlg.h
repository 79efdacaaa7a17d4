#pragma once

#include "pages/CPageBase.h"

// Page 7: choosing the recorder found on the network.
class CNvrSearchDlg final : public CPageBase {
    Q_OBJECT
public:
    explicit CNvrSearchDlg(CInterDialog& host);
    void onNext() override;
};
