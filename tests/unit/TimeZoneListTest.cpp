#include <gtest/gtest.h>

#include "device/TimeZoneList.h"

namespace {

TEST(TimeZoneList, EmptyPiecesAndATrailingSeparatorAreDropped) {
    const QStringList names = zones::ParseList("timezonelist=(GMT) One;;(GMT+01:00) Two;");
    ASSERT_EQ(names.size(), 2);
    EXPECT_EQ(names[0], QStringLiteral("(GMT) One"));
    EXPECT_EQ(names[1], QStringLiteral("(GMT+01:00) Two"));
    EXPECT_TRUE(zones::ParseList("timezonelist=").isEmpty());
    EXPECT_TRUE(zones::ParseList("").isEmpty());
}

TEST(TimeZoneList, AccessErrorAnywhereGivesTheBuiltInList) {
    for (const QByteArray& body :
         {QByteArray("Access Error"), QByteArray("<html>401 Access Error</html>"),
          QByteArray("timezonelist=(GMT) Mine;Access Error")}) {
        const QStringList names = zones::ParseList(body);
        ASSERT_EQ(names.size(), 154) << body.constData();
        EXPECT_EQ(names[0], QStringLiteral("(GMT-12:00) International Date Line West"));
        EXPECT_EQ(names[44], QStringLiteral("(GMT) Dublin, Edinburgh, Lisbon, London"));
        EXPECT_EQ(names[152], QStringLiteral("(GMT+13:00) Nuku'alofa"));
        EXPECT_EQ(names[153], QStringLiteral("(GMT+13:00) Samoa"));
    }
    EXPECT_TRUE(zones::BuiltInListText().startsWith(QStringLiteral("timezonelist=(GMT-12:00)")));
    EXPECT_FALSE(zones::BuiltInListText().endsWith(u';'));
}

TEST(TimeZoneList, EntitiesAreDecodedInTheRecordersOrder) {
    EXPECT_EQ(zones::DecodeEntities(QStringLiteral("Pacific Time &#40;US &amp; Canada&#41;")),
              QStringLiteral("Pacific Time (US & Canada)"));
    EXPECT_EQ(zones::DecodeEntities(QStringLiteral("&lt;&gt;&#35;&quot;")),
              QStringLiteral("<>#\""));
    // An escaped ampersand that starts another escape is decoded twice.
    EXPECT_EQ(zones::DecodeEntities(QStringLiteral("&amp;#40;")), QStringLiteral("("));
    EXPECT_EQ(zones::DecodeEntities(QStringLiteral("&amp;lt;")), QStringLiteral("<"));
    // Later escapes never bring back an earlier one.
    EXPECT_EQ(zones::DecodeEntities(QStringLiteral("&#40;amp;")), QStringLiteral("(amp;"));
    // Decoding comes before the split: an escaped separator is no separator, but a decoded
    // one is not brought back either.
    const QStringList names = zones::ParseList("timezonelist=A &amp; B;C&quot;D");
    ASSERT_EQ(names.size(), 2);
    EXPECT_EQ(names[0], QStringLiteral("A & B"));
    EXPECT_EQ(names[1], QStringLiteral("C\"D"));
}

TEST(TimeZoneList, NamesAreUtf8AndThePrefixIsCutByLength) {
    const QStringList names = zones::ParseList(
        QStringLiteral("timezonelist=(GMT+09:00) 東京;(GMT+01:00) Zürich").toUtf8());
    ASSERT_EQ(names.size(), 2);
    EXPECT_EQ(names[0], QStringLiteral("(GMT+09:00) 東京"));
    EXPECT_EQ(names[1], QStringLiteral("(GMT+01:00) Zürich"));
    // Whatever the first 13 characters are, they are the prefix.
    EXPECT_EQ(zones::ParseList("XXXXXXXXXXXXXA;B"), QStringList({"A", "B"}));
    EXPECT_TRUE(zones::ParseList("short").isEmpty());
    // A cut through a character outside the 16-bit range drops the half after it.
    EXPECT_EQ(zones::ParseList(QStringLiteral("XXXXXXXXXXXX\U0001F600A;B").toUtf8()),
              QStringList({"A", "B"}));
    EXPECT_EQ(zones::ParseList(QStringLiteral("XXXXXXXXXXXX\U0001F600").toUtf8()), QStringList());
}

TEST(TimeZoneList, NamesBeyondTheSlotsAreIgnored) {
    QByteArray body = "timezonelist=";
    for (int i = 1; i <= 260; ++i) {
        body += "Zone " + QByteArray::number(i) + ';';
    }
    const QStringList names = zones::ParseList(body);
    ASSERT_EQ(names.size(), zones::kMaxZones);
    EXPECT_EQ(names.back(), QStringLiteral("Zone 200"));
}

TEST(TimeZoneList, TheCurrentZoneMustNameASlot) {
    EXPECT_EQ(zones::ReadCurrentZone("timezone=13\r\ndate=2026-12-09\r\n", 154), 13);
    EXPECT_EQ(zones::ReadCurrentZone("date=2026-12-09\r\ntimezone=154\r\n", 154), 154);
    EXPECT_EQ(zones::ReadCurrentZone("timezone=1", 1), 1);
    for (const QByteArray& body :
         {QByteArray("timezone=0"), QByteArray("timezone=155"), QByteArray("timezone=-3"),
          QByteArray("timezone="), QByteArray("timezone=abc"), QByteArray("date=1"), QByteArray(""),
          QByteArray("timezone=99999999999999999999")}) {
        EXPECT_EQ(zones::ReadCurrentZone(body, 154), -1) << body.constData();
    }
    EXPECT_EQ(zones::ReadCurrentZone("timezone=13", 0), -1);
}

}  // namespace
