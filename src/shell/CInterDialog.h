#pragma once

#include <QDialog>
#include <QString>

#include <array>
#include <functional>
#include <memory>

#include "platform/MessageWindow.h"
#include "shell/LoginProbe.h"
#include "shell/StorageWorker.h"
#include "shell/WizardSession.h"

class CPageBase;
class DeviceCommandWorker;
class DeviceSearch;

// The page host: the wizard window the user sees. Shows one page at a time and keeps what
// must outlive a page.
class CInterDialog final : public platform::MessageWindow<QDialog> {
    Q_OBJECT
public:
    using PageFactory = std::function<std::unique_ptr<CPageBase>(int id, CInterDialog& host)>;

    // `outer` is the shadow window, which hears of moves and minimising.
    explicit CInterDialog(QWidget* outer);
    ~CInterDialog() override;

    // The screen position the host opens at.
    void setOrigin(QPoint origin) { origin_ = origin; }

    // Shows page `id` (1..13) in place of the current one; other ids leave the page as it is.
    void SwitchToPage(int id);

    int currentPageId() const { return currentPage_; }
    CPageBase* currentPage() const;

    WizardSession& session() { return *session_; }
    // The discovery service and the command worker of the whole run. Shared: a page worker or
    // a probe that the host stopped waiting for keeps them alive.
    const std::shared_ptr<DeviceSearch>& search() const { return search_; }
    const std::shared_ptr<DeviceCommandWorker>& commandWorker() const { return worker_; }
    // Replaces both (tests point the search at the loopback); before any page uses them.
    void setServices(std::shared_ptr<DeviceSearch> search,
                     std::shared_ptr<DeviceCommandWorker> worker);
    LoginProbe& loginProbe() { return loginProbe_; }
    StorageWorker& storageWorker() { return storageWorker_; }

    // Portal data the camera step learns for the cloud step and the summary.
    QString summaryText1;  // portal address
    QString summaryText2;  // portal number
    QString localHyperlink;
    QString portalAccess;
    QString portalDfp;

    // Replaces the page classes (tests drive the host with stand-in pages).
    void setPageFactory(PageFactory factory) { factory_ = std::move(factory); }

protected:
    void showEvent(QShowEvent* event) override;
    void messageEvent(platform::WindowMessageEvent& event) override;
    // Escape and the window manager's close button reach the page's close handler.
    void reject() override;

private:
    void navigate(std::intptr_t action, std::intptr_t count);
    void destroyPage();

    QWidget* outer_;
    QPoint origin_;
    bool started_ = false;
    std::array<std::unique_ptr<CPageBase>, 13> slots_;
    int currentPage_ = 1;
    std::unique_ptr<WizardSession> session_ = std::make_unique<WizardSession>();
    std::shared_ptr<DeviceSearch> search_;
    std::shared_ptr<DeviceCommandWorker> worker_;
    LoginProbe loginProbe_;
    StorageWorker storageWorker_;
    PageFactory factory_;
};
