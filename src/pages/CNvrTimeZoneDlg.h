#pragma once

#include "pages/CPageBase.h"

// Page 9: setting the recorder's time zone.
class CNvrTimeZoneDlg final : public CPageBase {
    Q_OBJECT
public:
    explicit CNvrTimeZoneDlg(CInterDialog& host);
    void onNext() override;
    void onBack() override;
};
