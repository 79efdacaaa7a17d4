#include "pages/PageFactory.h"

#include "pages/CCameraSearchDlg.h"
#include "pages/CHddFormatDlg.h"
#include "pages/CHomeDlg.h"
#include "pages/CIntroduction0Dlg.h"
#include "pages/CIntroduction1Dlg.h"
#include "pages/CIntroduction2Dlg.h"
#include "pages/CIntroduction3Dlg.h"
#include "pages/CNubraServiceDlg.h"
#include "pages/CNvrPwdDlg.h"
#include "pages/CNvrSearchDlg.h"
#include "pages/CNvrTimeZoneDlg.h"
#include "pages/CRequirementDlg.h"
#include "pages/CSummaryDlg.h"

std::unique_ptr<CPageBase> CreatePage(int id, CInterDialog& host) {
    switch (id) {
        case 1:
            return std::make_unique<CHomeDlg>(host);
        case 2:
            return std::make_unique<CRequirementDlg>(host);
        case 3:
            return std::make_unique<CIntroduction0Dlg>(host);
        case 4:
            return std::make_unique<CIntroduction1Dlg>(host);
        case 5:
            return std::make_unique<CIntroduction2Dlg>(host);
        case 6:
            return std::make_unique<CIntroduction3Dlg>(host);
        case 7:
            return std::make_unique<CNvrSearchDlg>(host);
        case 8:
            return std::make_unique<CNvrPwdDlg>(host);
        case 9:
            return std::make_unique<CNvrTimeZoneDlg>(host);
        case 10:
            return std::make_unique<CHddFormatDlg>(host);
        case 11:
            return std::make_unique<CCameraSearchDlg>(host);
        case 12:
            return std::make_unique<CNubraServiceDlg>(host);
        case 13:
            return std::make_unique<CSummaryDlg>(host);
        default:
            return nullptr;
    }
}
