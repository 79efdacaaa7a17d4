#include <gtest/gtest.h>

#include <QStringList>

#include <memory>
#include <vector>

#include "shell/CameraList.h"
#include "shell/CameraSelection.h"

namespace {

using Tick = CameraSelection::Tick;

class CameraSelectionTest : public ::testing::Test {
protected:
    CameraEntry* add(const QString& line) {
        auto entry = cameras::EntryFromLine(line);
        EXPECT_TRUE(entry);
        owned_.push_back(std::make_unique<CameraEntry>(*entry));
        entries_.push_back(owned_.back().get());
        return owned_.back().get();
    }
    // Cameras 10.0.0.1.. with account "admin" and a password: each ticks at once.
    void addKnown(int count) {
        for (int i = 1; i <= count; ++i) {
            add(QStringLiteral("0;10.0.0.%1;00:00:00:00:00:%2;b;M%1;admin;pw%1;cgi;1")
                    .arg(i)
                    .arg(i, 2, 10, QLatin1Char('0')));
        }
    }
    // The session's list after a new discovery: fresh entries from the recorder.
    void rediscover(const QStringList& lines) {
        owned_.clear();
        entries_.clear();
        for (const QString& line : lines) {
            add(line);
        }
    }

    std::vector<std::unique_ptr<CameraEntry>> owned_;
    std::vector<CameraEntry*> entries_;
    CameraSelection selection;
};

TEST_F(CameraSelectionTest, APasswordIsAskedForOnlyWhenItIsNotKnown) {
    CameraEntry* known = add(QStringLiteral("0;10.0.0.1;m1;b;A;admin;secret;cgi;1"));
    CameraEntry* empty =
        add(QStringLiteral("1;192.168.0.20;00:11:22:33:44:55;acme;LUX-410;admin;;cgi;0"));
    CameraEntry* other = add(QStringLiteral("0;10.0.0.3;m3;b;C;;;cgi;1"));
    CameraEntry* foreign = add(QStringLiteral("0;10.0.0.4;m4;b;D;viewer;;cgi;1"));
    selection.fill(entries_);
    ASSERT_EQ(selection.rows().size(), 4U);
    EXPECT_TRUE(selection.rows()[0].passwordKnown);
    EXPECT_TRUE(selection.rows()[1].passwordKnown);  // listed as "admin"
    EXPECT_FALSE(selection.rows()[2].passwordKnown);

    EXPECT_EQ(selection.requestTick(0, known), Tick::Ticked);
    // Known by its account, but the password is empty: it must be entered.
    EXPECT_EQ(selection.requestTick(1, empty), Tick::EnterPassword);
    EXPECT_EQ(selection.requestTick(2, other), Tick::EnterPassword);
    // An account without a password: the camera gets one made.
    EXPECT_EQ(selection.requestTick(3, foreign), Tick::CreatePassword);
    EXPECT_EQ(selection.tickedCount(), 1);
    other->verified = 1;
    EXPECT_EQ(selection.requestTick(2, other), Tick::Ticked);
    EXPECT_EQ(selection.tickedCount(), 2);
    // A ticked row is not ticked twice.
    EXPECT_EQ(selection.requestTick(0, known), Tick::Refused);
    EXPECT_EQ(selection.tickedCount(), 2);
}

TEST_F(CameraSelectionTest, NineAtMostAndTheListTurnsBlackAgainAtEight) {
    addKnown(11);
    selection.fill(entries_);
    for (int row = 0; row < 9; ++row) {
        ASSERT_EQ(selection.requestTick(row, entries_[static_cast<std::size_t>(row)]),
                  Tick::Ticked);
    }
    EXPECT_TRUE(selection.full());
    EXPECT_EQ(selection.requestTick(9, entries_[9]), Tick::Refused);
    // A password accepted late does not tick a tenth either.
    EXPECT_FALSE(selection.tickAccepted(10, true));
    EXPECT_EQ(selection.tickedCount(), 9);
    EXPECT_EQ(selection.untick(3), CameraSelection::Untick::WholeList);
    EXPECT_EQ(selection.untick(4), CameraSelection::Untick::Row);
    EXPECT_EQ(selection.untick(4), CameraSelection::Untick::Row);  // already unticked
    EXPECT_EQ(selection.tickedCount(), 7);
    EXPECT_EQ(selection.requestTick(9, entries_[9]), Tick::Ticked);
    // Out of range rows are ignored.
    EXPECT_EQ(selection.requestTick(42, entries_[0]), Tick::Refused);
    EXPECT_EQ(selection.requestTick(-1, entries_[0]), Tick::Refused);
    EXPECT_FALSE(selection.tickAccepted(42, true));
}

TEST_F(CameraSelectionTest, AcceptedPasswordsTickAndACreatedOneShowsNoPreviewYet) {
    add(QStringLiteral("0;10.0.0.1;m1;b;A;;;cgi;1"));
    add(QStringLiteral("0;10.0.0.2;m2;b;B;;;cgi;1"));
    selection.fill(entries_);
    EXPECT_TRUE(selection.tickAccepted(0, true));   // checked through the recorder
    EXPECT_TRUE(selection.tickAccepted(1, false));  // created
    EXPECT_TRUE(selection.rows()[0].passwordKnown);
    EXPECT_FALSE(selection.rows()[1].passwordKnown);
    EXPECT_FALSE(selection.tickAccepted(0, true));
    EXPECT_EQ(selection.tickedCount(), 2);
}

TEST_F(CameraSelectionTest, ARescanKeepsWhatWasVerifiedByMacEvenAtANewAddress) {
    CameraEntry* hall = add(QStringLiteral("0;10.0.0.1;00:1c:2a:c4:10:31;b;Hall;;;cgi;1"));
    add(QStringLiteral("0;10.0.0.2;00:1c:2a:c4:10:32;b;Yard;;;cgi;1"));
    CameraEntry* door = add(QStringLiteral("0;10.0.0.3;00:1c:2a:c4:10:33;b;Door;;;cgi;1"));
    selection.fill(entries_);
    // Hall verified and ticked; Door verified, then unticked.
    hall->password = QStringLiteral("hall-31");
    hall->verified = 1;
    ASSERT_TRUE(selection.tickAccepted(0, true));
    door->password = QStringLiteral("door-33");
    door->verified = 1;
    ASSERT_TRUE(selection.tickAccepted(2, true));
    selection.untick(2);

    selection.remember(entries_);
    // The recorder reports the hall camera at another address, without its password.
    rediscover({QStringLiteral("0;10.0.0.9;00:1c:2a:c4:10:31;b;Hall;;;cgi;1"),
                QStringLiteral("0;10.0.0.2;00:1c:2a:c4:10:32;b;Yard;;;cgi;1"),
                QStringLiteral("0;10.0.0.3;00:1c:2a:c4:10:33;b;Door;;;cgi;1")});
    selection.fill(entries_);
    ASSERT_EQ(selection.rows().size(), 3U);
    EXPECT_EQ(selection.rows()[0].cameraIp, QStringLiteral("10.0.0.9"));
    EXPECT_TRUE(selection.rows()[0].ticked);
    EXPECT_TRUE(selection.rows()[0].passwordKnown);
    EXPECT_EQ(entries_[0]->password, QStringLiteral("hall-31"));
    EXPECT_EQ(entries_[0]->verified, 1);
    EXPECT_FALSE(selection.rows()[1].passwordKnown);
    EXPECT_FALSE(selection.rows()[2].ticked);
    EXPECT_TRUE(selection.rows()[2].passwordKnown);
    EXPECT_EQ(entries_[2]->password, QStringLiteral("door-33"));
    EXPECT_EQ(selection.tickedCount(), 1);
    // Ticking the remembered camera again needs no password page.
    EXPECT_EQ(selection.requestTick(2, entries_[2]), Tick::Ticked);

    // A second rescan updates what is remembered instead of keeping two records.
    selection.remember(entries_);
    rediscover({QStringLiteral("0;10.0.0.3;00:1c:2a:c4:10:33;b;Door;;;cgi;1")});
    selection.fill(entries_);
    EXPECT_TRUE(selection.rows()[0].ticked);
    EXPECT_EQ(selection.tickedCount(), 1);
}

TEST_F(CameraSelectionTest, AnEmptyListHasNoRows) {
    selection.fill(entries_);
    EXPECT_TRUE(selection.rows().empty());
    EXPECT_EQ(selection.tickedCount(), 0);
    EXPECT_EQ(selection.untick(0), CameraSelection::Untick::Row);
}

}  // namespace
