#pragma once

#include <QEvent>
#include <QObject>

#include <cstdint>
#include <functional>

// windows.h defines these names as macros.
#ifdef PostMessage
#undef PostMessage
#endif
#ifdef SendMessage
#undef SendMessage
#endif

namespace platform {

// A window's handle for messages: stays valid as a number after the window is gone, so
// worker threads can post to it without holding a pointer that may dangle.
using WindowId = std::uint64_t;

class WindowMessageEvent final : public QEvent {
public:
    WindowMessageEvent(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam);

    static QEvent::Type type();

    std::uint32_t message() const { return message_; }
    std::intptr_t wParam() const { return wParam_; }
    std::intptr_t lParam() const { return lParam_; }
    std::intptr_t result() const { return result_; }
    void setResult(std::intptr_t result) { result_ = result; }

private:
    std::uint32_t message_;
    std::intptr_t wParam_;
    std::intptr_t lParam_;
    std::intptr_t result_ = 0;
};

// A function queued to run on a window's thread; see PostCall.
class WindowCallEvent final : public QEvent {
public:
    explicit WindowCallEvent(std::function<void()> call);

    static QEvent::Type type();

    void run() const {
        if (call_) {
            call_();
        }
    }

private:
    std::function<void()> call_;
};

// Gives a QObject a WindowId for as long as this member lives. Declare it as a member of the
// window so it is unregistered before the QObject base is torn down.
class WindowRegistration final {
public:
    explicit WindowRegistration(QObject* window);
    ~WindowRegistration();
    WindowRegistration(const WindowRegistration&) = delete;
    WindowRegistration& operator=(const WindowRegistration&) = delete;

    WindowId id() const { return id_; }

private:
    WindowId id_;
};

// Queues a message for the window; callable from any thread. Messages to one thread are
// delivered in the order they were posted. Returns false (and drops the message) when the
// window no longer exists.
bool PostMessage(WindowId target, std::uint32_t message, std::intptr_t wParam = 0,
                 std::intptr_t lParam = 0);

// Queues `call` to run on the window's thread while it still exists; callable from any thread,
// ordered with the window's messages. The call is dropped with the window, so it may touch the
// window itself. Returns false when the window is gone.
bool PostCall(WindowId target, std::function<void()> call);

// Delivers a message at once and returns the receiver's result. Only on the receiver's thread.
std::intptr_t SendMessage(QObject* target, std::uint32_t message, std::intptr_t wParam = 0,
                          std::intptr_t lParam = 0);

// True while a window with this id exists.
bool IsWindow(WindowId target);

}  // namespace platform
