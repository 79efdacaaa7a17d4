#pragma once

#include <QBasicTimer>
#include <QString>

#include "pages/CPageBase.h"
#include "pages/NvrPasswordForm.h"
#include "pages/PageTask.h"
#include "shell/RecorderAccount.h"

namespace controls {
class CApproStatic;
class CBaseStatic2;
class CErrorMark;
class CErrorStatic;
class CImageButton;
class CMyEditCtrl2;
}  // namespace controls

// Page 8: secures the recorder with its administrator password, or checks the one it has.
class CNvrPwdDlg final : public CPageBase {
    Q_OBJECT
public:
    static constexpr int kFirstBoxId = 5004;
    static constexpr int kSecondBoxId = 5005;
    static constexpr int kWaitTicks = 120;
    static constexpr std::chrono::milliseconds kModeDelay{50};
    static constexpr std::chrono::milliseconds kModePoll{50};
    static constexpr int kModePolls = 100;
    static constexpr std::chrono::milliseconds kApplyPause{500};
    static constexpr std::chrono::milliseconds kApplyPoll{25};
    static constexpr int kApplyPolls = 240;

    // How a sent password ended, as the apply worker leaves it.
    enum class ApplyResult { Pending, Success, Refused, SetFailed, NotStarted };

    explicit CNvrPwdDlg(CInterDialog& host);
    ~CNvrPwdDlg() override;

    void onNext() override;
    void retranslate() override;

    bool modeDecided() const { return modeDecided_; }
    NvrPasswordForm::Mode mode() const { return form_.mode(); }
    const NvrPasswordForm& form() const { return form_; }
    QString bannerText() const;

    controls::CMyEditCtrl2* firstBox() const { return first_; }
    controls::CMyEditCtrl2* secondBox() const { return second_; }
    controls::CMyEditCtrl2* userBox() const { return user_; }
    controls::CErrorStatic* banner() const { return banner_; }
    controls::CErrorMark* firstMark() const { return firstMark_; }
    controls::CErrorMark* secondMark() const { return secondMark_; }
    controls::CImageButton* helpButton() const { return help_; }

protected:
    void onOverlayResult(int kind, int result) override;
    void messageEvent(platform::WindowMessageEvent& event) override;
    void timerEvent(QTimerEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Takes the probe's verdict: create when the empty password got in or nobody answered.
    void decideMode(bool open);
    void waitForProbe();
    void layOut();
    void showMarks();
    void showNetworkNotice();
    void applied(ApplyResult result);

    static ApplyResult Apply(PageTask::Control& control,
                             const std::shared_ptr<DeviceSearch>& search,
                             const std::shared_ptr<DeviceCommandWorker>& worker,
                             const RecorderTarget& target, const QString& user,
                             const QString& password, NvrPasswordForm::Mode mode);

    controls::CBaseStatic2* subtitle_ = nullptr;
    controls::CApproStatic* userLabel_ = nullptr;
    controls::CApproStatic* firstLabel_ = nullptr;
    controls::CApproStatic* secondLabel_ = nullptr;
    controls::CMyEditCtrl2* user_ = nullptr;
    controls::CMyEditCtrl2* first_ = nullptr;
    controls::CMyEditCtrl2* second_ = nullptr;
    controls::CApproStatic* hint_ = nullptr;
    controls::CErrorMark* firstMark_ = nullptr;
    controls::CErrorMark* secondMark_ = nullptr;
    controls::CImageButton* help_ = nullptr;
    controls::CErrorStatic* banner_ = nullptr;

    NvrPasswordForm form_;
    bool modeDecided_ = false;
    bool waiting_ = false;
    bool noticePending_ = false;
    QBasicTimer modeTimer_;
    RecorderTarget target_;
    QString adminUser_;
    PageTask modeTask_;
    PageTask applyTask_;
    std::shared_ptr<TaskResult<bool>> probeOpen_ = std::make_shared<TaskResult<bool>>();
    std::shared_ptr<TaskResult<ApplyResult>> applyResult_ =
        std::make_shared<TaskResult<ApplyResult>>();
};
