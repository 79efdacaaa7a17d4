#pragma once

#include <QBasicTimer>
#include <QString>

#include <memory>
#include <vector>

#include "pages/CPageBase.h"
#include "pages/PageTask.h"

class DeviceSearch;
class SearchControls;
namespace controls {
class CApproStatic;
class CIconButton;
class CLinkStatic;
class CLoadingStatic;
class CNvrListCtrl;
}  // namespace controls

// Page 7: finds the recorders on the network and lets the user choose one.
class CNvrSearchDlg final : public CPageBase {
    Q_OBJECT
public:
    static constexpr int kRescanId = 1035;
    static constexpr int kListId = 1030;
    static constexpr std::chrono::milliseconds kFirstSearchDelay{500};
    static constexpr std::chrono::milliseconds kCheckInterval{100};
    static constexpr int kChecks = 70;
    static constexpr std::chrono::milliseconds kSettlePause{500};

    // One row as the search thread hands it over.
    struct Row {
        QString ip;
        QString mac;
    };

    explicit CNvrSearchDlg(CInterDialog& host);
    ~CNvrSearchDlg() override;

    void onNext() override;
    void onBack() override;
    void onClose() override;
    void retranslate() override;

    // What the MAC help shows: the marked row's MAC in upper case without colons, or 16 "x".
    QString macForHelp() const;
    // True from Rescan until the search thread has finished.
    bool busy() const { return busy_; }
    bool searchRunning() const { return task_.running(); }

    controls::CNvrListCtrl* list() const { return list_; }
    controls::CIconButton* rescanButton() const { return rescan_; }
    controls::CApproStatic* noDeviceText() const { return noDevice_; }
    controls::CLoadingStatic* animation() const { return animation_; }

    // The rows a finished search lists: unique records of the model, with a real address.
    static std::vector<Row> ListedRows(const DeviceSearch& search,
                                       const PageTask::Control* control = nullptr);

protected:
    void messageEvent(platform::WindowMessageEvent& event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void rescan();
    void place();
    void setSearching(bool searching);
    // On the GUI thread, from the search thread.
    void showResults(bool finished, const std::vector<Row>& rows);
    void searchEnded();

    static void RunSearch(PageTask::Control& control, const std::shared_ptr<DeviceSearch>& search,
                          CNvrSearchDlg* page);

    std::unique_ptr<SearchControls> searchControls_;
    controls::CIconButton* rescan_ = nullptr;
    controls::CNvrListCtrl* list_ = nullptr;
    controls::CLoadingStatic* animation_ = nullptr;
    controls::CApproStatic* noDevice_ = nullptr;
    controls::CLinkStatic* notFound_ = nullptr;
    QBasicTimer firstSearch_;
    bool busy_ = false;
    PageTask task_;
};
