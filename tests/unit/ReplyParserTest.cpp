#include "device/ReplyParser.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <limits>

namespace {
const QString kCrLf = QStringLiteral("\r\n");
}

TEST(ReplyParserPairs, StatusReply) {
    ReplyParser reply(QByteArray("status=3\r\naccess=1\r\n"));
    EXPECT_EQ(reply.SplitPairs(kCrLf), 2);
    EXPECT_EQ(reply.GetValue("status"), "3");
    EXPECT_EQ(ReadLeadingNumber(reply.GetValue("status")), 3);
    EXPECT_EQ(reply.GetValue("access"), "1");
    EXPECT_TRUE(reply.GetValue("Status").isEmpty());
    EXPECT_TRUE(reply.GetValue("missing").isEmpty());
}

TEST(ReplyParserPairs, KeysAndValuesAreNotTrimmed) {
    ReplyParser reply(QStringLiteral(" status=5\r\nname= a=b==c \r\nurl=http://h/?x=1&y=2"));
    EXPECT_EQ(reply.SplitPairs(kCrLf), 3);
    EXPECT_TRUE(reply.GetValue("status").isEmpty());
    EXPECT_EQ(reply.GetValue(" status"), "5");
    EXPECT_EQ(reply.GetValue("name"), " a=b==c ");
    EXPECT_EQ(reply.GetValue("url"), "http://h/?x=1&y=2");
}

TEST(ReplyParserPairs, FirstOfARepeatedKeyWins) {
    ReplyParser reply(QStringLiteral("status=1\r\nstatus=2\r\nstatus=3"));
    EXPECT_EQ(reply.SplitPairs(kCrLf), 3);
    EXPECT_EQ(reply.GetValue("status"), "1");
}

TEST(ReplyParserPairs, EmptyBodyAndEmptyKeys) {
    ReplyParser empty(QByteArray{});
    EXPECT_EQ(empty.SplitPairs(kCrLf), -1);
    EXPECT_TRUE(empty.GetValue("status").isEmpty());

    // A pair with an empty key is counted but can never be asked for.
    ReplyParser reply(QStringLiteral("=orphan\r\nk=\r\n"));
    EXPECT_EQ(reply.SplitPairs(kCrLf), 2);
    EXPECT_TRUE(reply.GetValue("").isEmpty());
    EXPECT_TRUE(reply.GetValue(QString()).isEmpty());
    EXPECT_TRUE(reply.GetValue("k").isEmpty());
}

TEST(ReplyParserPairs, LinesWithoutEqualsIgnored) {
    ReplyParser reply(QStringLiteral("OK\r\n\r\nstatus=0\r\ngarbage\r\nlast=9"));
    EXPECT_EQ(reply.SplitPairs(kCrLf), 2);
    EXPECT_EQ(reply.GetValue("status"), "0");
    EXPECT_EQ(reply.GetValue("last"), "9");

    ReplyParser none(QStringLiteral("\r\n\r\n"));
    EXPECT_EQ(none.SplitPairs(kCrLf), 0);
}

TEST(ReplyParserPairs, ResplittingDropsEarlierPairs) {
    ReplyParser reply(QStringLiteral("a=1;b=2\r\nc=3"));
    EXPECT_EQ(reply.SplitPairs(kCrLf), 2);
    EXPECT_EQ(reply.GetValue("a"), "1;b=2");
    EXPECT_EQ(reply.SplitPairs(";"), 2);
    EXPECT_EQ(reply.GetValue("a"), "1");
    EXPECT_EQ(reply.GetValue("b"), "2\r\nc=3");
    EXPECT_TRUE(reply.GetValue("c").isEmpty());
}

TEST(ReplyParserPairs, EmptySeparatorKeepsTheTextWhole) {
    ReplyParser reply(QStringLiteral("a=1\r\nb=2"));
    EXPECT_EQ(reply.SplitPairs(QString()), 1);
    EXPECT_EQ(reply.GetValue("a"), "1\r\nb=2");
    EXPECT_EQ(reply.SplitItems(QString()), 1);
    EXPECT_EQ(reply.GetItem(0), reply.text());
}

TEST(ReplyParserPairs, EightBitBytesDecoded) {
    ReplyParser reply(
        QByteArray("name=C\xc3\xa2mera Entr\xc3\xa9"
                   "e\r\n"));
    EXPECT_EQ(reply.SplitPairs(kCrLf), 1);
    EXPECT_EQ(reply.GetValue("name"), QString::fromUtf8("Câmera Entrée"));

    ReplyParser keyed(
        QByteArray("gr\xc3\xbc\xc3\x9f"
                   "e=1"));
    EXPECT_EQ(keyed.SplitPairs(kCrLf), 1);
    EXPECT_EQ(keyed.GetValue(QString::fromUtf8("grüße")), "1");
}

TEST(ReplyParserItems, EmptyPiecesSkipped) {
    ReplyParser reply(QByteArray("a\r\n\r\nb\r\n"));
    EXPECT_EQ(reply.SplitItems(kCrLf), 2);
    EXPECT_EQ(reply.GetItem(0), "a");
    EXPECT_EQ(reply.GetItem(1), "b");
    for (int outside :
         {-1, 2, 3, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()}) {
        EXPECT_TRUE(reply.GetItem(outside).isEmpty()) << outside;
    }

    EXPECT_EQ(ReplyParser(QString()).SplitItems(kCrLf), -1);
    EXPECT_EQ(ReplyParser(QStringLiteral("\r\n\r\n")).SplitItems(kCrLf), 0);

    ReplyParser resplit(QStringLiteral("x;y\r\nz"));
    EXPECT_EQ(resplit.SplitItems(";"), 2);
    EXPECT_EQ(resplit.SplitItems(kCrLf), 2);
    EXPECT_EQ(resplit.GetItem(0), "x;y");
    EXPECT_EQ(resplit.GetItem(1), "z");
    EXPECT_TRUE(resplit.GetItem(2).isEmpty());
}

TEST(ReplyParserItems, OverlappingSeparators) {
    // Cuts are taken left to right without overlapping: "aaa" in "aaaa" leaves one "a".
    ReplyParser reply(QStringLiteral("xaaaay"));
    EXPECT_EQ(reply.SplitItems("aaa"), 2);
    EXPECT_EQ(reply.GetItem(0), "x");
    EXPECT_EQ(reply.GetItem(1), "ay");

    // A lone CR or LF is no separator; CR CR LF leaves the first CR in the piece before.
    ReplyParser lines(QStringLiteral("a\rb\nc\r\r\nd=1\r\n\n"));
    EXPECT_EQ(lines.SplitItems(kCrLf), 3);
    EXPECT_EQ(lines.GetItem(0), "a\rb\nc\r");
    EXPECT_EQ(lines.GetItem(1), "d=1");
    EXPECT_EQ(lines.GetItem(2), "\n");
    EXPECT_EQ(lines.SplitPairs(kCrLf), 1);
    EXPECT_EQ(lines.GetValue("d"), "1");

    // The separator may be longer than the text or the whole of it.
    EXPECT_EQ(ReplyParser(QStringLiteral("ab")).SplitItems("abc"), 1);
    EXPECT_EQ(ReplyParser(QStringLiteral("abc")).SplitItems("abc"), 0);
}

TEST(ReadLeadingNumber, SignsBlanksAndStops) {
    EXPECT_EQ(ReadLeadingNumber("  -12abc"), -12);
    EXPECT_EQ(ReadLeadingNumber("+7"), 7);
    EXPECT_EQ(ReadLeadingNumber("abc"), 0);
    EXPECT_EQ(ReadLeadingNumber(""), 0);
    EXPECT_EQ(ReadLeadingNumber(QString()), 0);
    EXPECT_EQ(ReadLeadingNumber("- 5"), 0);
    EXPECT_EQ(ReadLeadingNumber("-"), 0);
    EXPECT_EQ(ReadLeadingNumber("+-3"), 0);
    EXPECT_EQ(ReadLeadingNumber("-0"), 0);
    EXPECT_EQ(ReadLeadingNumber("007"), 7);
    EXPECT_EQ(ReadLeadingNumber("3 4"), 3);
    EXPECT_EQ(ReadLeadingNumber("1.9"), 1);
    EXPECT_EQ(ReadLeadingNumber(" \t\r\n\v\f42"), 42);
    // Only the blanks isspace knows, and only ASCII digits.
    EXPECT_EQ(ReadLeadingNumber(QString::fromUtf8("\u00a042")), 0);
    EXPECT_EQ(ReadLeadingNumber(QString::fromUtf8("\u0663")), 0);
    EXPECT_EQ(ReadLeadingNumber(QString::fromUtf8("12\u0663")), 12);
}

TEST(ReadLeadingNumber, SaturatesBothWays) {
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(ReadLeadingNumber("2147483647"), kMax);
    EXPECT_EQ(ReadLeadingNumber("2147483646"), kMax - 1);
    EXPECT_EQ(ReadLeadingNumber("2147483648"), kMax);
    EXPECT_EQ(ReadLeadingNumber("-2147483648"), kMin);
    EXPECT_EQ(ReadLeadingNumber("-2147483647"), kMin + 1);
    EXPECT_EQ(ReadLeadingNumber("-2147483649"), kMin);
    EXPECT_EQ(ReadLeadingNumber("4294967297"), kMax);            // would wrap to 1 in 32 bits
    EXPECT_EQ(ReadLeadingNumber("18446744073709551617"), kMax);  // would wrap in 64 bits
    EXPECT_EQ(ReadLeadingNumber("-18446744073709551617"), kMin);
    EXPECT_EQ(ReadLeadingNumber(QString(10'000, u'9')), kMax);
    EXPECT_EQ(ReadLeadingNumber(QStringLiteral("-") + QString(10'000, u'9') + QStringLiteral("x")),
              kMin);
    EXPECT_EQ(ReadLeadingNumber(QString(10'000, u'0') + QStringLiteral("15")), 15);
}
