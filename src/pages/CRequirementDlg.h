#pragma once

#include "pages/CPageBase.h"

// Page 2: the requirements: a router port and hard drives.
class CRequirementDlg final : public CPageBase {
    Q_OBJECT
public:
    explicit CRequirementDlg(CInterDialog& host);
};
