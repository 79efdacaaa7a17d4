#include "pages/CNvrTimeZoneDlg.h"

#include <QPointer>
#include <QTimerEvent>

#include <vector>

#include "controls/CApproButton.h"
#include "controls/CApproComboBox.h"
#include "controls/CApproStatic.h"
#include "controls/CComboBoxList.h"
#include "controls/CErrorStatic.h"
#include "device/HttpGet.h"
#include "device/TimeZoneList.h"
#include "pages/PageLooks.h"
#include "pages/PageRegistry.h"
#include "shell/CInterDialog.h"
#include "shell/FlowTrace.h"
#include "shell/LanguagePack.h"
#include "shell/Messages.h"
#include "util/DisplayText.h"

namespace {

[[maybe_unused]] const bool kRegistered = RegisterPageClass<CNvrTimeZoneDlg>(9);

constexpr QRect kLabelRect(160, 200, 170, 36);
constexpr QColor kLabelColour(72, 72, 72);
constexpr int kLabelSize = 14;
constexpr QRect kFieldRect(340, 200, 400, 36);
constexpr int kListRows = 8;
constexpr QRect kBannerRect(120, 345, 740 - 120, 44);
constexpr QColor kBannerColour(229, 57, 53);
// Room for 200 long names; a longer reply is cut by the client.
constexpr std::size_t kBodyBytes = 64000;

const QString kBadRequest = QStringLiteral("400 Bad Request");

// One GET on an open connection; false without an answer. `status` gets the reply's status.
bool Read(HttpGet& http, const QString& path, QByteArray* body, int* status) {
    std::vector<char> buffer(kBodyBytes);
    std::size_t size = 0;
    if (!http.Get(path, buffer, &size)) {
        return false;
    }
    *body = QByteArray(buffer.data(), static_cast<qsizetype>(size));
    http.StatusCode(status);
    return true;
}

bool Succeeded(int status) {
    return status >= 200 && status < 300;
}

// After a wait that gave up on a job still running (a recorder that never finishes answering):
// the job is ended and the page reads `failed` from a fresh result, so the job's late answer
// goes to one nobody reads.
template <typename T>
void FailIfStillRunning(PageTask& task, std::shared_ptr<TaskResult<T>>& result, T failed) {
    if (!task.busy()) {
        return;
    }
    task.release();
    result = std::make_shared<TaskResult<T>>();
    result->set(std::move(failed));
}

}  // namespace

CNvrTimeZoneDlg::CNvrTimeZoneDlg(CInterDialog& host)
    : CPageBase(host, PageLookOf(9)), fetchTask_(windowId()), applyTask_(windowId()) {
    setObjectName(QStringLiteral("CNvrTimeZoneDlg"));
    label_ = new controls::CApproStatic(this);
    label_->setObjectName(QStringLiteral("zoneLabel"));
    label_->useVerdana(kLabelSize);
    label_->setTextColor(kLabelColour);
    label_->setVerticalCentre(true);
    label_->setAttribute(Qt::WA_TransparentForMouseEvents);
    label_->setGeometry(kLabelRect);

    field_ = new controls::CApproComboBox(windowId(), this);
    field_->setObjectName(QStringLiteral("id%1").arg(kFieldId));
    field_->list()->setObjectName(QStringLiteral("id%1").arg(kListId));
    field_->setGeometry(kFieldRect);
    field_->setMaxVisibleItems(kListRows);
    connect(field_, &controls::CApproComboBox::listShown, this, [this] {
        banner_->hide();
        qCDebug(lcFlow, "time zone list open");
    });

    banner_ = new controls::CErrorStatic(this);
    banner_->setObjectName(QStringLiteral("banner"));
    banner_->setColor(kBannerColour);
    banner_->setGeometry(kBannerRect);
    banner_->hide();

    target_ = HttpTargetOf(host.session(), host.search().get());
    retranslate();
    fetchTimer_.start(static_cast<int>(kFetchDelay.count()), this);
}

CNvrTimeZoneDlg::~CNvrTimeZoneDlg() {
    fetchTask_.stop();
    applyTask_.stop();
}

void CNvrTimeZoneDlg::retranslate() {
    CPageBase::retranslate();
    if (field_ == nullptr) {
        return;  // the base's own call, before the page's controls exist
    }
    label_->setText(shell::LookupText(u"SetupTimeZone_01", u"Time zone:"));
    field_->setAccessibleName(label_->text());
    field_->list()->setAccessibleName(label_->text());
}

void CNvrTimeZoneDlg::timerEvent(QTimerEvent* event) {
    if (event->timerId() != fetchTimer_.timerId()) {
        CPageBase::timerEvent(event);
        return;
    }
    fetchTimer_.stop();
    startFetch();
}

void CNvrTimeZoneDlg::startFetch() {
    auto result = fetch_;
    const RecorderHttpTarget target = target_;
    const int language = shell::RecorderLanguageNumber();
    if (!fetchTask_.start([this, result, target, language](PageTask::Control& control) {
            result->set(FetchZones(control, target, language));
            control.post([this] { takeFetch(); });
        })) {
        return;
    }
    QPointer<CNvrTimeZoneDlg> self(this);
    waiting_ = true;
    fetchTask_.showWaiting(this, kWaitTicks);
    if (!self) {
        return;
    }
    waiting_ = false;
    FailIfStillRunning(fetchTask_, fetch_, Fetch{.outcome = Fetch::Outcome::ListFailed});
    takeFetch();
    if (noticePending_) {
        showNetworkNotice();
    }
}

CNvrTimeZoneDlg::Fetch CNvrTimeZoneDlg::FetchZones(PageTask::Control& control,
                                                   const RecorderHttpTarget& target,
                                                   int languageNumber) {
    Fetch fetch;
    HttpGet http;
    if (!http.Open(target.ip, target.user, target.password, kTimeoutMs, 0, target.port)) {
        fetch.outcome = Fetch::Outcome::NoConnection;
        return fetch;
    }
    const auto abortOnStop = control.onStop([&http] { http.Abort(); });
    QByteArray body;
    int status = 0;
    // An error page is no list, but a refusal is answered with the built-in one.
    if (!control.running() ||
        !Read(http, QStringLiteral("/config/timezonelist?language=%1").arg(languageNumber), &body,
              &status) ||
        (!Succeeded(status) && !body.contains("Access Error"))) {
        fetch.outcome = Fetch::Outcome::ListFailed;
        return fetch;
    }
    fetch.names = zones::ParseList(body);
    if (!control.running() || !Read(http, QStringLiteral("/config/datetime"), &body, &status) ||
        !Succeeded(status)) {
        fetch.outcome = Fetch::Outcome::ZoneFailed;
        return fetch;
    }
    fetch.currentZone = zones::ReadCurrentZone(body, static_cast<int>(fetch.names.size()));
    fetch.outcome = Fetch::Outcome::Listed;
    return fetch;
}

void CNvrTimeZoneDlg::takeFetch() {
    Fetch fetch = fetch_->get();
    if (fetch.outcome == Fetch::Outcome::Pending) {
        return;
    }
    fetch_->set({});
    ++fetchesTaken_;
    if (fetch.outcome == Fetch::Outcome::Listed || fetch.outcome == Fetch::Outcome::ZoneFailed) {
        zoneNames_ = fetch.names;
        field_->setItems(DisplayTexts(zoneNames_));
    }
    if (fetch.outcome != Fetch::Outcome::Listed) {
        // Without the recorder's current zone nothing may be written: only Back leads on.
        selectedZone_ = -1;
        field_->setCurrentIndex(-1);
        nextButton()->setEnabled(false);
        noticePending_ = true;
        qCDebug(lcFlow, "time zone list: failed");
    } else {
        selectedZone_ = fetch.currentZone;
        field_->setCurrentIndex(selectedZone_ - 1);
        qCDebug(lcFlow, "time zone list: %d names, current %d", static_cast<int>(zoneNames_.size()),
                selectedZone_);
    }
    if (noticePending_ && !waiting_) {
        showNetworkNotice();
    }
}

void CNvrTimeZoneDlg::choose(int index) {
    if (index < 0 || index >= zoneNames_.size()) {
        return;
    }
    selectedZone_ = index + 1;
    field_->setCurrentIndex(index);
    qCDebug(lcFlow, "time zone chosen: %d", selectedZone_);
}

void CNvrTimeZoneDlg::onNext() {
    if (busy() || waiting_ || !nextButton()->isEnabled()) {
        return;
    }
    if (selectedZone_ == -1) {
        field_->hideList();
        showBanner(
            shell::LookupText(u"SetupTimeZone_error", u"Please choose a tome zone for your NVR."));
        return;
    }
    auto result = apply_;
    result->set(Apply::Pending);
    const RecorderHttpTarget target = target_;
    const int zone = selectedZone_;
    if (!applyTask_.start([this, result, target, zone](PageTask::Control& control) {
            result->set(ApplyZone(control, target, zone));
            control.post([this] { takeApply(); });
        })) {
        return;
    }
    QPointer<CNvrTimeZoneDlg> self(this);
    waiting_ = true;
    applyTask_.showWaiting(this, kWaitTicks);
    if (!self) {
        return;
    }
    waiting_ = false;
    FailIfStillRunning(applyTask_, apply_, Apply::NoAnswer);
    takeApply();
    if (leavePending_) {
        leavePending_ = false;
        postToHost(msg::kStorageWorker, 0);
        navigate(msg::kNext);
        return;
    }
    if (noticePending_) {
        showNetworkNotice();
    }
}

CNvrTimeZoneDlg::Apply CNvrTimeZoneDlg::ApplyZone(PageTask::Control& control,
                                                  const RecorderHttpTarget& target, int zone) {
    HttpGet http;
    if (!http.Open(target.ip, target.user, target.password, kTimeoutMs, 0, target.port)) {
        return Apply::NoConnection;
    }
    const auto abortOnStop = control.onStop([&http] { http.Abort(); });
    QByteArray body;
    int status = 0;
    if (!control.running() ||
        !Read(http, QStringLiteral("/config/datetime?timezone=%1").arg(zone), &body, &status)) {
        return Apply::NoAnswer;
    }
    const Apply result =
        body.contains(kBadRequest.toLatin1()) ? Apply::BadRequest : Apply::Accepted;
    // Recording starts after every answered write, a refused one included.
    QByteArray ignored;
    Read(http, QStringLiteral("/config/manrecord?record=1"), &ignored, &status);
    return result;
}

void CNvrTimeZoneDlg::takeApply() {
    const Apply result = apply_->get();
    if (result == Apply::Pending) {
        return;
    }
    apply_->set(Apply::Pending);
    static constexpr const char* kNames[] = {"pending", "accepted", "bad request", "no answer",
                                             "no connection"};
    qCDebug(lcFlow, "time zone result: %s", kNames[static_cast<int>(result)]);
    switch (result) {
        case Apply::Accepted:
            if (waiting_) {
                leavePending_ = true;
            } else {
                postToHost(msg::kStorageWorker, 0);
                navigate(msg::kNext);
            }
            return;
        case Apply::BadRequest:
            field_->hideList();
            showBanner(kBadRequest);
            return;
        case Apply::NoAnswer:
        case Apply::NoConnection:
            noticePending_ = true;
            if (!waiting_) {
                showNetworkNotice();
            }
            return;
        case Apply::Pending:
            return;
    }
}

void CNvrTimeZoneDlg::showBanner(const QString& text) {
    banner_->setText(text);
    banner_->setAccessibleName(text);
    banner_->show();
}

void CNvrTimeZoneDlg::showNetworkNotice() {
    noticePending_ = false;
    showOverlay(overlay::kError);
}

void CNvrTimeZoneDlg::onBack() {
    if (waiting_) {
        return;
    }
    postToHost(msg::kStartLoginProbe);
    navigate(msg::kBack);
}

void CNvrTimeZoneDlg::messageEvent(platform::WindowMessageEvent& event) {
    if (event.message() == controls::CComboBoxList::kItemChosen) {
        choose(static_cast<int>(event.wParam()));
        return;
    }
    CPageBase::messageEvent(event);
}
