#include "pages/PageLooks.h"

#include <array>
#include <utility>

namespace {

// clang-format off
constexpr std::array<std::pair<int, PageLook>, 12> kLooks{{
    // id  background, step, title key and fallback, body key and fallback, Back, Next
    {2, {3010, 1, u"home_04", u"Requirements", u"Install_Text0_780Z", u"You will need a router with one free Ethernet port, and up to two USB hard drives to continue the installation process.", true, true}},  // CRequirementDlg
    {3, {3002, 2, u"intro_000", u"Hardware setup", u"intro_001", u"Please follow the user manual to set up hard drives up to two for your ORB-990Z.", true, true}},  // CIntroduction0Dlg
    {4, {3003, 2, u"intro_01", u"Connect your device", u"intro_02", u"Connect your ORB-560Z power adapter to a power outlet.", true, true}},  // CIntroduction1Dlg
    {5, {3004, 3, u"intro_01", u"Connect your device", u"intro_03", u"Connect your ethernet cable to your ORB-560Z and router's LAN port.", true, true}},  // CIntroduction2Dlg
    {6, {3005, 4, u"intro_01", u"Connect your device", u"intro_04", u"After the LED on the top of the ORB-560Z turns blue, click Next.", true, true}},  // CIntroduction3Dlg
    {7, {3001, 5, u"nvrsearch_01", u"Select your NVR device", nullptr, u"", true, true}},  // CNvrSearchDlg
    {8, {5008, 6, u"nvrpwd_01", u"Secure your NVR", nullptr, u"", true, true}},  // CNvrPwdDlg
    {9, {5009, 7, u"SetupTimeZone_title", u"Set time zone", nullptr, u"", true, true}},  // CNvrTimeZoneDlg
    {10, {5010, 8, u"hddformat_01", u"Setup HDD for NVR", nullptr, u"", true, true}},  // CHddFormatDlg
    {11, {5011, 9, u"camsearch_01", u"Add your cameras", nullptr, u"", true, true}},  // CCameraSearchDlg
    {12, {5012, 10, u"corvane_01", u"nubra Service", nullptr, u"", true, true}},  // CNubraServiceDlg
    {13, {3009, 11, u"Summary_01", u"Summary", nullptr, u"", false, false}},  // CSummaryDlg
}};
// clang-format on

}  // namespace

PageLook PageLookOf(int pageId) {
    for (const auto& [id, look] : kLooks) {
        if (id == pageId) {
            return look;
        }
    }
    return {};
}
