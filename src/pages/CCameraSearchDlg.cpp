#include "pages/CCameraSearchDlg.h"

#include <QPointer>
#include <QTimerEvent>

#include <algorithm>

#include "controls/CApproButton.h"
#include "controls/CApproStatic.h"
#include "controls/CBaseStatic2.h"
#include "controls/CCamListCtrl.h"
#include "controls/CIconButton.h"
#include "controls/CLinkStatic.h"
#include "controls/CListCtrlVScrollbar.h"
#include "controls/CLoadingStatic.h"
#include "device/DeviceCommandWorker.h"
#include "discovery/DeviceSearch.h"
#include "pages/CCameraPwd2Page.h"
#include "pages/CCameraPwdPage.h"
#include "pages/PageLooks.h"
#include "pages/PageRegistry.h"
#include "pages/SearchControls.h"
#include "shell/CInterDialog.h"
#include "shell/CameraList.h"
#include "shell/FlowTrace.h"
#include "shell/LanguagePack.h"
#include "shell/Messages.h"
#include "shell/OverlayKinds.h"
#include "util/DisplayText.h"

namespace {

[[maybe_unused]] const bool kRegistered = RegisterPageClass<CCameraSearchDlg>(11);

// Positions below the description; d grows with its lines.
constexpr int kLineHeight = 20;
constexpr int kRescanTop = 133;
constexpr QRect kList(80, 168, 688, 225);
constexpr QRect kScrollBar(768, 168, 14, 225);
constexpr int kBusyWidth = 600;
constexpr int kBusyHeight = 60;
constexpr int kNoteCentreX = 429;
constexpr int kNoteWidth = 600;
constexpr int kNoteHeight = 30;
constexpr QRect kInstall(76, 418, 786 - 76, 496 - 418);
constexpr int kInstallSize = 14;
constexpr QColor kInstallColour(72, 72, 72);
constexpr int kFocusListFrom = 4;  // ticked rows from which the list takes the focus back
const QString kAdmin = QStringLiteral("admin");

}  // namespace

CCameraSearchDlg::CCameraSearchDlg(CInterDialog& host)
    : CPageBase(host, PageLookOf(11)),
      discovery_(windowId(), kDiscoveryStopWait),
      verify_(windowId(), kWorkerStopWait),
      change_(windowId(), kWorkerStopWait),
      add_(windowId(), kWorkerStopWait),
      // Not waited for on leaving: it only reads, and its results go nowhere then.
      regInfo_(windowId(), std::chrono::milliseconds(0)) {
    setObjectName(QStringLiteral("CCameraSearchDlg"));
    searchControls_ = std::make_unique<SearchControls>(this, QStringLiteral("id%1").arg(kBusyId),
                                                       QStringLiteral("noCamera"));
    rescan_ = searchControls_->rescan();
    busy_ = searchControls_->busy();
    noCamera_ = searchControls_->note();
    connect(rescan_, &QAbstractButton::clicked, this,
            [this] { platform::PostMessage(windowId(), msg::kScan); });

    list_ = new controls::CCamListCtrl(this, windowId());
    list_->setObjectName(QStringLiteral("id%1").arg(kListId));
    searchControls_->raiseOverList();

    install_ = new controls::CLinkStatic(this, overlay::kInstallCamera);
    install_->setObjectName(QStringLiteral("installLink"));
    install_->setTextFont(kInstallSize, false);
    install_->setColor(kInstallColour);

    retranslate();
    firstScan_.start(static_cast<int>(kFirstScanDelay.count()), this);
}

CCameraSearchDlg::~CCameraSearchDlg() {
    discovery_.stop();
    verify_.stop();
    change_.stop();
    add_.stop();
    regInfo_.requestStop();
}

void CCameraSearchDlg::retranslate() {
    CPageBase::retranslate();
    if (rescan_ == nullptr) {
        return;  // the base's own call, before the page's controls exist
    }
    searchControls_->retranslate(shell::LookupText(u"No camera found!", u"No camera found!"));
    install_->setText(shell::LookupText(u"camsearch_03 ", u"How to install your network camera."));
    install_->setAccessibleName(install_->text());
    list_->retranslate();
    place();
}

void CCameraSearchDlg::place() {
    const int lines = bodyLabel() != nullptr ? bodyLabel()->lineCount() : 1;
    const int d = std::max(0, lines - 1) * kLineHeight;
    searchControls_->placeRescan(kRescanTop + d);
    const QRect list = kList.translated(0, d);
    list_->setGeometry(list);
    list_->scrollBar()->setGeometry(kScrollBar.translated(0, d));
    const QRect busy(list.center().x() - kBusyWidth / 2, list.center().y() - kBusyHeight / 2,
                     kBusyWidth, kBusyHeight);
    busy_->setGeometry(busy);
    noCamera_->setGeometry(kNoteCentreX - kNoteWidth / 2, busy.center().y() - kNoteHeight / 2,
                           kNoteWidth, kNoteHeight);
    install_->setGeometry(kInstall.translated(0, d));
}

void CCameraSearchDlg::timerEvent(QTimerEvent* event) {
    if (event->timerId() != firstScan_.timerId()) {
        CPageBase::timerEvent(event);
        return;
    }
    firstScan_.stop();
    if (!firstScanStarted_) {
        firstScanStarted_ = true;
        platform::PostMessage(windowId(), msg::kScan);
    }
}

std::vector<CameraEntry*> CCameraSearchDlg::entries() const {
    std::vector<CameraEntry*> all;
    WizardSession& session = host().session();
    for (int i = 0; i < session.cameraCount(); ++i) {
        all.push_back(session.cameraAt(i));
    }
    return all;
}

CameraEntry* CCameraSearchDlg::firstEntry(const QString& ip) const {
    for (CameraEntry* entry : entries()) {
        if (entry->cameraIp == ip) {
            return entry;
        }
    }
    return nullptr;
}

camerastep::Recorder CCameraSearchDlg::recorder() const {
    const WizardSession& session = host().session();
    camerastep::Recorder r;
    r.ip = session.recorderIp();
    r.user = session.adminUser();
    r.password = session.adminPassword();
    r.port = session.recorderPort.load();
    r.replyType = session.replyType.load();
    r.clockDelta = session.clockDelta.load();
    if (const auto& search = host().search()) {
        const int index = search->FindByMac(session.recorderMac());
        r.portByMac = index >= 0 ? search->Port(index) : 0;
    }
    if (const auto& worker = host().commandWorker()) {
        r.securePort = worker->securePort();
    }
    return r;
}

void CCameraSearchDlg::enableButtons(bool enabled) {
    rescan_->setEnabled(enabled);
    closeButton()->setEnabled(enabled);
    backButton()->setEnabled(enabled);
    nextButton()->setEnabled(enabled);
}

void CCameraSearchDlg::setScanning(bool scanning) {
    scanning_ = scanning;
    enableButtons(!scanning);
    searchControls_->showBusy(scanning);
}

void CCameraSearchDlg::stopWorkers() {
    // Whatever the stopped scan still posts is no longer wanted.
    ++generation_;
    discovery_.stop();
    verify_.stop();
    change_.stop();
}

void CCameraSearchDlg::scan() {
    if (scanning_ || nextRunning_) {
        return;
    }
    stopWorkers();
    noCamera_->hide();
    selection_.remember(entries());
    selection_.fill({});
    list_->clearRows();
    list_->setGreyed(false);
    setScanning(true);
    qCDebug(lcFlow, "camera scan");
    std::shared_ptr<DeviceCommandWorker> worker = host().commandWorker();
    const camerastep::Recorder target = recorder();
    const camerastep::Pacing pacing = pacing_;
    const int generation = generation_;
    if (!worker ||
        !discovery_.start([this, worker, target, pacing, generation](PageTask::Control& control) {
            if (const auto lines = camerastep::Discover(control, *worker, target, pacing)) {
                control.post([this, generation, list = *lines] { takeList(generation, list); });
                control.pause(pacing.afterList);
            }
            control.post([this, generation] { scanEnded(generation); });
        })) {
        scanEnded(generation);
    }
}

void CCameraSearchDlg::takeList(int generation, const QStringList& lines) {
    if (generation != generation_) {
        return;
    }
    WizardSession& session = host().session();
    session.clearCameras();
    for (const QString& line : lines) {
        if (auto entry = cameras::EntryFromLine(line)) {
            session.addCamera(std::make_unique<CameraEntry>(std::move(*entry)));
        }
    }
    selection_.fill(entries());
    showRows();
    noCamera_->setVisible(session.cameraCount() == 0);
    qCDebug(lcFlow, "camera list: %d cameras", session.cameraCount());
}

void CCameraSearchDlg::scanEnded(int generation) {
    if (generation != generation_) {
        return;
    }
    ++scansTaken_;
    setScanning(false);
    qCDebug(lcFlow, "camera scan ended");
}

void CCameraSearchDlg::showRows() {
    std::vector<controls::CCamListCtrl::Row> rows;
    for (const CameraSelection::Row& row : selection_.rows()) {
        const CameraEntry* entry = firstEntry(row.cameraIp);
        rows.push_back({entry != nullptr ? DisplayText(entry->model) : QString(), row.cameraIp,
                        row.ticked, row.passwordKnown});
    }
    list_->setRows(std::move(rows));
    list_->setGreyed(selection_.full());
}

void CCameraSearchDlg::syncRow(int row) {
    if (const CameraSelection::Row* state = selection_.row(row)) {
        list_->setRowState(row, state->ticked, state->passwordKnown);
    }
    list_->setGreyed(selection_.full());
}

void CCameraSearchDlg::tickRequest(int row) {
    const CameraSelection::Row* state = selection_.row(row);
    if (state == nullptr || scanning_ || nextRunning_) {
        return;
    }
    if (state->ticked) {
        selection_.untick(row);
        syncRow(row);
        return;
    }
    const QString ip = state->cameraIp;
    CameraEntry* entry = firstEntry(ip);
    switch (selection_.requestTick(row, entry)) {
        case CameraSelection::Tick::Refused:
            return;
        case CameraSelection::Tick::Ticked:
            syncRow(row);
            qCDebug(lcFlow, "camera ticked: %s", qPrintable(ip));
            return;
        case CameraSelection::Tick::EnterPassword:
            askPassword(row, *entry, false);
            return;
        case CameraSelection::Tick::CreatePassword:
            askPassword(row, *entry, true);
            return;
    }
}

void CCameraSearchDlg::askPassword(int row, const CameraEntry& camera, bool create) {
    current_ = {row, camera};
    // A fresh one for every page: a check still running for an earlier page answers there.
    exchange_ = std::make_shared<CameraPasswordExchange>();
    exchange_->setPassword(camera.password);
    const CameraPasswordRequest request{this, windowId(), DisplayText(camera.model), exchange_};
    QPointer<CCameraSearchDlg> self(this);
    const int result = create ? CCameraPwd2Page::Run(request) : CCameraPwdPage::Run(request);
    qCDebug(lcFlow, "camera password page closed: %d", result);
    if (self && selection_.tickedCount() >= kFocusListFrom) {
        list_->setFocus(Qt::OtherFocusReason);
        list_->viewport()->update();
    }
}

void CCameraSearchDlg::startPasswordJob(bool create) {
    PageTask& task = create ? change_ : verify_;
    // A request while the last attempt lingers fails at once.
    if (task.running()) {
        exchange_->result.store(CameraPasswordExchange::kFailed);
        return;
    }
    std::shared_ptr<DeviceCommandWorker> worker = host().commandWorker();
    std::shared_ptr<DeviceSearch> search = host().search();
    auto exchange = exchange_;
    const Current current = current_;
    const QString password = exchange_->password();
    const camerastep::Recorder target = recorder();
    const camerastep::Pacing pacing = pacing_;
    const bool started = worker && task.start([=, this](PageTask::Control& control) {
        const bool accepted =
            create ? camerastep::CreatePassword(control, *worker, search.get(), target,
                                                current.camera, password, pacing)
                   : camerastep::VerifyPassword(control, *worker, target, current.camera, password,
                                                pacing);
        if (accepted && control.running()) {
            // The row is ticked before the password page hears of it.
            control.post([this, current, password, create] {
                passwordAccepted(current.row, current.camera.cameraIp, password, !create);
            });
            exchange->result.store(CameraPasswordExchange::kAccepted);
        } else {
            exchange->result.store(CameraPasswordExchange::kFailed);
        }
        camerastep::Linger(control, pacing);
    });
    if (!started) {
        exchange_->result.store(CameraPasswordExchange::kFailed);
    }
}

void CCameraSearchDlg::passwordAccepted(int row, const QString& ip, const QString& password,
                                        bool known) {
    if (CameraEntry* entry = firstEntry(ip)) {
        entry->password = password;
        entry->verified = 1;
    }
    const CameraSelection::Row* state = selection_.row(row);
    if (state != nullptr && state->cameraIp == ip && selection_.tickAccepted(row, known)) {
        syncRow(row);
        qCDebug(lcFlow, "camera ticked: %s", qPrintable(ip));
    }
}

void CCameraSearchDlg::openPreview(int row) {
    const CameraSelection::Row* state = selection_.row(row);
    if (state == nullptr || !state->passwordKnown || previewOpen_) {
        return;
    }
    const CameraEntry* entry = firstEntry(state->cameraIp);
    if (entry == nullptr) {
        return;
    }
    const QPoint anchor = list_->previewAnchor();
    overlay::OverlayData data;
    data.previewTexts = {state->cameraIp, kAdmin, entry->password};
    data.previewWords = {anchor.x() + 2, anchor.y() - 5, cameras::IsLegacy(*entry) ? 1 : 0};
    qCDebug(lcFlow, "camera preview: %s", qPrintable(state->cameraIp));
    QPointer<CCameraSearchDlg> self(this);
    previewOpen_ = true;
    showOverlay(overlay::kPreview, data);
    if (self) {
        previewOpen_ = false;
    }
}

void CCameraSearchDlg::onNext() {
    if (nextRunning_ || scanning_ || !nextButton()->isEnabled()) {
        return;
    }
    nextRunning_ = true;
    stopWorkers();
    enableButtons(false);
    std::shared_ptr<DeviceCommandWorker> worker = host().commandWorker();
    const camerastep::Recorder target = recorder();
    const camerastep::Pacing pacing = pacing_;

    auto registration = std::make_shared<TaskResult<camerastep::Registration>>();
    registration->set({.portal = {.access = QStringLiteral("0")}});
    regInfo_.stop();
    if (worker && regInfo_.start([=](PageTask::Control& control) {
            registration->set(camerastep::ReadRegistration(control, *worker, target, pacing));
        })) {
        if (!regInfo_.waitOver(this, kWaitTicks)) {
            return;
        }
    }
    QPointer<CCameraSearchDlg> self(this);
    const camerastep::Registration read = registration->get();
    if (read.failed) {
        showOverlay(overlay::kError);
    } else if (read.portal.access != QLatin1String("1")) {
        showOverlay(overlay::kNetAlarm);
    }
    if (!self) {
        return;
    }
    host().summaryText1 = read.portal.portalUrl;
    host().summaryText2 = read.portal.portalNumber;
    host().localHyperlink = read.portal.localHyperlink;
    host().portalAccess = read.portal.access;
    host().portalDfp = read.portal.portalDfp;

    for (const CameraSelection::Row& row : selection_.rows()) {
        if (!row.ticked) {
            continue;
        }
        for (CameraEntry* entry : entries()) {
            if (entry->cameraIp == row.cameraIp) {
                entry->selected = 1;
            }
        }
    }
    std::vector<CameraEntry> cameras;
    for (const CameraEntry* entry : entries()) {
        cameras.push_back(*entry);
    }
    auto outcome = std::make_shared<TaskResult<camerastep::AddOutcome>>();
    if (worker && add_.start([=](PageTask::Control& control) {
            outcome->set(camerastep::AddCameras(control, *worker, target, cameras, pacing));
        })) {
        if (!add_.waitOver(this, kWaitTicks)) {
            return;
        }
    }
    // Only what the recorder took counts as added; an add still running when the wait ended
    // has not been taken.
    const std::vector<int> added = add_.busy() ? std::vector<int>{} : outcome->get().added;
    notAdded_.clear();
    const std::vector<CameraEntry*> all = entries();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i]->selected == 1 &&
            std::find(added.begin(), added.end(), static_cast<int>(i)) == added.end()) {
            all[i]->selected = 0;
            notAdded_.append(
                QStringLiteral("%1 (%2)").arg(DisplayText(all[i]->model), all[i]->cameraIp));
        }
    }
    host().session().setCloudEmail(read.email);
    host().session().setCloudPassword(read.password);
    qCDebug(lcFlow, "cameras added: %d, not added: %d", static_cast<int>(added.size()),
            static_cast<int>(notAdded_.size()));
    if (!notAdded_.isEmpty()) {
        overlay::OverlayData data;
        data.errorText = shell::LookupText(u"", u"The recorder could not add these cameras:") +
                         QLatin1Char('\n') + notAdded_.join(QLatin1Char('\n'));
        showOverlay(overlay::kError, data);
        if (!self) {
            return;
        }
    }
    enableButtons(true);
    nextRunning_ = false;
    navigate(msg::kNext);
}

void CCameraSearchDlg::onBack() {
    if (nextRunning_ || scanning_) {
        return;
    }
    stopWorkers();
    postToHost(msg::kStorageWorker, 0);
    navigate(msg::kBack);
}

void CCameraSearchDlg::messageEvent(platform::WindowMessageEvent& event) {
    switch (event.message()) {
        case msg::kScan:
            scan();
            return;
        case msg::kTickRequest:
            tickRequest(static_cast<int>(event.wParam()));
            return;
        case msg::kVerifyCameraPassword:
            startPasswordJob(false);
            return;
        case msg::kCreateCameraPassword:
            startPasswordJob(true);
            return;
        case msg::kShowOverlay:
            if (event.wParam() == overlay::kPreview) {
                if (event.lParam() >= 0) {
                    openPreview(static_cast<int>(event.lParam()));
                }
                return;
            }
            break;
        default:
            break;
    }
    CPageBase::messageEvent(event);
}
