#pragma once

#include <QString>

#include <array>
#include <memory>

#include "pages/CPageBase.h"
#include "pages/CloudStepJobs.h"
#include "pages/NubraForm.h"
#include "pages/PageTask.h"

namespace controls {
class CApproButton2;
class CApproButton3;
class CApproStatic;
class CBaseStatic;
class CHyperLink;
class CImageBox;
class CMyEditCtrl2;
class CRoundBack;
}  // namespace controls

// Page 12: links the recorder to a cloud account (signing in or up), or goes on without one.
class CNubraServiceDlg final : public CPageBase {
    Q_OBJECT
public:
    static constexpr int kSignInId = 1036;
    static constexpr int kSignUpId = 1042;
    static constexpr int kNoServiceId = 1043;
    static constexpr int kEmailId = 5008;
    static constexpr int kPasswordId = 5009;
    static constexpr int kConfirmationId = 5010;
    static constexpr int kSignInLabelId = 1233;
    static constexpr int kSignUpLabelId = 1234;
    static constexpr int kWaitTicks = 1250;
    // A worker still running when the page goes is waited for this long.
    static constexpr std::chrono::milliseconds kStopWait{6000};

    explicit CNubraServiceDlg(CInterDialog& host);
    ~CNubraServiceDlg() override;

    void onNext() override;
    void retranslate() override;

    void setPacing(const cloudstep::Pacing& pacing) { pacing_ = pacing; }
    // How long the waiting overlay waits for the worker, in ticks of 100 ms.
    void setWaitTicks(int ticks) { waitTicks_ = ticks; }
    const NubraForm& form() const { return form_; }
    bool attemptRunning() const { return task_.busy(); }

    controls::CApproButton2* choiceButton(int choice) const { return choices_.at(choice - 1); }
    controls::CMyEditCtrl2* emailBox() const { return email_; }
    controls::CMyEditCtrl2* passwordBox() const { return password_; }
    controls::CMyEditCtrl2* confirmationBox() const { return confirmation_; }
    controls::CRoundBack* emailFrame() const { return emailFrame_; }
    controls::CRoundBack* passwordFrame() const { return passwordFrame_; }
    controls::CRoundBack* confirmationFrame() const { return confirmationFrame_; }
    controls::CImageBox* emailMark() const { return emailMark_; }
    controls::CImageBox* passwordMark() const { return passwordMark_; }
    controls::CApproButton3* termsBox() const { return terms_; }
    controls::CHyperLink* termsLink() const { return termsLink_; }
    controls::CBaseStatic* signInLabel() const { return signInLabel_; }
    controls::CBaseStatic* signUpLabel() const { return signUpLabel_; }

protected:
    void messageEvent(platform::WindowMessageEvent& event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void choose(NubraForm::Choice choice);
    void updateNext();
    void apply(const NubraForm::Effects& effects);
    void arrangeFocusChain();
    void attempt(NubraForm::Step step);
    void showNetworkError();

    controls::CMyEditCtrl2* makeBox(int id, bool password);

    std::array<controls::CApproButton2*, 3> choices_{};
    std::array<controls::CBaseStatic*, 3> choiceTexts_{};
    controls::CApproStatic* emailLabel_ = nullptr;
    controls::CApproStatic* passwordLabel_ = nullptr;
    controls::CApproStatic* confirmationLabel_ = nullptr;
    controls::CRoundBack* emailFrame_ = nullptr;
    controls::CRoundBack* passwordFrame_ = nullptr;
    controls::CRoundBack* confirmationFrame_ = nullptr;
    controls::CMyEditCtrl2* email_ = nullptr;
    controls::CMyEditCtrl2* password_ = nullptr;
    controls::CMyEditCtrl2* confirmation_ = nullptr;
    controls::CImageBox* emailMark_ = nullptr;
    controls::CImageBox* passwordMark_ = nullptr;
    controls::CApproButton3* terms_ = nullptr;
    controls::CHyperLink* termsLink_ = nullptr;
    controls::CBaseStatic* signInLabel_ = nullptr;
    controls::CBaseStatic* signUpLabel_ = nullptr;

    NubraForm form_;
    bool nextInProgress_ = false;
    bool waiting_ = false;
    bool applying_ = false;  // the boxes are emptied by the page, not typed in

    // Taken when the page opens.
    cloudstep::Link link_;
    QString recorderMac_;
    cloudstep::Pacing pacing_;
    int waitTicks_ = kWaitTicks;
    PageTask task_;
    std::shared_ptr<TaskResult<cloudstep::Outcome>> outcome_ =
        std::make_shared<TaskResult<cloudstep::Outcome>>();
};
