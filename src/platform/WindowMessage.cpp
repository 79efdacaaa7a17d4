#include "platform/WindowMessage.h"

#include <QCoreApplication>

#include <atomic>
#include <mutex>
#include <unordered_map>
#include <utility>

namespace platform {
namespace {

// The window table: the one place that maps ids to live objects, guarded so that a post from a
// worker and the window's destruction on the GUI thread cannot interleave.
struct WindowTable {
    std::mutex mutex;
    std::unordered_map<WindowId, QObject*> windows;
    std::atomic<WindowId> nextId{1};
};

WindowTable& Table() {
    // Never destroyed: a worker abandoned at exit may still post after statics are gone.
    static WindowTable* const table = new WindowTable;
    return *table;
}

}  // namespace

WindowMessageEvent::WindowMessageEvent(std::uint32_t message, std::intptr_t wParam,
                                       std::intptr_t lParam)
    : QEvent(type()), message_(message), wParam_(wParam), lParam_(lParam) {}

QEvent::Type WindowMessageEvent::type() {
    static const auto kType = static_cast<QEvent::Type>(QEvent::registerEventType());
    return kType;
}

WindowCallEvent::WindowCallEvent(std::function<void()> call)
    : QEvent(type()), call_(std::move(call)) {}

QEvent::Type WindowCallEvent::type() {
    static const auto kType = static_cast<QEvent::Type>(QEvent::registerEventType());
    return kType;
}

WindowRegistration::WindowRegistration(QObject* window) : id_(Table().nextId.fetch_add(1)) {
    std::lock_guard lock(Table().mutex);
    Table().windows.emplace(id_, window);
}

WindowRegistration::~WindowRegistration() {
    std::lock_guard lock(Table().mutex);
    Table().windows.erase(id_);
}

bool PostMessage(WindowId target, std::uint32_t message, std::intptr_t wParam,
                 std::intptr_t lParam) {
    std::lock_guard lock(Table().mutex);
    auto it = Table().windows.find(target);
    if (it == Table().windows.end()) {
        return false;
    }
    // Queued while the table is locked: the window cannot be destroyed in between, and Qt drops
    // events still queued for an object when it is destroyed.
    QCoreApplication::postEvent(it->second, new WindowMessageEvent(message, wParam, lParam));
    return true;
}

bool PostCall(WindowId target, std::function<void()> call) {
    std::lock_guard lock(Table().mutex);
    auto it = Table().windows.find(target);
    if (it == Table().windows.end()) {
        return false;
    }
    QCoreApplication::postEvent(it->second, new WindowCallEvent(std::move(call)));
    return true;
}

std::intptr_t SendMessage(QObject* target, std::uint32_t message, std::intptr_t wParam,
                          std::intptr_t lParam) {
    if (target == nullptr) {
        return 0;
    }
    WindowMessageEvent event(message, wParam, lParam);
    QCoreApplication::sendEvent(target, &event);
    return event.result();
}

bool IsWindow(WindowId target) {
    std::lock_guard lock(Table().mutex);
    return Table().windows.contains(target);
}

}  // namespace platform
