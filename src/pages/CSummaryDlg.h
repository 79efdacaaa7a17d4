#pragma once

#include "pages/CPageBase.h"

// Page 13: what was set, and the way to the recorder.
class CSummaryDlg final : public CPageBase {
    Q_OBJECT
public:
    explicit CSummaryDlg(CInterDialog& host);
    static constexpr int kFinishId = 1026;

    void onFinish();

protected:
    controls::CApproButton* defaultButton() const override { return finish_; }

private:
    controls::CApproButton* finish_ = nullptr;
};
