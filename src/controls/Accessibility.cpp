#include "controls/Accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>

#include "controls/CApproComboBox.h"
#include "controls/CApproStatic.h"
#include "controls/CBaseStatic.h"
#include "controls/CHyperLink.h"
#include "controls/CLinkStatic.h"
#include "controls/CStateButton.h"

namespace controls {
namespace {

// The text a label or link shows; its accessible name wins when a page set one.
QString ShownText(const QWidget* widget) {
    if (!widget->accessibleName().isEmpty()) {
        return widget->accessibleName();
    }
    if (auto* label = qobject_cast<const CApproStatic*>(widget)) {
        return label->text();
    }
    if (auto* label = qobject_cast<const CBaseStatic*>(widget)) {
        return label->text();
    }
    if (auto* link = qobject_cast<const CLinkStatic*>(widget)) {
        return link->text();
    }
    if (auto* link = qobject_cast<const CHyperLink*>(widget)) {
        return link->text();
    }
    return {};
}

class AccessibleText final : public QAccessibleWidget {
public:
    AccessibleText(QWidget* widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Name ? ShownText(widget()) : QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.linked = role() == QAccessible::Link;
        return s;
    }
};

class AccessibleCombo final : public QAccessibleWidget {
public:
    explicit AccessibleCombo(CApproComboBox* combo)
        : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Value ? combo()->currentText() : QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.hasPopup = true;
        s.expandable = true;
        s.expanded = combo()->isListShown();
        s.collapsed = !s.expanded;
        return s;
    }

    QStringList actionNames() const override {
        return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override {
        if (action == showMenuAction()) {
            combo()->showList();
        } else {
            QAccessibleWidget::doAction(action);
        }
    }

private:
    CApproComboBox* combo() const { return static_cast<CApproComboBox*>(widget()); }
};

class AccessibleButton final : public QAccessibleWidget {
public:
    explicit AccessibleButton(CStateButton* button) : QAccessibleWidget(button) {}

    // The mode may change after the interface was made (pages set it after construction).
    QAccessible::Role role() const override {
        switch (button()->mode()) {
            case CStateButton::Mode::kCheck:
                return QAccessible::CheckBox;
            case CStateButton::Mode::kRadio:
                return QAccessible::RadioButton;
            case CStateButton::Mode::kPush:
                break;
        }
        return QAccessible::Button;
    }

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name && button()->accessibleName().isEmpty()) {
            return button()->text();
        }
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        if (button()->mode() == CStateButton::Mode::kPush) {
            s.pressed = button()->isDown();
        } else {
            s.checkable = true;
            s.checked = button()->isLatched();
        }
        return s;
    }

    QStringList actionNames() const override {
        QStringList names;
        if (button()->isEnabled()) {
            names << (button()->mode() == CStateButton::Mode::kPush ? pressAction()
                                                                    : toggleAction());
        }
        return names + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override {
        if (action == pressAction() || action == toggleAction()) {
            // A click, so the latch, the page's message and the page's handler all follow.
            if (button()->isEnabled()) {
                button()->click();
            }
        } else {
            QAccessibleWidget::doAction(action);
        }
    }

private:
    CStateButton* button() const { return static_cast<CStateButton*>(widget()); }
};

template <typename T>
bool Is(const QString& className) {
    return className == QLatin1String(T::staticMetaObject.className());
}

[[maybe_unused]] const bool kInstalled = [] {
    QAccessible::installFactory(&AccessibleControl);
    return true;
}();

}  // namespace

QAccessibleInterface* AccessibleControl(const QString& className, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget == nullptr) {
        return nullptr;
    }
    if (Is<CApproComboBox>(className)) {
        return new AccessibleCombo(static_cast<CApproComboBox*>(widget));
    }
    if (Is<CStateButton>(className)) {
        return new AccessibleButton(static_cast<CStateButton*>(widget));
    }
    if (Is<CLinkStatic>(className) || Is<CHyperLink>(className)) {
        return new AccessibleText(widget, QAccessible::Link);
    }
    if (Is<CApproStatic>(className) || Is<CBaseStatic>(className)) {
        return new AccessibleText(widget, QAccessible::StaticText);
    }
    return nullptr;
}

}  // namespace controls
