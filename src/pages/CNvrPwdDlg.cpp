#include "pages/CNvrPwdDlg.h"

#include <QFocusEvent>
#include <QTimerEvent>

#include "controls/CApproButton.h"
#include "controls/CApproStatic.h"
#include "controls/CBaseStatic2.h"
#include "controls/CErrorMark.h"
#include "controls/CErrorStatic.h"
#include "controls/CIconButton.h"
#include "controls/CImageButton.h"
#include "controls/CMyEditCtrl2.h"
#include "device/DeviceCommandWorker.h"
#include "discovery/DeviceSearch.h"
#include "pages/PageLooks.h"
#include "pages/PageRegistry.h"
#include "shell/CInterDialog.h"
#include "shell/FlowTrace.h"
#include "shell/LanguagePack.h"
#include "shell/Messages.h"

namespace {

[[maybe_unused]] const bool kRegistered = RegisterPageClass<CNvrPwdDlg>(8);

const QString kAdmin = QStringLiteral("admin");

constexpr QRect kSubtitleRect(77, 122, 780 - 77, 50);
constexpr QColor kSubtitleColour(99, 101, 102);
constexpr int kSubtitleSize = 14;
constexpr int kLabelLeft = 160;
constexpr int kLabelWidth = 170;
constexpr QColor kLabelColour(72, 72, 72);
constexpr int kLabelSize = 14;
constexpr int kBoxLeft = 340;
constexpr int kBoxWidth = 300;
constexpr int kBoxHeight = 34;
constexpr int kFirstRowTop = 200;
constexpr int kRowPitch = 58;
constexpr int kHintGap = 8;
constexpr int kHintHeight = 20;
constexpr int kHintSize = 12;
constexpr QColor kHintColour(140, 140, 140);
constexpr int kMarkGap = 12;
constexpr int kHelpGap = 10;
constexpr int kHelpSide = 24;
constexpr int kHelpPicture = 4012;
constexpr QRect kBannerRect(120, 345, 740 - 120, 44);
constexpr QColor kBannerColour(229, 57, 53);

QRect RowRect(int row) {
    return {kBoxLeft, kFirstRowTop + row * kRowPitch, kBoxWidth, kBoxHeight};
}

QRect LabelRect(int row) {
    return {kLabelLeft, kFirstRowTop + row * kRowPitch, kLabelWidth, kBoxHeight};
}

QRect MarkRect(const QRect& box) {
    const int side = controls::CErrorMark::kSide;
    return {box.right() + 1 + kMarkGap, box.top() + (box.height() - side) / 2, side, side};
}

controls::CApproStatic* MakeLabel(QWidget* parent, int size, const QColor& colour) {
    auto* label = new controls::CApproStatic(parent);
    label->useVerdana(size);
    label->setTextColor(colour);
    label->setVerticalCentre(true);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

controls::CMyEditCtrl2* MakeBox(QWidget* parent, int id, bool password) {
    auto* box = new controls::CMyEditCtrl2(id, parent);
    box->setObjectName(QStringLiteral("id%1").arg(id));
    box->setFramed(true);
    box->setPasswordMode(password);
    return box;
}

}  // namespace

CNvrPwdDlg::CNvrPwdDlg(CInterDialog& host)
    : CPageBase(host, PageLookOf(8)), modeTask_(windowId()), applyTask_(windowId()) {
    setObjectName(QStringLiteral("CNvrPwdDlg"));
    subtitle_ = new controls::CBaseStatic2(this);
    subtitle_->setObjectName(QStringLiteral("subtitle"));
    subtitle_->setPixelSize(kSubtitleSize);
    subtitle_->setTextColor(kSubtitleColour);
    subtitle_->setGeometry(kSubtitleRect);
    subtitle_->setAttribute(Qt::WA_TransparentForMouseEvents);

    userLabel_ = MakeLabel(this, kLabelSize, kLabelColour);
    firstLabel_ = MakeLabel(this, kLabelSize, kLabelColour);
    secondLabel_ = MakeLabel(this, kLabelSize, kLabelColour);
    user_ = MakeBox(this, 0, false);
    user_->setObjectName(QStringLiteral("adminUser"));
    user_->setText(kAdmin);
    user_->setReadOnly(true);
    user_->setFocusPolicy(Qt::NoFocus);
    first_ = MakeBox(this, kFirstBoxId, true);
    second_ = MakeBox(this, kSecondBoxId, true);
    hint_ = MakeLabel(this, kHintSize, kHintColour);
    firstMark_ = new controls::CErrorMark(this);
    secondMark_ = new controls::CErrorMark(this);
    help_ = new controls::CImageButton(0, this);
    help_->setObjectName(QStringLiteral("help"));
    help_->setIdValue(overlay::kReset);
    help_->LoadPicture(kHelpPicture);
    help_->setFocusPolicy(Qt::StrongFocus);
    banner_ = new controls::CErrorStatic(this);
    banner_->setObjectName(QStringLiteral("banner"));
    banner_->setColor(kBannerColour);
    banner_->setGeometry(kBannerRect);

    connect(first_, &QLineEdit::textChanged, this, [this](const QString& text) {
        form_.firstChanged(text);
        showMarks();
    });
    connect(second_, &QLineEdit::textChanged, this, [this] {
        form_.secondChanged(first_->text());
        showMarks();
    });
    first_->installEventFilter(this);
    second_->installEventFilter(this);

    // This page hears of an unreachable recorder from the login probe.
    host.loginProbe().setNoticeTarget(windowId());
    const WizardSession& session = host.session();
    target_ = {session.recorderIp(), session.recorderMac(), session.replyType.load(),
               session.clockDelta.load()};
    adminUser_ = session.adminUser();

    retranslate();
    const LoginProbeWords& words = host.loginProbe().words();
    if (words.busy.load() == 0) {
        decideMode(words.open.load() == 1);
    } else {
        layOut();
        modeTimer_.start(static_cast<int>(kModeDelay.count()), this);
    }
}

CNvrPwdDlg::~CNvrPwdDlg() {
    host().loginProbe().setNoticeTarget(0);
    modeTask_.stop();
    applyTask_.stop();
}

void CNvrPwdDlg::retranslate() {
    CPageBase::retranslate();
    if (banner_ == nullptr) {
        return;  // the base's own call, before the page's controls exist
    }
    const bool create = form_.mode() == NvrPasswordForm::Mode::Create;
    subtitle_->setAlternativeLineLayout(shell::UsesAlternativeLineLayout(shell::LanguageIndex()));
    subtitle_->setText(
        create ? shell::LookupText(u"nvrpwd_02", u"Create and confirm a password for your device")
               : shell::LookupText(u"nvrpwd_08", u"Please enter the password for your device."));
    userLabel_->setText(shell::LookupText(u"Admin", u"Admin"));
    firstLabel_->setText(shell::LookupText(u"Password", u"Password"));
    secondLabel_->setText(shell::LookupText(u"Confirm Password", u"Confirm Password"));
    hint_->setText(shell::LookupText(u"nvrpwd_09", u"6-31 characters, case-sensitive, no spaces"));
    user_->setAccessibleName(userLabel_->text());
    first_->setAccessibleName(firstLabel_->text());
    first_->setAccessibleDescription(create ? hint_->text() : QString());
    second_->setAccessibleName(secondLabel_->text());
    firstMark_->setAccessibleName(shell::LookupText(u"Error", u"Error"));
    secondMark_->setAccessibleName(firstMark_->accessibleName());
    // It opens the reset instructions; their button's word names it.
    help_->setAccessibleName(shell::LookupText(u"RESET", u"RESET"));
    showMarks();
}

void CNvrPwdDlg::decideMode(bool open) {
    form_.setMode(open ? NvrPasswordForm::Mode::Create : NvrPasswordForm::Mode::Verify);
    modeDecided_ = true;
    adminUser_ = kAdmin;
    host().session().setAdminUser(kAdmin);
    qCDebug(lcFlow, "password page mode: %s", open ? "create" : "verify");
    retranslate();
    layOut();
    if (isVisible()) {
        first_->setFocus(Qt::OtherFocusReason);
    }
}

void CNvrPwdDlg::layOut() {
    const bool create = form_.mode() == NvrPasswordForm::Mode::Create;
    const bool shown = modeDecided_;
    // Create: password, confirmation, hint. Verify: the user name above the one password box.
    const int firstRow = create ? 0 : 1;
    userLabel_->setGeometry(LabelRect(0));
    user_->setGeometry(RowRect(0));
    firstLabel_->setGeometry(LabelRect(firstRow));
    first_->setGeometry(RowRect(firstRow));
    secondLabel_->setGeometry(LabelRect(1));
    second_->setGeometry(RowRect(1));
    const QRect secondBox = RowRect(1);
    hint_->setGeometry(kBoxLeft, secondBox.bottom() + 1 + kHintGap, kBoxWidth + 100, kHintHeight);
    firstMark_->setGeometry(MarkRect(first_->geometry()));
    secondMark_->setGeometry(MarkRect(secondBox));
    const QRect mark = firstMark_->geometry();
    help_->setGeometry(mark.right() + 1 + kHelpGap,
                       first_->geometry().top() + (kBoxHeight - kHelpSide) / 2, kHelpSide,
                       kHelpSide);

    subtitle_->setVisible(shown);
    userLabel_->setVisible(shown && !create);
    user_->setVisible(shown && !create);
    firstLabel_->setVisible(shown);
    first_->setVisible(shown);
    secondLabel_->setVisible(shown && create);
    second_->setVisible(shown && create);
    hint_->setVisible(shown && create);
    help_->setVisible(shown && !create);
    showMarks();
}

void CNvrPwdDlg::showMarks() {
    const NvrPasswordForm::Mark mark = form_.mark();
    first_->setError(mark == NvrPasswordForm::Mark::First);
    second_->setError(mark == NvrPasswordForm::Mark::Second);
    firstMark_->setVisible(modeDecided_ && mark == NvrPasswordForm::Mark::First);
    secondMark_->setVisible(modeDecided_ && mark == NvrPasswordForm::Mark::Second &&
                            form_.mode() == NvrPasswordForm::Mode::Create);
    banner_->setText(bannerText());
    banner_->setAccessibleName(banner_->text());
    banner_->setVisible(form_.bannerShown());
}

QString CNvrPwdDlg::bannerText() const {
    const auto prefixed = [](const QString& text) {
        return shell::LookupText(u"Error", u"Error") + QStringLiteral(": ") + text;
    };
    switch (form_.message()) {
        case NvrPasswordForm::Message::None:
            return {};
        case NvrPasswordForm::Message::RuleWhileTyping:
            return prefixed(shell::LookupText(
                u"nvrpwd_04", u"Must be 6-31 characters, case-sensitive, no spaces."));
        case NvrPasswordForm::Message::RuleOnNext:
            return prefixed(shell::LookupText(u"nvrpwd_04",
                                              u"(Must be 6-31 characters, must contain at least "
                                              u"2 letters, case-sensitive, no spaces.)"));
        case NvrPasswordForm::Message::Mismatch:
            return prefixed(
                shell::LookupText(u"nvrpwd_03", u"The password don't match. Please try again."));
        case NvrPasswordForm::Message::Incorrect:
            return prefixed(
                shell::LookupText(u"nvrpwd_07", u"Incorrect password. Please try again."));
        case NvrPasswordForm::Message::SetFailed:
            return shell::LookupText(u"nvrpwd_06", u"Failed to set account password");
    }
    return {};
}

void CNvrPwdDlg::showEvent(QShowEvent* event) {
    CPageBase::showEvent(event);
    // The boxes lead straight to Next; Back and the help follow.
    const QList<QWidget*> chain = {first_, second_,          nextButton(), backButton(),
                                   help_,  minimiseButton(), closeButton()};
    for (qsizetype i = 1; i < chain.size(); ++i) {
        if (chain[i - 1] && chain[i]) {
            QWidget::setTabOrder(chain[i - 1], chain[i]);
        }
    }
    // The host focuses the page itself once it is shown; the box takes it over afterwards.
    platform::PostCall(windowId(), [this] {
        if (modeDecided_ && first_->isVisible()) {
            first_->setFocus(Qt::OtherFocusReason);
        }
    });
}

bool CNvrPwdDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && (watched == first_ || watched == second_)) {
        // Switching windows or opening the waiting overlay is not leaving the box.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && !waiting_) {
            if (watched == first_) {
                form_.firstLeft(first_->text(), second_->text());
            } else {
                form_.secondLeft(first_->text(), second_->text());
            }
            showMarks();
        }
    }
    return CPageBase::eventFilter(watched, event);
}

void CNvrPwdDlg::timerEvent(QTimerEvent* event) {
    if (event->timerId() != modeTimer_.timerId()) {
        CPageBase::timerEvent(event);
        return;
    }
    modeTimer_.stop();
    waitForProbe();
}

void CNvrPwdDlg::waitForProbe() {
    std::shared_ptr<const LoginProbeWords> words = host().loginProbe().sharedWords();
    auto open = probeOpen_;
    modeTask_.start([words, open](PageTask::Control& control) {
        for (int i = 0; i < kModePolls && control.running() && words->busy.load() != 0; ++i) {
            control.pause(kModePoll);
        }
        open->set(words->open.load() == 1);
    });
    QPointer<CNvrPwdDlg> self(this);
    waiting_ = true;
    modeTask_.showWaiting(this, kWaitTicks);
    if (!self) {
        return;
    }
    waiting_ = false;
    decideMode(probeOpen_->get());
    if (noticePending_) {
        showNetworkNotice();
    }
}

void CNvrPwdDlg::onNext() {
    if (!modeDecided_ || waiting_) {
        return;
    }
    const QString password = first_->text();
    const bool accepted = form_.acceptNext(password, second_->text());
    showMarks();
    if (!accepted) {
        return;
    }
    auto result = applyResult_;
    result->set(ApplyResult::Pending);
    const auto search = host().search();
    const auto worker = host().commandWorker();
    const RecorderTarget target = target_;
    const QString user = adminUser_;
    const NvrPasswordForm::Mode mode = form_.mode();
    applyTask_.start([=](PageTask::Control& control) {
        result->set(Apply(control, search, worker, target, user, password, mode));
    });
    QPointer<CNvrPwdDlg> self(this);
    waiting_ = true;
    applyTask_.showWaiting(this, kWaitTicks);
    if (!self) {
        return;
    }
    waiting_ = false;
    applied(applyResult_->get());
    if (noticePending_) {
        showNetworkNotice();
    }
}

CNvrPwdDlg::ApplyResult CNvrPwdDlg::Apply(PageTask::Control& control,
                                          const std::shared_ptr<DeviceSearch>& search,
                                          const std::shared_ptr<DeviceCommandWorker>& worker,
                                          const RecorderTarget& target, const QString& user,
                                          const QString& password, NvrPasswordForm::Mode mode) {
    const bool create = mode == NvrPasswordForm::Mode::Create;
    const ApplyResult failed = create ? ApplyResult::SetFailed : ApplyResult::Refused;
    if (!control.pause(kApplyPause)) {
        return failed;  // the page went away
    }
    if (!search || !worker) {
        return ApplyResult::NotStarted;
    }
    const AccountStart start =
        create ? StartPasswordChange(*search, *worker, target, user, QString(), password)
               : StartLoginCheck(*search, *worker, target, user, password);
    if (start != AccountStart::Sent) {
        return ApplyResult::NotStarted;
    }
    const std::int32_t status = WaitForAccountReply(
        *worker, [&control](auto interval) { return control.pause(interval); }, kApplyPoll,
        kApplyPolls);
    if (create) {
        if (status != kCommandDone) {
            return ApplyResult::SetFailed;
        }
        worker->setLastUdpPassword(worker->lastUdpNewPassword());
        return ApplyResult::Success;
    }
    return status == kCommandDone && worker->loginAccepted() == 1 ? ApplyResult::Success
                                                                  : ApplyResult::Refused;
}

void CNvrPwdDlg::applied(ApplyResult result) {
    const bool create = form_.mode() == NvrPasswordForm::Mode::Create;
    static constexpr const char* kResultNames[] = {"pending", "success", "refused", "set failed",
                                                   "not started"};
    qCDebug(lcFlow, "password result: %s", kResultNames[static_cast<int>(result)]);
    switch (result) {
        case ApplyResult::Success:
            // Written only now: every failure leaves the session as it was.
            host().session().setAdminPassword(first_->text());
            navigate(msg::kNext);
            return;
        case ApplyResult::NotStarted:
            showMarks();
            noticePending_ = true;
            return;
        case ApplyResult::Refused:
        case ApplyResult::SetFailed:
        case ApplyResult::Pending:
            if (create) {
                form_.setFailed();
            } else {
                form_.refused();
            }
            showMarks();
            return;
    }
}

void CNvrPwdDlg::showNetworkNotice() {
    noticePending_ = false;
    showOverlay(overlay::kError);
}

void CNvrPwdDlg::messageEvent(platform::WindowMessageEvent& event) {
    if (event.message() == msg::kNetworkNotice) {
        // Not over the waiting overlay: it follows once the wait is over.
        if (waiting_) {
            noticePending_ = true;
        } else {
            showNetworkNotice();
        }
        return;
    }
    CPageBase::messageEvent(event);
}

void CNvrPwdDlg::onOverlayResult(int, int result) {
    if (result == overlay::kOk) {
        navigate(msg::kHome);
    }
}
