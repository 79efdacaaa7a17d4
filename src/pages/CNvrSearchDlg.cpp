#include "pages/CNvrSearchDlg.h"

#include <QTimerEvent>

#include "controls/CApproButton.h"
#include "controls/CApproStatic.h"
#include "controls/CBaseStatic2.h"
#include "controls/CIconButton.h"
#include "controls/CLinkStatic.h"
#include "controls/CListCtrlVScrollbar.h"
#include "controls/CLoadingStatic.h"
#include "controls/CNvrListCtrl.h"
#include "discovery/DeviceSearch.h"
#include "pages/PageLooks.h"
#include "pages/PageRegistry.h"
#include "pages/SearchControls.h"
#include "shell/CInterDialog.h"
#include "shell/FlowTrace.h"
#include "shell/LanguagePack.h"
#include "shell/Messages.h"
#include "shell/OverlayKinds.h"
#include "shell/Product.h"

namespace {

[[maybe_unused]] const bool kRegistered = RegisterPageClass<CNvrSearchDlg>(7);

const QString kModel = QString::fromUtf16(product::kModel);
const QString kNoAddress = QStringLiteral("0.0.0.0");
const QString kNoMac = QStringLiteral("xxxxxxxxxxxxxxxx");

// Positions below the description, whose height H follows its text.
constexpr int kRescanTop = 133;
constexpr QRect kList(80, 168, 688, 220);  // top relative to H
constexpr QRect kScrollBar(768, 168, 14, 220);
constexpr int kAnimationLeft = 130;
constexpr int kAnimationWidth = 730 - 130;
constexpr int kAnimationCentre = 110;  // below the list top
constexpr int kAnimationHalf = 30;
constexpr int kNoDeviceCentreX = 429;
constexpr int kNoDeviceTop = 95;  // below the list top
constexpr int kNoDeviceWidth = 600;
constexpr int kNoDeviceHeight = 30;
constexpr int kNotFoundLeft = 76;
constexpr int kNotFoundTop = 418;
constexpr int kNotFoundWidth = 640;
constexpr int kNotFoundHeight = 30;
constexpr int kNotFoundSize = 14;
constexpr QColor kNotFoundColour(99, 101, 102);
constexpr int kNotFoundIcon = 4012;

}  // namespace

CNvrSearchDlg::CNvrSearchDlg(CInterDialog& host)
    : CPageBase(host, PageLookOf(7)), task_(windowId()) {
    setObjectName(QStringLiteral("CNvrSearchDlg"));
    searchControls_ = std::make_unique<SearchControls>(this, QStringLiteral("searching"),
                                                       QStringLiteral("noDevice"));
    rescan_ = searchControls_->rescan();
    animation_ = searchControls_->busy();
    noDevice_ = searchControls_->note();
    connect(rescan_, &QAbstractButton::clicked, this, [this] { rescan(); });

    list_ = new controls::CNvrListCtrl(this, windowId());
    list_->setObjectName(QStringLiteral("id1030"));
    searchControls_->raiseOverList();

    notFound_ = new controls::CLinkStatic(this, overlay::kNoDevice);
    notFound_->setObjectName(QStringLiteral("notFound"));
    notFound_->setTextFont(kNotFoundSize, false);
    notFound_->setColor(kNotFoundColour);
    notFound_->setIcon(kNotFoundIcon);

    if (nextButton()) {
        nextButton()->setEnabled(false);
    }
    retranslate();
    firstSearch_.start(static_cast<int>(kFirstSearchDelay.count()), this);
}

CNvrSearchDlg::~CNvrSearchDlg() {
    task_.stop();
}

void CNvrSearchDlg::retranslate() {
    CPageBase::retranslate();
    if (rescan_ == nullptr) {
        return;  // the base's own call, before the page's controls exist
    }
    searchControls_->retranslate(shell::LookupText(u"No device found!", u"No device found!"));
    notFound_->setText(shell::LookupText(u"nvrsearch_06", u"Can not find your NVR"));
    notFound_->setAccessibleName(notFound_->text());
    list_->retranslate();
    place();
}

void CNvrSearchDlg::place() {
    const QRect body = bodyGeometry();
    const int h = body.height();
    searchControls_->placeRescan(h + kRescanTop);
    const QRect list = kList.translated(0, h);
    list_->setGeometry(list);
    list_->scrollBar()->setGeometry(kScrollBar.translated(0, h));
    animation_->setGeometry(kAnimationLeft, list.top() + kAnimationCentre - kAnimationHalf,
                            kAnimationWidth, 2 * kAnimationHalf);
    noDevice_->setGeometry(kNoDeviceCentreX - kNoDeviceWidth / 2, list.top() + kNoDeviceTop,
                           kNoDeviceWidth, kNoDeviceHeight);
    notFound_->setGeometry(kNotFoundLeft, h + kNotFoundTop, kNotFoundWidth, kNotFoundHeight);
}

void CNvrSearchDlg::timerEvent(QTimerEvent* event) {
    if (event->timerId() != firstSearch_.timerId()) {
        CPageBase::timerEvent(event);
        return;
    }
    firstSearch_.stop();
    rescan();
}

void CNvrSearchDlg::setSearching(bool searching) {
    // Pressed look while disabled: the buttons stay where the eye expects them, greyed.
    closeButton()->setEnabled(!searching);
    if (backButton()) {
        backButton()->setEnabled(!searching);
    }
    rescan_->setEnabled(!searching);
    if (searching) {
        if (nextButton()) {
            nextButton()->setEnabled(false);
        }
        noDevice_->hide();
    }
    searchControls_->showBusy(searching);
}

void CNvrSearchDlg::rescan() {
    list_->clearRows();
    busy_ = true;
    setSearching(true);
    if (task_.running()) {
        return;  // the running search reports to this page when it ends
    }
    std::shared_ptr<DeviceSearch> search = host().search();
    if (!search || !task_.start([search, page = this](PageTask::Control& control) {
            RunSearch(control, search, page);
        })) {
        busy_ = false;
        setSearching(false);
    }
}

std::vector<CNvrSearchDlg::Row> CNvrSearchDlg::ListedRows(const DeviceSearch& search,
                                                          const PageTask::Control* control) {
    std::vector<Row> rows;
    const std::vector<DiscoveredDevice> records = search.Records();
    for (const DiscoveredDevice& record : records) {
        if (control && !control->running()) {
            break;
        }
        if (record.unique() && record.ModelName() == kModel && record.IpText() != kNoAddress) {
            rows.push_back({record.IpText(), record.MacText()});
        }
    }
    return rows;
}

// Runs on the page's task thread. `page` is only ever used inside calls posted to the page,
// which are dropped once it is gone.
void CNvrSearchDlg::RunSearch(PageTask::Control& control,
                              const std::shared_ptr<DeviceSearch>& search, CNvrSearchDlg* page) {
    if (control.running()) {
        control.post([page] { page->list_->clearRows(); });
        search->Search();
        for (int i = 0;
             i < kChecks && control.running() && search->state() == DeviceSearch::Searching; ++i) {
            control.pause(kCheckInterval);
        }
        const bool finished = search->state() == DeviceSearch::Finished;
        std::vector<Row> rows = finished ? ListedRows(*search, &control) : std::vector<Row>{};
        control.post(
            [page, finished, rows = std::move(rows)] { page->showResults(finished, rows); });
        control.pause(kSettlePause);
    }
    control.post([page] { page->searchEnded(); });
}

void CNvrSearchDlg::showResults(bool finished, const std::vector<Row>& rows) {
    if (!finished) {
        return;  // a failed or unfinished search shows nothing
    }
    searchControls_->showBusy(false);
    for (const Row& row : rows) {
        list_->addRow(row.ip, row.mac);
        qCDebug(lcFlow, "recorder row %d: %s %s", list_->rowCount(), qUtf8Printable(row.ip),
                qUtf8Printable(row.mac));
    }
    if (rows.empty()) {
        noDevice_->show();
        return;
    }
    list_->markRow(0, false);
    if (nextButton()) {
        nextButton()->setEnabled(true);
    }
}

void CNvrSearchDlg::searchEnded() {
    setSearching(false);
    if (nextButton()) {
        nextButton()->setEnabled(list_->firstMarkedRow() >= 0);
    }
    list_->update();
    busy_ = false;
    qCDebug(lcFlow, "recorder search ended: %d rows", list_->rowCount());
}

void CNvrSearchDlg::onNext() {
    const int row = list_->firstMarkedRow();
    if (task_.running() || row < 0) {
        return;
    }
    const QString ip = list_->ipText(row);
    const QString mac = list_->macText(row);
    WizardSession& session = host().session();
    session.setRecorderIp(ip);
    session.setRecorderMac(mac);
    const DeviceSearch* search = host().search().get();
    const int record = search ? search->FindByMac(mac) : -1;
    session.recorderPort = record >= 0 ? search->Port(record) : 0;
    session.replyType = search ? search->ReplyTypeOf(mac) : 0;
    session.clockDelta = search ? search->ClockDeltaOf(mac) : 0;
    session.setAdminUser(QStringLiteral("admin"));
    task_.stop();
    postToHost(msg::kStartLoginProbe);
    navigate(msg::kNext);
}

void CNvrSearchDlg::onBack() {
    task_.stop();
    navigate(msg::kBack);
}

void CNvrSearchDlg::onClose() {
    animation_->stop();
    CPageBase::onClose();
}

QString CNvrSearchDlg::macForHelp() const {
    const int row = list_->firstMarkedRow();
    if (row < 0) {
        return kNoMac;
    }
    return list_->macText(row).remove(QLatin1Char(':')).toUpper();
}

void CNvrSearchDlg::messageEvent(platform::WindowMessageEvent& event) {
    switch (event.message()) {
        case msg::kRowMarked:
            if (nextButton()) {
                nextButton()->setEnabled(true);
                nextButton()->setDown(false);
            }
            break;
        case msg::kShowOverlay: {
            overlay::OverlayData data;
            data.macText = macForHelp();
            showOverlay(static_cast<int>(event.wParam()), data);
            break;
        }
        default:
            CPageBase::messageEvent(event);
            break;
    }
}
