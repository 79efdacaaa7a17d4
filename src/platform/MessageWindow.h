#pragma once

#include <QEvent>

#include "platform/WindowMessage.h"

namespace platform {

// Gives a Qt window class a WindowId and routes window messages to one override.
template <typename QtBase>
class MessageWindow : public QtBase {
public:
    using QtBase::QtBase;

    WindowId windowId() const { return registration_.id(); }

protected:
    // Handles a posted or sent message; set the event's result for SendMessage callers.
    virtual void messageEvent(WindowMessageEvent& event) { (void)event; }

    bool event(QEvent* e) override {
        if (e->type() == WindowMessageEvent::type()) {
            messageEvent(static_cast<WindowMessageEvent&>(*e));
            return true;
        }
        if (e->type() == WindowCallEvent::type()) {
            static_cast<WindowCallEvent&>(*e).run();
            return true;
        }
        return QtBase::event(e);
    }

private:
    WindowRegistration registration_{this};
};

}  // namespace platform
