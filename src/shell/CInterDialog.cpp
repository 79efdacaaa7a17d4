#include "shell/CInterDialog.h"

#include "device/DeviceCommandWorker.h"
#include "discovery/DeviceSearch.h"
#include "pages/CPageBase.h"
#include "pages/PageRegistry.h"
#include "platform/WindowMessage.h"
#include "shell/FlowTrace.h"
#include "shell/Messages.h"
#include "shell/Navigation.h"
#include "shell/WindowShape.h"

CInterDialog::CInterDialog(QWidget* outer)
    : MessageWindow<QDialog>(outer, Qt::Dialog | Qt::FramelessWindowHint),
      outer_(outer),
      factory_(CreatePage) {
    setObjectName(QStringLiteral("CInterDialog"));
    setWindowTitle(QStringLiteral("Setup Wizard"));
    setFixedSize(shape::kHostSize);
    setServices(std::make_shared<DeviceSearch>(), std::make_shared<DeviceCommandWorker>());
    // Read on this thread at every start, so the worker never reaches into the session.
    storageWorker_.setTargetSource([this] { return HttpTargetOf(*session_, search_.get()); });
}

void CInterDialog::setServices(std::shared_ptr<DeviceSearch> search,
                               std::shared_ptr<DeviceCommandWorker> worker) {
    search_ = std::move(search);
    worker_ = std::move(worker);
    loginProbe_.setSender(LoginProbe::DatagramSender(search_, worker_));
    storageWorker_.setCommandWorker(worker_);
}

CInterDialog::~CInterDialog() {
    destroyPage();
    // The workers read the session: they stop before it goes.
    storageWorker_.stop();
    session_.reset();
}

CPageBase* CInterDialog::currentPage() const {
    for (const auto& slot : slots_) {
        if (slot) {
            return slot.get();
        }
    }
    return nullptr;
}

void CInterDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (started_) {
        return;
    }
    started_ = true;
    move(origin_);
    setMask(shape::RoundedRegion(shape::kHostSize));
    currentPage_ = nav::kFirstPage;
    SwitchToPage(currentPage_);
}

void CInterDialog::destroyPage() {
    for (auto& slot : slots_) {
        slot.reset();
    }
}

void CInterDialog::SwitchToPage(int id) {
    if (!nav::IsPage(id)) {
        return;
    }
    destroyPage();
    std::unique_ptr<CPageBase> page = factory_ ? factory_(id, *this) : nullptr;
    if (!page) {
        return;  // no page could be made: nothing is shown
    }
    page->setGeometry(0, 0, shape::kHostSize.width(), shape::kHostSize.height());
    page->show();
    page->setFocus();
    qCDebug(lcFlow, "page %d shown: %s", id, page->metaObject()->className());
    slots_[static_cast<std::size_t>(id - 1)] = std::move(page);
}

void CInterDialog::navigate(std::intptr_t action, std::intptr_t count) {
    const nav::Step step = nav::Resolve(currentPage_, action, count);
    switch (step.action) {
        case nav::Action::Switch:
            currentPage_ = step.page;
            SwitchToPage(step.page);
            break;
        case nav::Action::Close:
            done(QDialog::Accepted);
            break;
        case nav::Action::Minimise:
            if (auto* window = dynamic_cast<platform::MessageWindow<QDialog>*>(outer_)) {
                platform::PostMessage(window->windowId(), msg::kNavigate, msg::kMinimise);
            }
            break;
        case nav::Action::None:
            break;
    }
}

void CInterDialog::messageEvent(platform::WindowMessageEvent& event) {
    switch (event.message()) {
        case msg::kNavigate:
            navigate(event.wParam(), event.lParam());
            break;
        case msg::kMoved: {
            if (auto* window = dynamic_cast<platform::MessageWindow<QDialog>*>(outer_)) {
                platform::PostMessage(window->windowId(), msg::kMoved, event.wParam(),
                                      event.lParam());
            }
            move(static_cast<int>(event.wParam()), static_cast<int>(event.lParam()));
            update();
            break;
        }
        case msg::kStartLoginProbe:
            loginProbe_.start({session_->recorderIp(), session_->recorderMac(),
                               session_->replyType.load(), session_->clockDelta.load()});
            break;
        case msg::kStorageWorker:
            if (event.wParam() == 0) {
                storageWorker_.start();
            } else {
                storageWorker_.stop();
            }
            break;
        default:
            break;
    }
}

void CInterDialog::reject() {
    if (CPageBase* page = currentPage()) {
        page->onClose();
    }
}
