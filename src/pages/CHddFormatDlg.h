#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>

#include "pages/CPageBase.h"
#include "pages/PageTask.h"
#include "shell/RecorderAccount.h"

class DeviceCommandWorker;
namespace controls {
class CApproButton;
class CApproStatic;
class CBaseStatic2;
class CImageBox;
}  // namespace controls

// Page 10: shows whether the recorder has a drive mounted and formats it.
class CHddFormatDlg final : public CPageBase {
    Q_OBJECT
public:
    static constexpr int kSkipId = 1043;
    static constexpr int kPortPicture = 5020;
    static constexpr int kPortReadyPicture = 5021;
    static constexpr int kFormatWaitTicks = 6000;
    static constexpr std::intptr_t kToHardwareSetup = -8;  // Next lands on page 3

    // How the format worker paces the recorder.
    struct Pacing {
        std::chrono::milliseconds settle{500};       // around the stop before a format
        std::chrono::milliseconds notStarted{1000};  // after a format that did not start
        std::chrono::milliseconds check{10};         // of the format command
        int formatChecks = 3000;
        std::chrono::milliseconds pollGap{10};    // before each poll
        std::chrono::milliseconds idleGap{1000};  // before the poll after a "0" answer
        std::chrono::milliseconds pollCheck{50};
        int pollChecks = 6000;
        int polls = 3000;
    };

    enum class FormatResult { Pending, Done, Failed };

    explicit CHddFormatDlg(CInterDialog& host);
    ~CHddFormatDlg() override;

    void onNext() override;
    void onBack() override;
    void onSkip();
    void retranslate() override;

    bool driveReady() const { return driveReady_[0] == 1; }
    controls::CApproButton* skipButton() const { return skip_; }
    int shownPicture() const { return shownPicture_; }
    int reports() const { return reports_; }

    // The file-system code a format sends for what the recorder reported: 1 and 2 as they
    // are, 2 for anything else.
    static std::int32_t FormatCodeOf(std::int32_t reported) {
        return reported == 1 || reported == 2 ? reported : 2;
    }

    // Formats every ready slot through `worker` with its code from `fileSystems`. Failed when a
    // format did not start, did not end well, a poll failed, or the drive never reached 100 %.
    static FormatResult Format(PageTask::Control& control, DeviceCommandWorker& worker,
                               const RecorderHttpTarget& target,
                               const std::array<std::int32_t, 2>& ready,
                               const std::array<std::int32_t, 2>& fileSystems,
                               const Pacing& pacing);

protected:
    void messageEvent(platform::WindowMessageEvent& event) override;

private:
    void report(std::int32_t ready);
    void showPort();
    int showAlarm(int variant);
    void formatDrive();
    void stopStorageWorker();

    controls::CBaseStatic2* mountedText_ = nullptr;
    controls::CBaseStatic2* nextText_ = nullptr;
    controls::CImageBox* port_ = nullptr;
    controls::CApproStatic* portCaption_ = nullptr;
    controls::CBaseStatic2* warning_ = nullptr;
    controls::CApproButton* skip_ = nullptr;

    std::array<std::int32_t, 2> driveReady_{};
    int shownPicture_ = 0;
    int reports_ = 0;
    bool busy_ = false;  // an alert or the format wait is open
    PageTask formatTask_;
    std::shared_ptr<TaskResult<FormatResult>> formatResult_ =
        std::make_shared<TaskResult<FormatResult>>();
};
