#include "pages/PageLooks.h"

#include <array>
#include <utility>

#include "shell/OverlayKinds.h"

namespace {

constexpr QRect kRequirementBodyRect(78, 385, 770 - 78, 450 - 385);
constexpr QRect kLedLinkRect(76, 376, 770 - 76, 455 - 376);
constexpr int kLedLinkIcon = 3059;
constexpr QRect kSelectionBodyRect(77, 122, 780 - 77, 179 - 122);
constexpr QColor kGreyBodyColour(0x63, 0x65, 0x66);
constexpr QRect kCameraBodyRect(77, 122, 780 - 77, 212 - 122);
constexpr int kCameraBodyLineHeight = 20;
constexpr QRect kCloudBodyRect(77, 122, 800 - 77, 190 - 122);
constexpr int kCloudBodySize = 13;
constexpr QRect kSummaryBodyRect(77, 117, 780 - 77, 180 - 117);
constexpr int kSummaryBodyLineHeight = 22;

// clang-format off
constexpr std::array<std::pair<int, PageLook>, 12> kLooks{{
    {2, {.backgroundId = 3010, .step = 1,  // CRequirementDlg
         .titleKey = u"home_04", .titleFallback = u"Requirements",
         .bodyKey = u"Install_Text0_780Z",
         .bodyFallback = u"You will need a router with one free Ethernet port, and up to two USB hard drives to continue the installation process.",
         .bodyRect = kRequirementBodyRect}},
    {3, {.backgroundId = 3002, .step = 2,  // CIntroduction0Dlg
         .titleKey = u"intro_000", .titleFallback = u"Hardware setup",
         .bodyKey = u"intro_001",
         .bodyFallback = u"Please follow the user manual to set up hard drives up to two for your ORB-990Z."}},
    {4, {.backgroundId = 3003, .step = 2,  // CIntroduction1Dlg
         .titleKey = u"intro_01", .titleFallback = u"Connect your device",
         .bodyKey = u"intro_02",
         .bodyFallback = u"Connect your ORB-560Z power adapter to a power outlet."}},
    {5, {.backgroundId = 3004, .step = 3,  // CIntroduction2Dlg
         .titleKey = u"intro_01", .titleFallback = u"Connect your device",
         .bodyKey = u"intro_03",
         .bodyFallback = u"Connect your ethernet cable to your ORB-560Z and router's LAN port."}},
    {6, {.backgroundId = 3005, .step = 4,  // CIntroduction3Dlg
         .titleKey = u"intro_01", .titleFallback = u"Connect your device",
         .bodyKey = u"intro_04",
         .bodyFallback = u"After the LED on the top of the ORB-560Z turns blue, click Next.",
         .bodyRect = kLedLinkRect, .bodyKind = BodyKind::Link,
         .bodyIcon = kLedLinkIcon, .bodyLinkKind = overlay::kLedRed}},
    {7, {.backgroundId = 3001, .step = 5,  // CNvrSearchDlg
         .titleKey = u"nvrsearch_01", .titleFallback = u"Select your NVR device",
         .bodyKey = u"nvrsearch_02",
         .bodyFallback = u"Select your NVR from the list, then click <br>\"Next\"</br>. If you have multiple NVRs, you can identify them by the MAC ID printed on the label on the bottom of the device.",
         .bodyRect = kSelectionBodyRect, .bodyColour = kGreyBodyColour, .bodyGrows = true}},
    {8, {.backgroundId = 5008, .step = 6,  // CNvrPwdDlg
         .titleKey = u"nvrpwd_01", .titleFallback = u"Secure your NVR"}},
    {9, {.backgroundId = 5009, .step = 7,  // CNvrTimeZoneDlg
         .titleKey = u"SetupTimeZone_title", .titleFallback = u"Set time zone"}},
    {10, {.backgroundId = 5010, .step = 8,  // CHddFormatDlg
          .titleKey = u"hddformat_01", .titleFallback = u"Setup HDD for NVR"}},
    {11, {.backgroundId = 5011, .step = 9,  // CCameraSearchDlg
          .titleKey = u"camsearch_01", .titleFallback = u"Add your cameras",
          .bodyKey = u"camsearch_02",
          .bodyFallback = u"The setup wizard can automatically detect compatible Corvane cameras on the network. To add a camera, check the box and set up or enter the password when prompted. After the password has been entered, click the icon to see a live preview of the camera's video.",
          .bodyRect = kCameraBodyRect, .bodyLineHeight = kCameraBodyLineHeight}},
    {12, {.backgroundId = 5012, .step = 10,  // CNubraServiceDlg
          .titleKey = u"corvane_01", .titleFallback = u"nubra Service",
          .bodyKey = u"corvane_05",
          .bodyFallback = u"Sign up for a nubra account and access your NVR remotely from wherever you are. View live video of connected cameras or access recorded video clips using an internet-connected PC, smartphone, or tablet.",
          .bodyRect = kCloudBodyRect, .bodyColour = kGreyBodyColour,
          .bodySize = kCloudBodySize}},
    {13, {.backgroundId = 3009, .step = 11,  // CSummaryDlg
          .titleKey = u"Summary_01", .titleFallback = u"Summary",
          .bodyKey = u"Summary_02",
          .bodyFallback = u"Your NVR now is ready to go! Please remember the folowing information for future use and click on \"GO TO NVR\" to log in to the NVR for further configuration or click \"FINISH\".",
          .back = false, .next = false, .bodyRect = kSummaryBodyRect,
          .bodyColour = kGreyBodyColour, .bodyLineHeight = kSummaryBodyLineHeight,
          .bodyGrows = true}},
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
