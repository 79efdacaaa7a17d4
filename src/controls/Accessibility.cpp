#include "controls/Accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>

#include <vector>

#include "controls/CApproComboBox.h"
#include "controls/CApproStatic.h"
#include "controls/CBaseStatic.h"
#include "controls/CCamListCtrl.h"
#include "controls/CHyperLink.h"
#include "controls/CLinkStatic.h"
#include "controls/CNvrListCtrl.h"
#include "controls/CStateButton.h"
#include "controls/CSummaryTable.h"

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

// One row of a self-painted list: a list item, checked while it holds the list's mark.
class AccessibleRow final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    AccessibleRow(QWidget* list, AccessibleRows* rows, int row)
        : list_(list), rows_(rows), row_(row) {}

    bool isValid() const override { return list_ != nullptr && row_ < rows_->rowCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        return list_ != nullptr ? list_->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(list_.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Name && isValid() ? rows_->rowDescription(row_) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        if (!isValid()) {
            return {};
        }
        const QRect row = rows_->rowRect(row_);
        return QRect(list_->mapToGlobal(row.topLeft()), row.size());
    }

    QAccessible::Role role() const override { return QAccessible::ListItem; }

    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.checkable = true;
        s.checked = rows_->isRowChecked(row_);
        s.selectable = true;
        s.selected = s.checked;
        s.focusable = true;
        s.focused = list_->hasFocus() && rows_->focusRow() == row_;
        s.offscreen = !rows_->isRowShown(row_);
        return s;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ActionInterface) {
            return static_cast<QAccessibleActionInterface*>(this);
        }
        return nullptr;
    }

    QStringList actionNames() const override { return {toggleAction()}; }
    void doAction(const QString& action) override {
        if (action == toggleAction() && isValid()) {
            rows_->toggleRow(row_);
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<QWidget> list_;
    AccessibleRows* rows_;  // the list itself, valid while list_ is
    int row_;
};

// A self-painted list: its rows are its children.
class AccessibleRowList final : public QAccessibleWidget {
public:
    AccessibleRowList(QWidget* list, AccessibleRows* rows)
        : QAccessibleWidget(list, QAccessible::List), rows_(rows) {}
    ~AccessibleRowList() override {
        for (QAccessible::Id id : ids_) {
            QAccessible::deleteAccessibleInterface(id);
        }
    }

    int childCount() const override { return rows_->rowCount(); }

    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) {
            return nullptr;
        }
        // Made once per index and kept by Qt's cache, so tools see the same object each time.
        while (static_cast<int>(ids_.size()) <= index) {
            auto* row = new AccessibleRow(widget(), rows_, static_cast<int>(ids_.size()));
            ids_.push_back(QAccessible::registerAccessibleInterface(row));
        }
        return QAccessible::accessibleInterface(ids_[static_cast<size_t>(index)]);
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        const QAccessible::Id id = QAccessible::uniqueId(const_cast<QAccessibleInterface*>(child));
        for (size_t i = 0; i < ids_.size(); ++i) {
            if (ids_[i] == id && static_cast<int>(i) < childCount()) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    QAccessibleInterface* childAt(int x, int y) const override {
        return child(rows_->rowAt(widget()->mapFromGlobal(QPoint(x, y))));
    }

    QAccessibleInterface* focusChild() const override {
        return widget()->hasFocus() ? child(rows_->focusRow()) : nullptr;
    }

private:
    AccessibleRows* rows_;
    mutable std::vector<QAccessible::Id> ids_;
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
    if (Is<CNvrListCtrl>(className)) {
        auto* list = static_cast<CNvrListCtrl*>(widget);
        return new AccessibleRowList(list, list);
    }
    if (Is<CCamListCtrl>(className)) {
        auto* list = static_cast<CCamListCtrl*>(widget);
        return new AccessibleRowList(list, list);
    }
    if (Is<CLinkStatic>(className) || Is<CHyperLink>(className)) {
        return new AccessibleText(widget, QAccessible::Link);
    }
    if (Is<CApproStatic>(className) || Is<CBaseStatic>(className) || Is<CSummaryTable>(className)) {
        return new AccessibleText(widget, QAccessible::StaticText);
    }
    return nullptr;
}

}  // namespace controls
