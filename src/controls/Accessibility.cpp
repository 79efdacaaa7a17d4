#include "controls/Accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>

#include <vector>

#include "controls/CApproComboBox.h"
#include "controls/CApproStatic.h"
#include "controls/CBaseStatic.h"
#include "controls/CHyperLink.h"
#include "controls/CLinkStatic.h"
#include "controls/CNvrHeaderCtrl.h"
#include "controls/CNvrListCtrl.h"
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

// One row of the recorder list: a list item, checked while it holds the mark.
class AccessibleNvrRow final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    AccessibleNvrRow(CNvrListCtrl* list, int row) : list_(list), row_(row) {}

    bool isValid() const override { return list_ != nullptr && row_ < list_->rowCount(); }
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
        return kind == QAccessible::Name && isValid() ? list_->rowDescription(row_) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        if (!isValid()) {
            return {};
        }
        const QRect first = list_->cellRect(row_, 0);
        const QRect last = list_->cellRect(row_, CNvrHeaderCtrl::kColumnCount - 1);
        const QRect row(first.topLeft(), last.bottomRight());
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
        s.checked = list_->isMarked(row_);
        s.selectable = true;
        s.selected = s.checked;
        s.focusable = true;
        s.focused = list_->hasFocus() && list_->focusRow() == row_;
        const QRect shown =
            list_->viewport()->geometry().translated(list_->viewport()->parentWidget()->pos());
        s.offscreen = !shown.intersects(list_->cellRect(row_, 0));
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
            list_->markRow(row_, true);
            list_->scrollToRow(row_);
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<CNvrListCtrl> list_;
    int row_;
};

// The recorder list: its rows are its children.
class AccessibleNvrList final : public QAccessibleWidget {
public:
    explicit AccessibleNvrList(CNvrListCtrl* list) : QAccessibleWidget(list, QAccessible::List) {}
    ~AccessibleNvrList() override {
        for (QAccessible::Id id : rows_) {
            QAccessible::deleteAccessibleInterface(id);
        }
    }

    int childCount() const override { return list()->rowCount(); }

    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) {
            return nullptr;
        }
        // Made once per index and kept by Qt's cache, so tools see the same object each time.
        while (static_cast<int>(rows_.size()) <= index) {
            auto* row = new AccessibleNvrRow(list(), static_cast<int>(rows_.size()));
            rows_.push_back(QAccessible::registerAccessibleInterface(row));
        }
        return QAccessible::accessibleInterface(rows_[static_cast<size_t>(index)]);
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        const QAccessible::Id id = QAccessible::uniqueId(const_cast<QAccessibleInterface*>(child));
        for (size_t i = 0; i < rows_.size(); ++i) {
            if (rows_[i] == id && static_cast<int>(i) < childCount()) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    QAccessibleInterface* childAt(int x, int y) const override {
        return child(list()->rowAt(list()->mapFromGlobal(QPoint(x, y))));
    }

    QAccessibleInterface* focusChild() const override {
        return list()->hasFocus() ? child(list()->focusRow()) : nullptr;
    }

private:
    CNvrListCtrl* list() const { return static_cast<CNvrListCtrl*>(widget()); }

    mutable std::vector<QAccessible::Id> rows_;
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
        return new AccessibleNvrList(static_cast<CNvrListCtrl*>(widget));
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
