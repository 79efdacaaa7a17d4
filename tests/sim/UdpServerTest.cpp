// The recorder's datagram side: search replies byte by byte, account requests changing state,
// and hostile input. The fixed requests below were built with Python (base64, hashlib) and
// `openssl enc -aes-256-ctr`: user "admin", time stamp 0x6B18FFAB, recorder 00:1c:2a:78:0e:01
// at 10.77.0.10.

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "ScenarioJson.h"
#include "SimCrypto.h"
#include "UdpServer.h"

namespace {

// Login check, long header, password "Secret#1" (158 bytes).
const QByteArray kLoginLongSecret = QByteArray::fromHex(
    "fdfd0700a300001c2a780e010a4d000a777703008000abff186bffff0000cc8eed1068c1d7325d35d85571af01d245"
    "0c"
    "c8f3463f0606de70d9abe7ff7139794b482ea9c2c0a4b3e8e801853ff4eaea4dc3b6fd396027ad02c6b937341fb8c8"
    "f2"
    "958d634ac9ea88be16829e22b05efe96d96b5b933dd3d1780bfb7a2aaa5fba06f14b756ffe94cebdecfa2c955bc0b8"
    "16"
    "cf4ebc107d1422687030919c3e3a");
// Password change, long header, from the factory's empty password to "Secret#1" (286 bytes).
const QByteArray kChangeLongFactory = QByteArray::fromHex(
    "fdfd0800a400001c2a780e010a4d000a777703000001abff186bffff0000f6d229bbec9682cf1feb9568bde8df525d"
    "77"
    "6e337232f3219efd230a307a7062fba33b7b3d12acb7b8e16f4c80c729b2a90e6fdd69f428cfff8ae1f58eba3120e2"
    "58"
    "62212e5fa710435180176964740d80a23c662035dceaf7675a4f54cda37f1b56a4ef6cb8e233b89aa0609d8aafad74"
    "6c"
    "d9b4dbaa485e36c951995c52fba38274ac858926a7566fb89e2c3ee6f77099c178e80d1f97ba9443abb9af01214bcd"
    "cb"
    "98c2302954f88433a538c2379682f966652feba1c5152f2341587e43dc768afbddbdc6410458f5eb1943833019ce5e"
    "a1"
    "0fe9cc3089b7e154a5c72b8fea0d91f64d72b2f78475499dae81e9a844f6b376eadd24d6436062ed9023ded67e75");
// The same change with the short header (278 bytes).
const QByteArray kChangeShortFactory = QByteArray::fromHex(
    "fdfd0800a400001c2a780e010a4d000a777701000001595752746157343d0000000000000000000000000000000000"
    "00"
    "0000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
    "00"
    "0000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
    "00"
    "000000000000595752746157343d000000000000000000000000000000000000000000000000000000000000000000"
    "00"
    "000000000000000000000000000000000000000000005532566a636d5630497a453d00000000000000000000000000"
    "00"
    "0000000000000000000000000000000000000000000000000000000000000000000000000000");
// Login check, short header, password "Secret#1" (150 bytes).
const QByteArray kLoginShortSecret = QByteArray::fromHex(
    "fdfd0700a300001c2a780e010a4d000a777701008000595752746157343d0000000000000000000000000000000000"
    "00"
    "00000000000000000000000000000000000000000000000000000000000000000000000000005532566a636d563049"
    "7a"
    "453d000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
    "00"
    "000000000000");

// The wizard's 30-byte search request, time stamp 0x6B18FFAB.
const QByteArray kSearch = QByteArray::fromHex(
    "fdfd0000a100ffffffffffff0000000000000300155"
    "0abff186bffff0000");

constexpr std::int64_t kNow = 1796800000;

std::uint16_t U16(const QByteArray& d, int offset) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(d.at(offset)) |
                                      (static_cast<unsigned char>(d.at(offset + 1)) << 8));
}

std::uint32_t U32(const QByteArray& d, int offset) {
    return U16(d, offset) | (static_cast<std::uint32_t>(U16(d, offset + 2)) << 16);
}

sim::Scenario Factory() {
    return sim::DefaultScenario();
}

QString RecorderPassword(sim::SimState& state) {
    return state.with([](sim::Scenario& s) { return s.recorders.at(0).adminPassword; });
}

// A second recorder beside the default one, on the short layout.
sim::Recorder ShortRecorder() {
    sim::Recorder r;
    r.mac = QStringLiteral("00:1c:2a:78:0e:02");
    r.ip = QStringLiteral("10.77.0.11");
    r.deviceName = QStringLiteral("Shop");
    r.replyLength = 334;
    r.httpPort = 8080;
    return r;
}

// Account requests for cases the fixed vectors do not cover; the ciphers themselves are
// checked against independent vectors in SimCryptoTest.
QByteArray Slot(const QByteArray& text) {
    return text.leftJustified(64, '\0', true);
}

QByteArray AccountRequest(bool isLong, std::uint16_t opcode, const QByteArray& mac,
                          const QByteArray& user, const QByteArray& password,
                          const QByteArray& newPassword = {}) {
    QByteArray h = QByteArray::fromHex("fdfd0100") + QByteArray(2, '\0');
    h[4] = static_cast<char>(opcode);
    h += mac + QByteArray::fromHex("0a4d000a7777") + (isLong ? "\x03" : "\x01") + QByteArray(1, 0);
    h += opcode == 0xA3 ? QByteArray::fromHex("8000") : QByteArray::fromHex("0001");
    const QByteArray stamp = QByteArray::fromHex("abff186b");
    if (isLong) {
        h += stamp + QByteArray::fromHex("ffff0000");
    }
    QByteArray payload = Slot(user.toBase64());
    payload +=
        isLong ? Slot(sim::PasswordProof(password, 0x6B18FFAB, 0xFFFF)) : Slot(password.toBase64());
    if (opcode == 0xA4) {
        payload += Slot(user.toBase64()) + Slot(newPassword.toBase64());
    }
    if (isLong) {
        payload =
            sim::AesCtr(sim::AccountKey(password, mac), sim::AccountCounter(mac, stamp), payload);
    }
    return h + payload;
}

const QByteArray kRecorderMac = QByteArray::fromHex("001c2a780e01");
const QByteArray kLegacyCameraMac = QByteArray::fromHex("001c2ac41023");
const QByteArray kPlainCameraMac = QByteArray::fromHex("001c2ac41022");

// ---- Search replies ----------------------------------------------------------------------

TEST(UdpSearchReply, LongLayoutFieldsAtTheirOffsets) {
    sim::Recorder r;
    r.httpPort = 8080;
    r.clockOffsetSeconds = -3600;
    const QByteArray reply = sim::SearchReply(r, 0x1234, kNow);
    ASSERT_EQ(reply.size(), 342);
    EXPECT_EQ(reply.left(6).toHex(), "fdfd3412a100");
    EXPECT_EQ(U16(reply, 16), 0);  // success
    EXPECT_EQ(U16(reply, 18), 3);
    EXPECT_EQ(U16(reply, 20), 312);
    EXPECT_EQ(U32(reply, 22), static_cast<std::uint32_t>(kNow - 3600));
    EXPECT_EQ(reply.mid(26, 4).toHex(), "ffff0000");
    EXPECT_EQ(reply.mid(158, 9), QByteArray("ORB-780Z\0", 9));
    EXPECT_EQ(reply.mid(228, 6).toHex(), "001c2a780e01");
    EXPECT_EQ(reply.mid(234, 9), QByteArray("ORB-780Z\0", 9));
    EXPECT_EQ(reply.mid(298, 4).toHex(), "0a4d000a");
    EXPECT_EQ(reply.mid(302, 2).toHex(), "901f");
}

TEST(UdpSearchReply, ShortLayoutCarriesTheSamePayloadEightBytesEarlier) {
    sim::Recorder r = ShortRecorder();
    const QByteArray shortReply = sim::SearchReply(r, 9, kNow);
    r.replyLength = 342;
    const QByteArray longReply = sim::SearchReply(r, 9, kNow);
    ASSERT_EQ(shortReply.size(), 334);
    EXPECT_EQ(U16(shortReply, 18), 1);
    EXPECT_EQ(shortReply.mid(22), longReply.mid(30));
    EXPECT_EQ(shortReply.mid(220, 6).toHex(), "001c2a780e02");
    EXPECT_EQ(shortReply.mid(290, 4).toHex(), "0a4d000b");
    EXPECT_EQ(U16(shortReply, 294), 8080);
    EXPECT_EQ(shortReply.mid(226, 5), QByteArray("Shop\0", 5));
}

TEST(UdpSearchReply, OverlongNamesStayTerminatedBeforeTheNextField) {
    sim::Recorder r;
    r.model = QString(100, QLatin1Char('M'));
    r.deviceName = QString(100, QLatin1Char('D'));
    const QByteArray reply = sim::SearchReply(r, 0, kNow);
    ASSERT_EQ(reply.size(), 342);
    EXPECT_EQ(reply.at(227), '\0');
    EXPECT_EQ(reply.mid(228, 6).toHex(), "001c2a780e01");
    EXPECT_EQ(reply.at(297), '\0');
    EXPECT_EQ(reply.mid(298, 4).toHex(), "0a4d000a");
}

TEST(UdpSearchReply, WrongLengthFaultTruncatesOrPads) {
    sim::Recorder r;
    r.faults.wrongReplyLength = 333;
    EXPECT_EQ(sim::SearchReply(r, 0, kNow).size(), 333);
    r.faults.wrongReplyLength = 400;
    const QByteArray padded = sim::SearchReply(r, 0, kNow);
    EXPECT_EQ(padded.size(), 400);
    EXPECT_EQ(padded.mid(228, 6).toHex(), "001c2a780e01");
}

// ---- Search handling ---------------------------------------------------------------------

TEST(UdpSearch, EveryRecorderAnswersInItsLayoutFromItsAddress) {
    sim::Scenario s = Factory();
    s.recorders.append(ShortRecorder());
    sim::SimState state(s);
    const auto out = sim::HandleDatagram(state, kSearch, {}, kNow);
    ASSERT_EQ(out.replies.size(), 2);
    EXPECT_EQ(out.replies[0].fromIp, "10.77.0.10");
    EXPECT_EQ(out.replies[0].bytes.size(), 342);
    EXPECT_EQ(out.replies[1].fromIp, "10.77.0.11");
    EXPECT_EQ(out.replies[1].bytes.size(), 334);
    // Legacy cameras are not recorders: they stay quiet on a search.
}

TEST(UdpSearch, OnlyRecordersOnTheArrivalInterfaceAnswer) {
    sim::Scenario s = Factory();
    s.recorders.append(ShortRecorder());
    sim::SimState state(s);
    auto out = sim::HandleDatagram(state, kSearch, {"10.77.0.5", "10.77.0.11"}, kNow);
    ASSERT_EQ(out.replies.size(), 1);
    EXPECT_EQ(out.replies[0].fromIp, "10.77.0.11");
    // An interface holding no recorder address (the scenario's addresses live elsewhere).
    out = sim::HandleDatagram(state, kSearch, {"192.168.1.2"}, kNow);
    EXPECT_EQ(out.replies.size(), 2);
}

TEST(UdpSearch, TargetMacOtherThanBroadcastSelectsOneRecorder) {
    sim::Scenario s = Factory();
    s.recorders.append(ShortRecorder());
    sim::SimState state(s);
    QByteArray request = kSearch;
    request.replace(6, 6, QByteArray::fromHex("001c2a780e02"));
    const auto out = sim::HandleDatagram(state, request, {}, kNow);
    ASSERT_EQ(out.replies.size(), 1);
    EXPECT_EQ(out.replies[0].fromIp, "10.77.0.11");
}

TEST(UdpSearch, FaultsSilenceDelayAndDuplicate) {
    sim::Scenario s = Factory();
    s.recorders.append(ShortRecorder());
    s.recorders[0].faults.silentUdp = true;
    s.recorders[1].faults.duplicateReplies = 2;
    s.recorders[1].faults.delayMs = 750;
    sim::SimState state(s);
    const auto out = sim::HandleDatagram(state, kSearch, {}, kNow);
    ASSERT_EQ(out.replies.size(), 3);
    for (const auto& reply : out.replies) {
        EXPECT_EQ(reply.fromIp, "10.77.0.11");
        EXPECT_EQ(reply.delayMs, 750);
        EXPECT_EQ(reply.bytes, out.replies[0].bytes);
    }
}

// ---- Account requests --------------------------------------------------------------------

struct AccountReply {
    std::uint16_t opcode = 0;
    std::uint16_t status = 0;
    int size = 0;
};

AccountReply Only(const sim::DatagramOutcome& out) {
    EXPECT_EQ(out.replies.size(), 1);
    if (out.replies.isEmpty()) {
        return {};
    }
    const QByteArray& d = out.replies[0].bytes;
    EXPECT_EQ(d.left(2).toHex(), "fdfd");
    return {U16(d, 4), U16(d, 16), static_cast<int>(d.size())};
}

TEST(UdpAccountLong, FactoryPasswordChangeThenLoginWithTheNewPassword) {
    sim::SimState state(Factory());
    auto out = sim::HandleDatagram(state, kChangeLongFactory, {}, kNow);
    auto reply = Only(out);
    EXPECT_EQ(reply.opcode, 0xA4);
    EXPECT_EQ(reply.status, 0);
    EXPECT_EQ(reply.size, 30);
    EXPECT_EQ(U16(out.replies[0].bytes, 2), 8);  // sequence echoed
    EXPECT_EQ(RecorderPassword(state), "Secret#1");

    reply = Only(sim::HandleDatagram(state, kLoginLongSecret, {}, kNow));
    EXPECT_EQ(reply.opcode, 0xA3);
    EXPECT_EQ(reply.status, 0);

    // The factory password no longer opens the recorder.
    reply = Only(sim::HandleDatagram(state, kChangeLongFactory, {}, kNow));
    EXPECT_NE(reply.status, 0);
    EXPECT_EQ(RecorderPassword(state), "Secret#1");
}

TEST(UdpAccountLong, WrongPasswordOrTamperedCipherIsRefused) {
    sim::SimState state(Factory());
    // Login with "Secret#1" while the recorder still has its empty password.
    EXPECT_NE(Only(sim::HandleDatagram(state, kLoginLongSecret, {}, kNow)).status, 0);

    QByteArray tampered = kChangeLongFactory;
    tampered[100] = static_cast<char>(tampered.at(100) ^ 0x01);  // inside the proof
    EXPECT_NE(Only(sim::HandleDatagram(state, tampered, {}, kNow)).status, 0);
    EXPECT_EQ(RecorderPassword(state), "");

    // A proof over another time stamp than the header's.
    tampered = kChangeLongFactory;
    tampered[22] = static_cast<char>(0xAC);
    EXPECT_NE(Only(sim::HandleDatagram(state, tampered, {}, kNow)).status, 0);

    // The right password sent in clear Base64 with the long header is not a proof.
    const QByteArray clear = AccountRequest(false, 0xA3, kRecorderMac, "admin", "");
    QByteArray mislabelled = clear.left(18) + QByteArray::fromHex("0300") + clear.mid(20);
    mislabelled.insert(22, QByteArray::fromHex("abff186bffff0000"));
    EXPECT_NE(Only(sim::HandleDatagram(state, mislabelled, {}, kNow)).status, 0);
    EXPECT_EQ(RecorderPassword(state), "");
}

TEST(UdpAccountShort, Base64SlotsAreChecked) {
    sim::SimState state(Factory());
    EXPECT_NE(Only(sim::HandleDatagram(state, kLoginShortSecret, {}, kNow)).status, 0);
    EXPECT_EQ(Only(sim::HandleDatagram(state, kChangeShortFactory, {}, kNow)).status, 0);
    EXPECT_EQ(RecorderPassword(state), "Secret#1");
    const auto out = sim::HandleDatagram(state, kLoginShortSecret, {}, kNow);
    EXPECT_EQ(Only(out).status, 0);
    EXPECT_EQ(Only(out).size, 22);

    const QByteArray otherUser = AccountRequest(false, 0xA3, kRecorderMac, "root", "Secret#1");
    EXPECT_NE(Only(sim::HandleDatagram(state, otherUser, {}, kNow)).status, 0);
    const QByteArray wrong = AccountRequest(false, 0xA3, kRecorderMac, "admin", "Secret#2");
    EXPECT_NE(Only(sim::HandleDatagram(state, wrong, {}, kNow)).status, 0);
}

TEST(UdpAccount, LegacyCameraTakesPasswordChangeForItsOwnMacOnly) {
    sim::SimState state(Factory());
    // A login check to a camera is not something cameras answer.
    EXPECT_TRUE(sim::HandleDatagram(
                    state, AccountRequest(true, 0xA3, kLegacyCameraMac, "admin", ""), {}, kNow)
                    .replies.isEmpty());
    // A camera with a newer protocol type does not speak the datagram protocol at all.
    EXPECT_TRUE(sim::HandleDatagram(
                    state, AccountRequest(true, 0xA4, kPlainCameraMac, "admin", "garage22", "new"),
                    {}, kNow)
                    .replies.isEmpty());

    const auto out = sim::HandleDatagram(
        state, AccountRequest(true, 0xA4, kLegacyCameraMac, "admin", "", "Yard-2024"), {}, kNow);
    ASSERT_EQ(out.replies.size(), 1);
    EXPECT_EQ(out.replies[0].fromIp, "10.77.0.23");
    EXPECT_EQ(U16(out.replies[0].bytes, 16), 0);
    state.with([](sim::Scenario& s) {
        EXPECT_EQ(s.recorders[0].cameras[2].adminPassword, "Yard-2024");
        EXPECT_EQ(s.recorders[0].adminPassword, "");
    });
}

TEST(UdpAccount, UnknownMacSilenceAndTruncationChangeNothing) {
    sim::Scenario s = Factory();
    sim::SimState state(s);
    EXPECT_TRUE(sim::HandleDatagram(state,
                                    AccountRequest(true, 0xA4,
                                                   QByteArray::fromHex("0011223344"
                                                                       "55"),
                                                   "admin", "", "x"),
                                    {}, kNow)
                    .replies.isEmpty());

    // Every cut short version of a valid change is refused or ignored, never applied.
    for (int n = 0; n < kChangeLongFactory.size(); ++n) {
        const auto out = sim::HandleDatagram(state, kChangeLongFactory.left(n), {}, kNow);
        for (const auto& reply : out.replies) {
            EXPECT_NE(U16(reply.bytes, 16), 0) << n;
        }
    }
    EXPECT_EQ(RecorderPassword(state), "");

    state.with([](sim::Scenario& sc) { sc.recorders[0].faults.silentUdp = true; });
    EXPECT_TRUE(sim::HandleDatagram(state, kChangeLongFactory, {}, kNow).replies.isEmpty());
    EXPECT_EQ(RecorderPassword(state), "");
}

// ---- Hostile input -----------------------------------------------------------------------

TEST(UdpHostileInput, EveryLengthOfGarbageIsSafe) {
    sim::Scenario s = Factory();
    s.recorders.append(ShortRecorder());
    sim::SimState state(s);
    QRandomGenerator random(62976);
    const QByteArray headers[] = {QByteArray(), QByteArray::fromHex("fdfd0000a100"),
                                  QByteArray::fromHex("fdfd0000a300") + kRecorderMac,
                                  QByteArray::fromHex("fdfd0000a400") + kRecorderMac,
                                  QByteArray::fromHex("fdfd0000a400") + kLegacyCameraMac};
    for (int length = 0; length <= 1500; ++length) {
        for (const QByteArray& header : headers) {
            QByteArray d(length, '\0');
            for (auto& byte : d) {
                byte = static_cast<char>(random.bounded(256));
            }
            d.replace(0, std::min<qsizetype>(header.size(), length), header.left(length));
            if (length > 19) {
                d[18] = static_cast<char>(random.bounded(2) ? 3 : 1);
                d[19] = 0;
            }
            const auto out = sim::HandleDatagram(state, d, {}, kNow);
            for (const auto& reply : out.replies) {
                ASSERT_GE(reply.bytes.size(), 22);
                const std::uint16_t opcode = U16(reply.bytes, 4);
                ASSERT_TRUE(opcode == 0xA1 || opcode == 0xA3 || opcode == 0xA4);
                if (opcode != 0xA1) {
                    ASSERT_NE(U16(reply.bytes, 16), 0) << "garbage accepted at length " << length;
                }
            }
        }
    }
    state.with([](sim::Scenario& sc) {
        EXPECT_EQ(sc.recorders[0].adminPassword, "");
        EXPECT_EQ(sc.recorders[0].cameras[2].adminPassword, "");
    });
}

// ---- The socket ----------------------------------------------------------------------------

// Loopback only; skips where the namespace's loopback is down.
TEST(UdpServerSocket, AnswersFromTheRecorderAddressAndJournalsBothWays) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString journalPath = dir.filePath(QStringLiteral("journal.jsonl"));
    sim::Scenario s = Factory();
    s.recorders[0].ip = QStringLiteral("127.0.0.1");
    sim::SimState state(s);
    sim::Journal journal(journalPath);
    sim::UdpServer server(state, journal, QStringLiteral("127.0.0.1"), 0);
    QString error;
    if (!server.start(&error)) {
        GTEST_SKIP() << "no loopback in this namespace: " << error.toStdString();
    }

    const int client = ::socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(client, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(server.port());
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const auto sent = ::sendto(client, kSearch.constData(), kSearch.size(), 0,
                               reinterpret_cast<const sockaddr*>(&to), sizeof to);
    if (sent < 0) {
        ::close(client);
        GTEST_SKIP() << "loopback is down in this namespace";
    }
    ASSERT_EQ(sent, kSearch.size());
    pollfd fd{client, POLLIN, 0};
    ASSERT_EQ(::poll(&fd, 1, 10000), 1);
    char buffer[2048];
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    const auto n = ::recvfrom(client, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from),
                              &fromLength);
    ::close(client);
    server.stop();  // the journal is complete once the server's thread has ended

    ASSERT_EQ(n, 342);
    EXPECT_EQ(ntohs(from.sin_port), server.port());
    EXPECT_EQ(from.sin_addr.s_addr, htonl(INADDR_LOOPBACK));
    const QByteArray reply(buffer, static_cast<qsizetype>(n));
    EXPECT_EQ(reply.mid(298, 4).toHex(), "7f000001");

    QFile file(journalPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("\"direction\":\"in\""));
    EXPECT_TRUE(text.contains("\"bytes\":\"" + kSearch.toHex() + "\""));
    EXPECT_TRUE(text.contains("\"bytes\":\"" + reply.toHex() + "\""));
}

}  // namespace
