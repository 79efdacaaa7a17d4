#include "pages/CHddFormatDlg.h"

#include <QPointer>

#include "controls/CApproButton.h"
#include "controls/CApproStatic.h"
#include "controls/CBaseStatic2.h"
#include "controls/CImageBox.h"
#include "device/DeviceCommandWorker.h"
#include "pages/CWaitingPage.h"
#include "pages/PageLooks.h"
#include "pages/PageRegistry.h"
#include "shell/CInterDialog.h"
#include "shell/FlowTrace.h"
#include "shell/LanguagePack.h"
#include "shell/Messages.h"
#include "shell/StorageWorker.h"

namespace {

[[maybe_unused]] const bool kRegistered = RegisterPageClass<CHddFormatDlg>(10);

constexpr QRect kMountedRect(77, 122, 780 - 77, 26);
constexpr QRect kNextTextRect(77, 150, 780 - 77, 26);
constexpr QColor kTextColour(99, 101, 102);
constexpr int kTextSize = 14;
constexpr QRect kPortRect(280, 192, 300, 160);
constexpr QRect kPortCaptionRect(280, 356, 300, 22);
constexpr QColor kCaptionColour(72, 72, 72);
constexpr QRect kWarningRect(77, 396, 780 - 77, 66);
constexpr QColor kWarningColour(72, 72, 72);
constexpr QRect kSkipRect(640, 536, 140, 43);
constexpr int kTimeoutMs = 6000;

controls::CBaseStatic2* MakeText(QWidget* parent, const QRect& rect, const QColor& colour) {
    auto* text = new controls::CBaseStatic2(parent);
    text->setPixelSize(kTextSize);
    text->setTextColor(colour);
    text->setGeometry(rect);
    text->setAttribute(Qt::WA_TransparentForMouseEvents);
    return text;
}

// Waits while the worker's command runs: at most `checks` pauses of `interval`. False when the
// job was stopped meanwhile.
bool WaitWhileRunning(PageTask::Control& control, const DeviceCommandWorker& worker,
                      std::chrono::milliseconds interval, int checks) {
    for (int i = 0; i < checks && worker.status() == kCommandRunning; ++i) {
        if (!control.pause(interval)) {
            return false;
        }
    }
    return control.running();
}

}  // namespace

CHddFormatDlg::CHddFormatDlg(CInterDialog& host)
    : CPageBase(host, PageLookOf(10)), formatTask_(windowId()) {
    setObjectName(QStringLiteral("CHddFormatDlg"));
    mountedText_ = MakeText(this, kMountedRect, kTextColour);
    mountedText_->setObjectName(QStringLiteral("mountedText"));
    nextText_ = MakeText(this, kNextTextRect, kTextColour);
    nextText_->setObjectName(QStringLiteral("nextText"));
    port_ = new controls::CImageBox(this);
    port_->setObjectName(QStringLiteral("port"));
    port_->setGeometry(kPortRect);
    portCaption_ = new controls::CApproStatic(this);
    portCaption_->useVerdana(kTextSize, true);
    portCaption_->setTextColor(kCaptionColour);
    portCaption_->setAlignment(controls::CApproStatic::Align::Centre);
    portCaption_->setGeometry(kPortCaptionRect);
    portCaption_->setAttribute(Qt::WA_TransparentForMouseEvents);
    warning_ = MakeText(this, kWarningRect, kWarningColour);
    warning_->setObjectName(QStringLiteral("warning"));

    skip_ = new controls::CApproButton(kSkipId, this);
    skip_->setObjectName(QStringLiteral("skip"));
    skip_->setGeometry(kSkipRect);
    // Only a recorder that reports matching data lets the format be skipped.
    skip_->setEnabled(false);
    connect(skip_, &QAbstractButton::clicked, this, [this] { onSkip(); });

    retranslate();
    showPort();
    host.storageWorker().setReportTarget(windowId());
}

CHddFormatDlg::~CHddFormatDlg() {
    host().storageWorker().setReportTarget(0);
    formatTask_.stop();
}

void CHddFormatDlg::retranslate() {
    CPageBase::retranslate();
    if (skip_ == nullptr) {
        return;  // the base's own call, before the page's controls exist
    }
    const bool alternative = shell::UsesAlternativeLineLayout(shell::LanguageIndex());
    for (controls::CBaseStatic2* text : {mountedText_, nextText_, warning_}) {
        text->setAlternativeLineLayout(alternative);
    }
    mountedText_->setText(shell::LookupText(
        u"hddraid_02", u"A green check will appear when a hard drive is successfully mounted."));
    nextText_->setText(
        shell::LookupText(u"hddformat_10", u"Then, click Next to format all mounted hard drives."));
    warning_->setText(
        QStringLiteral("<br>") + shell::LookupText(u"hddformat_11", u"Important:") +
        QStringLiteral("</br> ") +
        shell::LookupText(u"hddformat_13",
                          u"Important: Formatting will permanently erase all data on the mounted "
                          u"hard drive(s). Please do not unplug the drive(s) without performing "
                          u"the correct eject procedure."));
    portCaption_->setText(shell::LookupText(u"HD1", u"HD1"));
    skip_->setText(shell::LookupText(u"SKIP", u"SKIP"));
    showPort();
}

void CHddFormatDlg::showPort() {
    shownPicture_ = driveReady_[0] == 1 ? kPortReadyPicture : kPortPicture;
    port_->LoadStateImage(0, shownPicture_);
    // The picture says it with a check mark; a screen reader says it in words.
    port_->setAccessibleName(portCaption_->text());
    port_->setAccessibleDescription(driveReady_[0] == 1 ? mountedText_->text() : QString());
    port_->update();
}

void CHddFormatDlg::report(std::int32_t ready) {
    driveReady_[0] = ready == 1 ? 1 : 0;
    ++reports_;
    if (host().storageWorker().state()->dataMatch.load() == 1) {
        skip_->setEnabled(true);
    }
    qCDebug(lcFlow, "drive report: ready %d, skip %s", driveReady_[0],
            skip_->isEnabled() ? "enabled" : "disabled");
    showPort();
}

int CHddFormatDlg::showAlarm(int variant) {
    overlay::OverlayData data;
    data.alarmWords = {variant, variant};
    return showOverlay(overlay::kAlarm, data);
}

void CHddFormatDlg::stopStorageWorker() {
    // Sent, not posted: the worker has stopped when this returns.
    platform::SendMessage(&host(), msg::kStorageWorker, 1);
}

void CHddFormatDlg::onNext() {
    if (busy_) {
        return;
    }
    QPointer<CHddFormatDlg> self(this);
    busy_ = true;
    if (driveReady_[0] != 1) {
        showAlarm(0);
        if (!self) {
            return;
        }
        busy_ = false;
        // A drive has to be installed first, whatever the notice returned.
        stopStorageWorker();
        navigate(msg::kNext, kToHardwareSetup);
        return;
    }
    const int answer = showAlarm(1);
    if (!self) {
        return;
    }
    if (answer != overlay::kOk) {
        busy_ = false;
        return;
    }
    if (driveReady_[0] != 1) {
        showAlarm(0);
        if (self) {
            busy_ = false;
        }
        return;
    }
    formatDrive();
    if (self) {
        busy_ = false;
    }
}

void CHddFormatDlg::formatDrive() {
    stopStorageWorker();
    auto result = formatResult_;
    result->set(FormatResult::Pending);
    std::shared_ptr<DeviceCommandWorker> worker = host().commandWorker();
    const RecorderHttpTarget target = HttpTargetOf(host().session(), host().search().get());
    const std::array<std::int32_t, 2> ready = driveReady_;
    const auto storage = host().storageWorker().state();
    const std::array<std::int32_t, 2> fileSystems = {
        FormatCodeOf(storage->fileSystemCode[0].load()),
        FormatCodeOf(storage->fileSystemCode[1].load())};
    const bool started = worker && formatTask_.start([=](PageTask::Control& control) {
        result->set(Format(control, *worker, target, ready, fileSystems, Pacing{}));
    });
    QPointer<CHddFormatDlg> self(this);
    if (started) {
        formatTask_.showWaiting(this, kFormatWaitTicks, CWaitingPage::kFormattingMode);
        if (!self) {
            return;
        }
        formatTask_.stop();
    }
    // A format still running when the wait gave up has not succeeded.
    const FormatResult outcome = started ? result->get() : FormatResult::Failed;
    qCDebug(lcFlow, "format result: %s", outcome == FormatResult::Done ? "done" : "failed");
    if (outcome != FormatResult::Done) {
        overlay::OverlayData data;
        data.errorText = shell::LookupText(u"", u"Failed to format HDD!");
        showOverlay(overlay::kError, data);
        if (self) {
            postToHost(msg::kStorageWorker, 0);
        }
        return;
    }
    stopStorageWorker();
    navigate(msg::kNext);
}

CHddFormatDlg::FormatResult CHddFormatDlg::Format(PageTask::Control& control,
                                                  DeviceCommandWorker& worker,
                                                  const RecorderHttpTarget& target,
                                                  const std::array<std::int32_t, 2>& ready,
                                                  const std::array<std::int32_t, 2>& fileSystems,
                                                  const Pacing& pacing) {
    if (!control.running()) {
        return FormatResult::Failed;
    }
    worker.StopCommand();
    for (std::size_t slot = 0; slot < ready.size(); ++slot) {
        if (ready[slot] != 1) {
            continue;
        }
        if (!control.pause(pacing.settle)) {
            return FormatResult::Failed;
        }
        worker.StopCommand();
        if (!control.pause(pacing.settle)) {
            return FormatResult::Failed;
        }
        if (!worker.StartFormatDisk(target.ip, target.port, target.user, target.password,
                                    static_cast<std::int32_t>(slot), 0, fileSystems[slot])) {
            // Nothing was formatted: going on would leave the drive as it was.
            worker.StopCommand();
            return FormatResult::Failed;
        }
        if (!WaitWhileRunning(control, worker, pacing.check, pacing.formatChecks) ||
            worker.status() != kCommandDone) {
            worker.StopCommand();
            return FormatResult::Failed;
        }
        worker.StopCommand();
        std::int32_t progress = 0;
        std::chrono::milliseconds gap = pacing.pollGap;
        for (int poll = 0; poll < pacing.polls && progress < 100; ++poll) {
            if (!control.pause(gap)) {
                return FormatResult::Failed;
            }
            gap = pacing.pollGap;
            if (!worker.StartPlainCommand(target.ip, target.port, target.user, target.password,
                                          CMD_FORMAT_POLL, kTimeoutMs)) {
                continue;
            }
            if (!WaitWhileRunning(control, worker, pacing.pollCheck, pacing.pollChecks)) {
                worker.StopCommand();
                return FormatResult::Failed;
            }
            const std::int32_t status = worker.status();
            const std::int32_t answer = worker.pollStatus();
            worker.StopCommand();
            if (status != kCommandDone) {
                return FormatResult::Failed;
            }
            if (answer > 0) {
                progress = answer;
            } else {
                // A finished poll says no more; ask again, without hurrying the recorder.
                gap = pacing.idleGap;
            }
        }
        if (progress < 100) {
            return FormatResult::Failed;
        }
    }
    return FormatResult::Done;
}

void CHddFormatDlg::onBack() {
    if (busy_) {
        return;
    }
    postToHost(msg::kStorageWorker, 1);
    navigate(msg::kBack);
}

void CHddFormatDlg::onSkip() {
    if (busy_ || !skip_->isEnabled()) {
        return;
    }
    postToHost(msg::kStorageWorker, 1);
    navigate(msg::kNext);
}

void CHddFormatDlg::messageEvent(platform::WindowMessageEvent& event) {
    if (event.message() == msg::kDriveReport) {
        report(static_cast<std::int32_t>(event.wParam()));
        return;
    }
    CPageBase::messageEvent(event);
}
