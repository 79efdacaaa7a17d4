#pragma once

#include <QPoint>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>

class QWidget;

namespace overlay {

// Dialog results as the side pages return them.
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;

enum Kind : int {
    kLedRed = 2,
    kReset = 3,
    kMacDisplay = 4,
    kAlarm = 5,
    kInstallCamera = 6,
    kCameraPassword = 7,
    kPreview = 8,
    kTerms = 9,
    kNetAlarm = 12,
    kNoDevice = 13,
    kError = 14,
};

// How the overlay's result follows from its side page.
enum class Rule { SidePageResult, AlwaysOk, AlwaysCancel, Unknown };

Rule RuleOf(int kind);

// The overlay's result for a side page that ended with `sidePageResult`.
int ResultOf(int kind, int sidePageResult);

// What a side page may be handed, by kind.
struct OverlayData {
    std::array<QString, 3> previewTexts;         // camera host text, user, password
    std::array<std::int32_t, 3> previewWords{};  // anchor x and y on the screen, legacy flag
    std::array<std::int32_t, 2> alarmWords{};    // text variant, button variant
    QString errorText;
    QString macText;
};

// Runs a side page modally over the overlay; returns its dialog result.
using SidePage = std::function<int(QWidget* overlay, QPoint position, const OverlayData& data)>;

// Makes `page` the side page of `kind`. Each side page registers itself from its own file at
// start-up (`const bool registered = overlay::RegisterSidePage(...)`), so the overlay needs no
// list of them. Returns true so that the call can initialise a constant.
bool RegisterSidePage(int kind, SidePage page);

// The side page of a kind; empty for kinds the program has no page for, which then end at once
// with Cancel.
SidePage SidePageFor(int kind);

// The text the error side page shows: the overlay's own text, else the network failure notice.
QString ErrorTextOf(const OverlayData& data);

}  // namespace overlay
