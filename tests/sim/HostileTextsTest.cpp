// The hostile string sets and the datagrams of the hostile modes, as pure functions: the
// flood's plan, search replies whose texts fill their fields, account replies with text.

#include <QStringDecoder>

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "HostileStrings.h"
#include "HttpTestSupport.h"
#include "UdpServer.h"

using namespace sim;

namespace {

constexpr std::int64_t kNow = 1796800000;
const QByteArray kSearch = QByteArray::fromHex(
    "fdfd0000a100ffffffffffff00000000000003001550"
    "abff186bffff0000");

bool DecodesAsUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

QByteArray MacOf(const QByteArray& reply) {
    return reply.mid(reply.size() == 342 ? 228 : 220, 6);
}

// The text field at a long-layout offset, in either layout.
QByteArray FieldOf(const QByteArray& reply, int longOffset, int width) {
    return reply.mid(longOffset - (reply.size() == 342 ? 0 : 8), width);
}

Recorder Factory() {
    return simtest::SmallScenario().recorders[0];
}

TEST(HostileSets, EachSetHoldsWhatItIsNamedFor) {
    ASSERT_EQ(HostileSetNames(), (QStringList{"utf8", "control", "shell", "desktop", "all"}));
    const QByteArray utf8 = HostileText(QStringLiteral("utf8"));
    EXPECT_FALSE(DecodesAsUtf8(utf8));
    // Every broken sequence breaks on its own, not only the first.
    for (const QByteArray& piece : utf8.split(' ')) {
        EXPECT_FALSE(DecodesAsUtf8(piece)) << piece.toHex().toStdString();
    }

    const QByteArray control = HostileText(QStringLiteral("control"));
    for (const char c : {'\x01', '\x07', '\x08', '\t', '\x0b', '\x1b', '\x7f', '\r', '\n', '\0'}) {
        EXPECT_TRUE(control.contains(c)) << int(c);
    }
    EXPECT_TRUE(control.contains("\r\ninjected=1"));
    EXPECT_TRUE(control.contains(QByteArray::fromHex("e280ae"))) << "right-to-left override";
    EXPECT_TRUE(control.endsWith(QByteArray("\0after-nul", 10)));

    const QByteArray shell = HostileText(QStringLiteral("shell"));
    for (const char* piece :
         {"'", "\"", "$(", "`", ";", "|", "&&", ">", "${HOME}", "%s", "%1", "{0}", "@@", "\\"}) {
        EXPECT_TRUE(shell.contains(piece)) << piece;
    }
    EXPECT_TRUE(DecodesAsUtf8(shell));

    const QByteArray desktop = HostileText(QStringLiteral("desktop"));
    for (const char* piece : {"\n[Desktop Entry]\n", "\nType=Application\n", "\nExec=", "%f", "%u",
                              "%%", "../../../"}) {
        EXPECT_TRUE(desktop.contains(piece)) << piece;
    }

    // "all" holds every set, the NUL of the control set last of all.
    const QByteArray all = HostileText(QStringLiteral("all"));
    for (const QByteArray& part : {shell, desktop, utf8, control}) {
        EXPECT_TRUE(all.contains(part));
    }
    EXPECT_EQ(all.indexOf('\0'), all.size() - 10);

    // Clients send these texts back in queries, where the simulator's parser takes a second
    // "?" for a malformed request.
    EXPECT_FALSE(all.contains('?'));

    EXPECT_TRUE(HostileText(QString()).isEmpty());
    EXPECT_TRUE(HostileText(QStringLiteral("nonsense")).isEmpty());
}

TEST(HostileSets, TheRealTextStaysInFront) {
    EXPECT_EQ(Hostile("OC-420", QString()), QByteArray("OC-420"));
    EXPECT_EQ(Hostile("OC-420", QStringLiteral("shell")),
              "OC-420" + HostileText(QStringLiteral("shell")));
}

TEST(HostileSets, HeaderTextHasNoLineEndOrNul) {
    for (const QString& set : HostileSetNames()) {
        const QByteArray text = HostileHeaderText(set);
        EXPECT_EQ(text.size(), HostileText(set).size()) << set.toStdString();
        EXPECT_FALSE(text.contains('\r') || text.contains('\n') || text.contains('\0'))
            << set.toStdString();
    }
}

TEST(HostileSets, FullWidthTextFillsItsRoomWithoutAZero) {
    EXPECT_EQ(FullWidthText("ORB-780Z", 70).size(), 70);
    EXPECT_TRUE(FullWidthText("ORB-780Z", 70).startsWith("ORB-780Z"));
    EXPECT_FALSE(FullWidthText(QByteArray("a\0b", 3), 64).contains('\0'));
    EXPECT_EQ(FullWidthText(QByteArray(100, 'x'), 64), QByteArray(64, 'x'));
    EXPECT_EQ(FullWidthText({}, 5).size(), 5);
}

TEST(SearchFloodPlan, TenThousandDatagramsFromAThousandMacsWithinASecond) {
    const Recorder recorder = Factory();
    const QList<FloodDatagram> flood = SearchFlood(recorder, 10000, 7, kNow);
    ASSERT_EQ(flood.size(), 10000);

    std::map<FloodDatagram::Kind, int> kinds;
    std::map<QByteArray, QByteArray> replyOf;  // MAC -> its proper reply
    std::set<int> replyLengths;
    int previous = 0;
    for (const FloodDatagram& d : flood) {
        ++kinds[d.kind];
        EXPECT_GE(d.offsetMs, previous) << "in time order";
        EXPECT_LT(d.offsetMs, kFloodSpanMs);
        previous = d.offsetMs;
        if (d.kind == FloodDatagram::Reply) {
            ASSERT_TRUE(d.bytes.size() == 334 || d.bytes.size() == 342);
            replyLengths.insert(static_cast<int>(d.bytes.size()));
            const QByteArray mac = MacOf(d.bytes);
            EXPECT_FALSE(replyOf.count(mac)) << "one proper reply per MAC";
            replyOf[mac] = d.bytes;
            EXPECT_EQ(FieldOf(d.bytes, 158, 9), QByteArray("ORB-780Z\0", 9)) << "listed model";
            EXPECT_NE(d.bytes.mid(298 - (d.bytes.size() == 342 ? 0 : 8), 4), QByteArray(4, '\0'));
            EXPECT_EQ(d.bytes.mid(4, 2), QByteArray("\xA1\x00", 2));
            EXPECT_EQ(d.bytes.mid(2, 2), QByteArray("\x07\x00", 2)) << "the request's sequence";
        }
    }
    EXPECT_EQ(kinds[FloodDatagram::Reply], 1000);
    EXPECT_EQ(kinds[FloodDatagram::Duplicate], 5000);
    EXPECT_EQ(kinds[FloodDatagram::WrongLength], 4000);
    EXPECT_EQ(replyOf.size(), 1000u);
    EXPECT_EQ(replyLengths, (std::set<int>{334, 342})) << "both layouts";
    EXPECT_FALSE(replyOf.count(QByteArray::fromHex("001c2a780e01"))) << "not the real recorder";

    std::set<QByteArray> seen;
    for (const FloodDatagram& d : flood) {
        if (d.kind == FloodDatagram::Reply) {
            seen.insert(MacOf(d.bytes));
        } else if (d.kind == FloodDatagram::Duplicate) {
            const QByteArray mac = MacOf(d.bytes);
            ASSERT_TRUE(replyOf.count(mac));
            EXPECT_TRUE(seen.count(mac)) << "a duplicate follows its original";
            EXPECT_EQ(d.bytes, replyOf[mac]);
        } else {
            EXPECT_NE(d.bytes.size(), 334);
            EXPECT_NE(d.bytes.size(), 342);
            EXPECT_LE(d.bytes.size(), 1500);
        }
    }
}

TEST(SearchFloodPlan, SmallCountsStillComeFromOneRecorderAtLeast) {
    const QList<FloodDatagram> flood = SearchFlood(Factory(), 7, 0, kNow);
    ASSERT_EQ(flood.size(), 7);
    EXPECT_EQ(flood.first().kind, FloodDatagram::Reply);
    EXPECT_EQ(flood.at(1).kind, FloodDatagram::WrongLength);
    EXPECT_EQ(flood.at(2).kind, FloodDatagram::Duplicate);
    EXPECT_TRUE(SearchFlood(Factory(), 0, 0, kNow).isEmpty());
}

TEST(SearchFloodPlan, ASearchBringsTheRecordersOwnReplyFirstThenTheFlood) {
    Scenario scenario = simtest::SmallScenario();
    scenario.recorders[0].faults.floodReplies = 10000;
    scenario.recorders[0].faults.delayMs = 40;
    SimState state(scenario);
    const DatagramOutcome outcome = HandleDatagram(state, kSearch, {}, kNow);
    ASSERT_EQ(outcome.replies.size(), 10001);
    EXPECT_TRUE(outcome.replies.first().flood.isEmpty());
    EXPECT_EQ(MacOf(outcome.replies.first().bytes), QByteArray::fromHex("001c2a780e01"));
    for (qsizetype i = 1; i < outcome.replies.size(); ++i) {
        const DatagramReply& r = outcome.replies.at(i);
        ASSERT_EQ(r.flood, QStringLiteral("00:1c:2a:78:0e:01"));
        ASSERT_EQ(r.fromIp, QStringLiteral("10.77.0.10"));
        ASSERT_GE(r.delayMs, 40);
        ASSERT_LT(r.delayMs, 40 + kFloodSpanMs);
    }
    ASSERT_EQ(outcome.notes.size(), 1);
    EXPECT_EQ(outcome.notes.first().toStdString(),
              "flood from recorder 00:1c:2a:78:0e:01: 10000 datagrams, 1000 MACs, 5000 "
              "duplicates, 4000 wrong lengths, over 1000 ms");
}

TEST(FullLengthTexts, SearchReplyFieldsRunToTheNextFieldWithoutAZero) {
    Recorder recorder = Factory();
    recorder.faults.fullLengthTexts = true;
    for (const int length : {342, 334}) {
        recorder.replyLength = length;
        const QByteArray reply = SearchReply(recorder, 0, kNow);
        ASSERT_EQ(reply.size(), length);
        const int shift = length == 342 ? 0 : -8;
        const QByteArray model = reply.mid(158 + shift, 70);
        EXPECT_TRUE(model.startsWith("ORB-780Z"));
        EXPECT_FALSE(model.contains('\0'));
        EXPECT_FALSE(reply.mid(234 + shift, 64).contains('\0')) << "device name";
        // The payload's unused bytes too, so a reader running past a field meets more text.
        EXPECT_FALSE(reply.mid(30 + shift, 128).contains('\0'));
        EXPECT_FALSE(reply.mid(304 + shift, 38).contains('\0'));
        EXPECT_EQ(reply.mid(228 + shift, 6), QByteArray::fromHex("001c2a780e01"));
        EXPECT_EQ(reply.mid(298 + shift, 4), QByteArray::fromHex("0a4d000a"));
        EXPECT_EQ(reply.mid(302 + shift, 2), QByteArray::fromHex("5000"));
    }
}

TEST(HostileStringsKnob, SearchReplyTextsCarryTheSetUpToTheirRoom) {
    Recorder recorder = Factory();
    recorder.faults.hostileStrings = QStringLiteral("shell");
    const QByteArray reply = SearchReply(recorder, 0, kNow);
    const QByteArray expected = ("ORB-780Z" + HostileText(QStringLiteral("shell"))).left(69);
    EXPECT_EQ(reply.mid(158, 69), expected);
    EXPECT_EQ(reply.at(158 + 69), '\0') << "still terminated without fullLengthTexts";
    EXPECT_EQ(reply.mid(234, 63), ("ORB-780Z" + HostileText(QStringLiteral("shell"))).left(63));

    recorder.faults.fullLengthTexts = true;
    const QByteArray full = SearchReply(recorder, 0, kNow);
    EXPECT_EQ(full.mid(158, 70), ("ORB-780Z" + HostileText(QStringLiteral("shell"))).left(70));
}

// A short-header login check for "admin" with the factory's empty password.
QByteArray FactoryLoginCheck() {
    QByteArray d = QByteArray::fromHex("fdfd0300a300001c2a780e010a4d000a7777010080");
    d += '\0';
    d += QByteArray("YWRtaW4=").leftJustified(64, '\0');
    d += QByteArray(64, '\0');
    return d;
}

TEST(FullLengthTexts, AccountRepliesCarryFullSlotsOfText) {
    Scenario scenario = simtest::SmallScenario();
    scenario.recorders[0].faults.fullLengthTexts = true;
    SimState state(scenario);
    const DatagramOutcome outcome = HandleDatagram(state, FactoryLoginCheck(), {}, kNow);
    ASSERT_EQ(outcome.replies.size(), 1);
    const QByteArray reply = outcome.replies.first().bytes;
    ASSERT_EQ(reply.size(), 22 + 128);
    EXPECT_EQ(reply.mid(4, 2), QByteArray("\xA3\x00", 2));
    EXPECT_EQ(reply.mid(16, 2), QByteArray(2, '\0')) << "still accepted";
    EXPECT_EQ(reply.mid(20, 2), QByteArray("\x80\x00", 2)) << "payload length";
    EXPECT_FALSE(reply.mid(22).contains('\0'));
    EXPECT_TRUE(reply.mid(22).startsWith("admin"));
}

TEST(HostileStringsKnob, AccountRepliesCarryTheSetInTheirSlots) {
    Scenario scenario = simtest::SmallScenario();
    scenario.recorders[0].faults.hostileStrings = QStringLiteral("desktop");
    SimState state(scenario);
    const DatagramOutcome outcome = HandleDatagram(state, FactoryLoginCheck(), {}, kNow);
    ASSERT_EQ(outcome.replies.size(), 1);
    const QByteArray reply = outcome.replies.first().bytes;
    ASSERT_EQ(reply.size(), 22 + 128);
    EXPECT_EQ(reply.mid(22, 63), ("admin" + HostileText(QStringLiteral("desktop"))).left(63));
    EXPECT_EQ(reply.at(22 + 63), '\0');

    // Without either knob the answer stays a bare header.
    state.with([](Scenario& s) { s.recorders[0].faults.hostileStrings.clear(); });
    EXPECT_EQ(HandleDatagram(state, FactoryLoginCheck(), {}, kNow).replies.first().bytes.size(),
              22);
}

}  // namespace
