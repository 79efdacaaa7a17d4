#include <QAccessible>
#include <QTest>

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>
#include <vector>

#include "controls/CApproButton2.h"
#include "controls/CApproComboBox.h"
#include "controls/CApproStatic.h"
#include "controls/CBaseStatic.h"
#include "controls/CBaseStatic2.h"
#include "controls/CIconButton.h"
#include "controls/CImageButton.h"
#include "controls/CLinkStatic.h"
#include "controls/CLinkStatic2.h"
#include "controls/CTitleStatic.h"
#include "platform/MessageWindow.h"

namespace {

using controls::CStateButton;

class Page : public platform::MessageWindow<QWidget> {
public:
    Page() : MessageWindow<QWidget>(nullptr) { resize(400, 300); }

protected:
    void messageEvent(platform::WindowMessageEvent&) override {}
};

QAccessibleInterface* Access(QObject* object) {
    QAccessibleInterface* access = QAccessible::queryAccessibleInterface(object);
    EXPECT_NE(access, nullptr);
    return access;
}

bool Checked(QAccessibleInterface* access) {
    return access->state().checked;
}

void Click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
}

}  // namespace

TEST(Accessibility, ComboBoxShowsItsChoiceAsValueAndKeepsItsName) {
    Page page;
    auto* combo = new controls::CApproComboBox(page.windowId(), &page);
    combo->setGeometry(10, 10, 188, 32);
    combo->setAccessibleName(QStringLiteral("Select your Language:"));
    combo->setItems({QStringLiteral("English"), QStringLiteral("Deutsch")});
    QAccessibleInterface* access = Access(combo);
    ASSERT_NE(access, nullptr);
    EXPECT_EQ(access->role(), QAccessible::ComboBox);
    EXPECT_EQ(access->text(QAccessible::Name), QStringLiteral("Select your Language:"));
    EXPECT_TRUE(access->text(QAccessible::Value).isEmpty()) << "nothing chosen yet";
    combo->setCurrentIndex(1);
    EXPECT_EQ(access->text(QAccessible::Value), QStringLiteral("Deutsch"));
    EXPECT_EQ(access->text(QAccessible::Name), QStringLiteral("Select your Language:"));

    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    QAccessibleActionInterface* actions = access->actionInterface();
    ASSERT_NE(actions, nullptr);
    EXPECT_FALSE(access->state().expanded);
    actions->doAction(QAccessibleActionInterface::showMenuAction());
    EXPECT_TRUE(combo->isListShown());
    EXPECT_TRUE(access->state().expanded);
    combo->hideList();
}

TEST(Accessibility, PictureButtonsTakeTheRoleOfTheirModeAndFollowTheLatch) {
    Page page;
    auto* button = new controls::CApproButton2(1, &page);
    button->setGeometry(10, 10, 118, 43);
    button->setText(QStringLiteral("Next"));
    auto* first = new controls::CIconButton(2, &page);
    first->setGeometry(10, 70, 40, 40);
    first->setRadioMode(1);
    auto* second = new controls::CImageButton(3, &page);
    second->setGeometry(60, 70, 40, 40);
    second->setRadioMode(2);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));

    QAccessibleInterface* access = Access(button);
    ASSERT_NE(access, nullptr);
    EXPECT_EQ(access->role(), QAccessible::Button);
    EXPECT_EQ(access->text(QAccessible::Name), QStringLiteral("Next"));
    EXPECT_FALSE(access->state().checkable);
    int clicks = 0;
    QObject::connect(button, &QAbstractButton::clicked, [&] { ++clicks; });
    ASSERT_TRUE(access->actionInterface()->actionNames().contains(
        QAccessibleActionInterface::pressAction()));
    access->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(Checked(access)) << "a push button does not latch";

    // The same interface follows a change of mode.
    button->setCheckMode(false);
    EXPECT_EQ(access->role(), QAccessible::CheckBox);
    EXPECT_TRUE(access->state().checkable);
    EXPECT_FALSE(Checked(access));
    Click(button);
    EXPECT_TRUE(button->isLatched());
    EXPECT_TRUE(Checked(access));
    Click(button);
    EXPECT_FALSE(Checked(access));
    access->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(Checked(access)) << "toggling is a click";

    QAccessibleInterface* one = Access(first);
    QAccessibleInterface* two = Access(second);
    ASSERT_TRUE(one != nullptr && two != nullptr);
    EXPECT_EQ(one->role(), QAccessible::RadioButton);
    EXPECT_EQ(two->role(), QAccessible::RadioButton);
    EXPECT_TRUE(one->state().checkable);
    EXPECT_FALSE(Checked(one));
    Click(first);
    EXPECT_TRUE(Checked(one));
    Click(first);
    EXPECT_TRUE(Checked(one)) << "a radio button stays latched";
    Click(second);
    EXPECT_TRUE(Checked(two));

    button->setPushMode();
    EXPECT_EQ(access->role(), QAccessible::Button);
    EXPECT_FALSE(access->state().checkable);
}

TEST(Accessibility, LinksAndLabelsAreNamedByTheirText) {
    Page page;
    auto* link = new controls::CLinkStatic(&page, 12);
    link->setText(QStringLiteral("What is this?"));
    auto* wrapped = new controls::CLinkStatic2(&page);
    wrapped->setText(QStringLiteral("Why can't I find my NVR?"));
    for (controls::CLinkStatic* l : std::initializer_list<controls::CLinkStatic*>{link, wrapped}) {
        QAccessibleInterface* access = Access(l);
        ASSERT_NE(access, nullptr);
        EXPECT_EQ(access->role(), QAccessible::Link);
        EXPECT_EQ(access->text(QAccessible::Name), l->text());
        EXPECT_TRUE(access->state().linked);
    }

    auto* plain = new controls::CApproStatic(&page);
    plain->setText(QStringLiteral("Password"));
    auto* title = new controls::CTitleStatic(&page);
    title->setText(QStringLiteral("Time zone"));
    auto* base = new controls::CBaseStatic(&page);
    base->setText(QStringLiteral("Please connect the recorder."));
    auto* rich = new controls::CBaseStatic2(&page);
    rich->setText(QStringLiteral("Press <br>Next</br> to go on."));
    const std::vector<std::pair<QWidget*, QString>> labels = {
        {plain, QStringLiteral("Password")},
        {title, QStringLiteral("Time zone")},
        {base, QStringLiteral("Please connect the recorder.")},
        {rich, QStringLiteral("Press Next to go on.")},
    };
    for (const auto& [label, name] : labels) {
        QAccessibleInterface* access = Access(label);
        ASSERT_NE(access, nullptr);
        EXPECT_EQ(access->role(), QAccessible::StaticText) << name.toStdString();
        EXPECT_EQ(access->text(QAccessible::Name), name);
    }
    // A later text is the new name.
    plain->setText(QStringLiteral("New password"));
    EXPECT_EQ(Access(plain)->text(QAccessible::Name), QStringLiteral("New password"));
}
