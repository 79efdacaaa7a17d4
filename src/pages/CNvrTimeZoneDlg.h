#pragma once

#include <QBasicTimer>
#include <QStringList>

#include <chrono>
#include <memory>

#include "pages/CPageBase.h"
#include "pages/PageTask.h"
#include "shell/RecorderAccount.h"

namespace controls {
class CApproComboBox;
class CApproStatic;
class CErrorStatic;
}  // namespace controls

// Page 9: shows the recorder's time zones in the wizard's language and writes the chosen one.
class CNvrTimeZoneDlg final : public CPageBase {
    Q_OBJECT
public:
    static constexpr int kFieldId = 5001;
    static constexpr int kListId = 1033;
    static constexpr int kWaitTicks = 120;
    static constexpr int kTimeoutMs = 6000;
    static constexpr std::chrono::milliseconds kFetchDelay{50};

    // What the list fetch brought.
    struct Fetch {
        enum class Outcome { Pending, Listed, ListFailed, ZoneFailed, NoConnection };
        Outcome outcome = Outcome::Pending;
        QStringList names;
        int currentZone = -1;
    };
    // How a write of the chosen zone ended.
    enum class Apply { Pending, Accepted, BadRequest, NoAnswer, NoConnection };

    explicit CNvrTimeZoneDlg(CInterDialog& host);
    ~CNvrTimeZoneDlg() override;

    void onNext() override;
    void onBack() override;
    void retranslate() override;

    int selectedZone() const { return selectedZone_; }
    const QStringList& zoneNames() const { return zoneNames_; }
    bool busy() const { return fetchTask_.running() || applyTask_.running(); }
    // How many fetches have ended on this page.
    int fetchesTaken() const { return fetchesTaken_; }
    controls::CApproComboBox* field() const { return field_; }
    controls::CErrorStatic* banner() const { return banner_; }

    // The requests of one fetch and one write; each opens its own connection.
    static Fetch FetchZones(PageTask::Control& control, const RecorderHttpTarget& target,
                            int languageNumber);
    static Apply ApplyZone(PageTask::Control& control, const RecorderHttpTarget& target, int zone);

protected:
    void messageEvent(platform::WindowMessageEvent& event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void startFetch();
    // Both run once per job: from the job's queued call or after the wait, whichever is first.
    void takeFetch();
    void takeApply();
    void choose(int index);
    void showBanner(const QString& text);
    void showNetworkNotice();

    controls::CApproStatic* label_ = nullptr;
    controls::CApproComboBox* field_ = nullptr;
    controls::CErrorStatic* banner_ = nullptr;

    QStringList zoneNames_;
    int selectedZone_ = -1;
    int fetchesTaken_ = 0;
    bool waiting_ = false;
    bool noticePending_ = false;
    bool leavePending_ = false;
    QBasicTimer fetchTimer_;
    RecorderHttpTarget target_;
    PageTask fetchTask_;
    PageTask applyTask_;
    std::shared_ptr<TaskResult<Fetch>> fetch_ = std::make_shared<TaskResult<Fetch>>();
    std::shared_ptr<TaskResult<Apply>> apply_ = std::make_shared<TaskResult<Apply>>();
};
