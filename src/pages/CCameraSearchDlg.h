#pragma once

#include <QBasicTimer>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

#include "pages/CPageBase.h"
#include "pages/CameraStepJobs.h"
#include "pages/PageTask.h"
#include "shell/CameraPasswordExchange.h"
#include "shell/CameraSelection.h"

class SearchControls;
namespace controls {
class CApproStatic;
class CCamListCtrl;
class CIconButton;
class CLinkStatic;
class CLoadingStatic;
}  // namespace controls

// Page 11: lists the cameras the recorder sees, learns their passwords, and at Next reads the
// recorder's cloud data and adds the ticked cameras. Every request runs on a page task; what a
// task learns reaches the rows and the session only on this page's thread.
class CCameraSearchDlg final : public CPageBase {
    Q_OBJECT
public:
    static constexpr int kRescanId = 1035;
    static constexpr int kListId = 1028;
    static constexpr int kBusyId = 1247;
    static constexpr int kWaitTicks = 1100;
    static constexpr std::chrono::milliseconds kFirstScanDelay{500};
    static constexpr std::chrono::milliseconds kDiscoveryStopWait{7000};
    static constexpr std::chrono::milliseconds kWorkerStopWait{6000};

    explicit CCameraSearchDlg(CInterDialog& host);
    ~CCameraSearchDlg() override;

    void onNext() override;
    void onBack() override;
    void retranslate() override;

    // Tests shorten the step's waits before the first scan starts.
    void setPacing(const camerastep::Pacing& pacing) { pacing_ = pacing; }

    controls::CCamListCtrl* list() const { return list_; }
    controls::CIconButton* rescanButton() const { return rescan_; }
    controls::CApproStatic* noCameraNote() const { return noCamera_; }
    controls::CLoadingStatic* busyIndicator() const { return busy_; }
    controls::CLinkStatic* installLink() const { return install_; }
    const CameraSelection& selection() const { return selection_; }
    bool scanning() const { return scanning_; }
    int scansTaken() const { return scansTaken_; }
    // A password check or change runs or lingers: a new one now fails at once.
    bool passwordWorkerRunning() const { return verify_.running() || change_.running(); }
    // The cameras the last Next could not add, as the notice named them.
    const QStringList& notAdded() const { return notAdded_; }

protected:
    void messageEvent(platform::WindowMessageEvent& event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    // The camera a password page works on, as it was when its box was clicked.
    struct Current {
        int row = -1;
        CameraEntry camera;
    };

    void place();
    void scan();
    void setScanning(bool scanning);
    void enableButtons(bool enabled);
    // Stops the discovery and both password workers, each within its bound.
    void stopWorkers();
    // From the discovery task, on this thread.
    void takeList(int generation, const QStringList& lines);
    void scanEnded(int generation);
    void showRows();
    void syncRow(int row);

    void tickRequest(int row);
    void askPassword(int row, const CameraEntry& camera, bool create);
    void startPasswordJob(bool create);
    void passwordAccepted(int row, const QString& ip, const QString& password, bool known);
    void openPreview(int row);

    std::vector<CameraEntry*> entries() const;
    CameraEntry* firstEntry(const QString& ip) const;
    camerastep::Recorder recorder() const;

    std::unique_ptr<SearchControls> searchControls_;
    controls::CIconButton* rescan_ = nullptr;
    controls::CCamListCtrl* list_ = nullptr;
    controls::CLoadingStatic* busy_ = nullptr;
    controls::CApproStatic* noCamera_ = nullptr;
    controls::CLinkStatic* install_ = nullptr;

    camerastep::Pacing pacing_;
    CameraSelection selection_;
    Current current_;
    std::shared_ptr<CameraPasswordExchange> exchange_ = std::make_shared<CameraPasswordExchange>();
    QBasicTimer firstScan_;
    bool firstScanStarted_ = false;
    bool scanning_ = false;
    bool nextRunning_ = false;
    bool previewOpen_ = false;
    int generation_ = 0;  // of the scan whose results the page still wants
    int scansTaken_ = 0;
    QStringList notAdded_;

    PageTask discovery_;
    PageTask verify_;
    PageTask change_;
    PageTask add_;
    PageTask regInfo_;
};
