#pragma once

#include "pages/CPageBase.h"

// Page 10: preparing the recorder's hard drive.
class CHddFormatDlg final : public CPageBase {
    Q_OBJECT
public:
    explicit CHddFormatDlg(CInterDialog& host);
    static constexpr int kSkipId = 1043;

    void onNext() override;
    void onBack() override;
    void onSkip();
};
