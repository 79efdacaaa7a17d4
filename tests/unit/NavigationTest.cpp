#include <gtest/gtest.h>

#include "shell/Messages.h"
#include "shell/Navigation.h"

using nav::Action;
using nav::Resolve;

TEST(Navigation, BackAndNextStepThroughEveryPage) {
    for (int page = 1; page <= 13; ++page) {
        const nav::Step back = Resolve(page, msg::kBack, 0);
        const nav::Step next = Resolve(page, msg::kNext, 0);
        if (page == 1) {
            EXPECT_EQ(back.action, Action::None);
        } else {
            EXPECT_EQ(back.action, Action::Switch);
            EXPECT_EQ(back.page, page - 1);
        }
        if (page == 13) {
            EXPECT_EQ(next.action, Action::None);
        } else {
            EXPECT_EQ(next.action, Action::Switch);
            EXPECT_EQ(next.page, page + 1);
        }
        EXPECT_EQ(Resolve(page, msg::kClose, 0).action, Action::Close);
        EXPECT_EQ(Resolve(page, msg::kFinish, 0).action, Action::Close);
        EXPECT_EQ(Resolve(page, msg::kMinimise, 0).action, Action::Minimise);
        const nav::Step home = Resolve(page, msg::kHome, 0);
        EXPECT_EQ(home.action, Action::Switch);
        EXPECT_EQ(home.page, 1);
    }
}

TEST(Navigation, CountsSkipPagesBothWays) {
    // The hard-drive step sends the user back to the drive instructions: 10 + 1 - 8 = 3.
    EXPECT_EQ(Resolve(10, msg::kNext, -8).page, 3);
    EXPECT_EQ(Resolve(5, msg::kNext, 2).page, 8);
    EXPECT_EQ(Resolve(9, msg::kBack, 2).page, 6);
    // Back ignores a count that is not positive.
    EXPECT_EQ(Resolve(9, msg::kBack, -5).page, 8);
    EXPECT_EQ(Resolve(9, msg::kBack, 0).page, 8);
}

TEST(Navigation, StepsOutsideThePagesLeaveThePage) {
    EXPECT_EQ(Resolve(2, msg::kNext, -3).action, Action::None);
    EXPECT_EQ(Resolve(12, msg::kNext, 1).action, Action::None);
    EXPECT_EQ(Resolve(3, msg::kBack, 2).action, Action::None);
    EXPECT_EQ(Resolve(7, 0, 0).action, Action::None);
    EXPECT_EQ(Resolve(7, 7, 0).action, Action::None);
    EXPECT_EQ(Resolve(7, -1, 0).action, Action::None);
    // Hostile counts neither overflow nor wrap round into the pages.
    EXPECT_EQ(Resolve(13, msg::kNext, INTPTR_MAX).action, Action::None);
    EXPECT_EQ(Resolve(1, msg::kNext, INTPTR_MIN).action, Action::None);
    EXPECT_EQ(Resolve(13, msg::kBack, INTPTR_MAX).action, Action::None);
    EXPECT_FALSE(nav::IsPage(0));
    EXPECT_FALSE(nav::IsPage(14));
    EXPECT_TRUE(nav::IsPage(1));
    EXPECT_TRUE(nav::IsPage(13));
}
