#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "controls/CLinkStatic.h"

// The visible window of class T, if any.
template <typename T>
T* Shown() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* page = qobject_cast<T*>(w); page != nullptr && page->isVisible()) {
            return page;
        }
    }
    return nullptr;
}

// Ends every open dialog, so a test whose window never came fails instead of hanging.
inline void RejectOpenDialogs() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(w); dialog && dialog->isVisible()) {
            dialog->reject();
        }
    }
}

// Acts on the first visible T once its modal loop runs. When none shows up within 5 s every
// open dialog is rejected, so the test fails instead of hanging.
template <typename T>
class WhenShown {
public:
    explicit WhenShown(std::function<void(T&)> act) : act_(std::move(act)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(5);
    }

    bool acted() const { return acted_; }

private:
    void poll() {
        if (T* page = Shown<T>()) {
            timer_.stop();
            acted_ = true;
            act_(*page);
            return;
        }
        if (deadline_.hasExpired()) {
            timer_.stop();
            RejectOpenDialogs();
        }
    }

    std::function<void(T&)> act_;
    QTimer timer_;
    QDeadlineTimer deadline_{5000};
    bool acted_ = false;
};

// The active window of class T, if any: keys reach only the active window.
template <typename T>
T* Active() {
    auto* page = qobject_cast<T*>(QApplication::activeWindow());
    return page != nullptr && page->isVisible() ? page : nullptr;
}

// Steps acted on in order from a timer while the modal loops run: each waits for its
// condition, then acts. When a step does not come within 5 s every open dialog is rejected,
// so the test fails instead of hanging.
class Script {
public:
    Script() {
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(5);
    }

    Script& when(std::function<bool()> ready, std::function<void()> act) {
        steps_.push_back({std::move(ready), std::move(act)});
        return *this;
    }

    int performed() const { return next_; }
    bool finished() const { return next_ == static_cast<int>(steps_.size()); }

private:
    struct Step {
        std::function<bool()> ready;
        std::function<void()> act;
    };

    void poll() {
        if (finished()) {
            timer_.stop();
            return;
        }
        Step& step = steps_[static_cast<size_t>(next_)];
        if (step.ready()) {
            ++next_;
            deadline_ = QDeadlineTimer(5000);
            step.act();
            return;
        }
        if (deadline_.hasExpired()) {
            timer_.stop();
            RejectOpenDialogs();
        }
    }

    std::vector<Step> steps_;
    int next_ = 0;
    QTimer timer_;
    QDeadlineTimer deadline_{5000};
};

inline void Click(QWidget* widget, QPoint at = {}) {
    ASSERT_NE(widget, nullptr);
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier,
                      at.isNull() ? widget->rect().center() : at);
}

inline void ClickLink(controls::CLinkStatic* link) {
    Click(link, link->hotRect().center());
}

// A key as the keyboard sends it: to the focused control, else to the active window.
inline void Key(Qt::Key key) {
    QWidget* target = QApplication::focusWidget();
    if (target == nullptr) {
        target = QApplication::activeWindow();
    }
    ASSERT_NE(target, nullptr);
    QTest::keyClick(target, key);
}

// The focused control's name; the pages are gone when the test looks.
inline QString FocusName() {
    QWidget* focus = QApplication::focusWidget();
    return focus != nullptr ? focus->objectName() : QString();
}
