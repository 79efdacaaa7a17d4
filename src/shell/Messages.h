#pragma once

#include <cstdint>

// Window messages between the wizard's windows: WM_USER (1024) plus an offset.
namespace msg {

inline constexpr std::uint32_t kUser = 1024;

inline constexpr std::uint32_t kNavigate = kUser + 100;              // 1124
inline constexpr std::uint32_t kShowOverlay = kUser + 101;           // 1125, wParam = overlay kind
inline constexpr std::uint32_t kLatched = kUser + 103;               // 1127, check 4 / radio value
inline constexpr std::uint32_t kLanguageChosen = kUser + 105;        // 1129, wParam = index
inline constexpr std::uint32_t kTickRequest = kUser + 107;           // 1131, wParam = row
inline constexpr std::uint32_t kVerifyCameraPassword = kUser + 108;  // 1132, to the camera step
inline constexpr std::uint32_t kCreateCameraPassword = kUser + 109;  // 1133, to the camera step
inline constexpr std::uint32_t kScan = kUser + 112;                  // 1136, to the camera step
inline constexpr std::uint32_t kRowMarked = kUser + 113;             // 1137, from the recorder list
inline constexpr std::uint32_t kMoved = kUser + 115;                 // 1139, wParam = x, lParam = y
inline constexpr std::uint32_t kHyperLinkClicked = kUser + 116;      // 1140
inline constexpr std::uint32_t kStartLoginProbe = kUser + 122;       // 1146
inline constexpr std::uint32_t kStorageWorker = kUser + 123;  // 1147, wParam 0 start, else stop
inline constexpr std::uint32_t kDriveReport = kUser + 124;    // 1148, to the hard-drive page
inline constexpr std::uint32_t kNetworkNotice = kUser + 125;  // 1149, to the password page

// wParam of kNavigate.
enum Navigate : std::intptr_t {
    kBack = 1,  // lParam n: back 1 + n pages when n > 0, else 1
    kNext = 2,  // lParam n: forward 1 + n pages (n may be negative)
    kClose = 3,
    kFinish = 4,  // closes, as kClose
    kHome = 5,
    kMinimise = 6,
};

}  // namespace msg
