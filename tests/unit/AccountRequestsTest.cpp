// Golden datagrams computed outside this code base by a Python script: headers with
// struct.pack, Base64 with the base64 module, the proof with hashlib.sha256, and the
// long-header payloads enciphered by `openssl enc -aes-256-ctr -K <key> -iv <counter> -nopad`.
// Inputs: user "admin", password "Orb#2024", new password "N3w-Pass!", MAC 00:1b:2c:3d:4e:5f,
// IP 192.168.0.20, sequence 7, time stamp 0x65A1B2C3.
#include <gtest/gtest.h>

#include <QByteArray>

#include <cstdint>
#include <vector>

#include "device/AccountRequests.h"
#include "device/AesCtr.h"

namespace {

std::vector<std::uint8_t> Hex(const char* text) {
    const QByteArray bytes = QByteArray::fromHex(text);
    return {bytes.begin(), bytes.end()};
}

AccountRequestTarget Target(int replyType) {
    return {{192, 168, 0, 20}, {0x00, 0x1b, 0x2c, 0x3d, 0x4e, 0x5f}, replyType, 0x65A1B2C3};
}

// "Orb#2024:001B2C3D4E5F", zero-filled to 32 bytes.
const char* const kKey = "4f726223323032343a3030314232433344344535460000000000000000000000";
// 00 00, the MAC, the time stamp least significant first, FF FF 00 00.
const char* const kCounter = "0000001b2c3d4e5fc3b2a165ffff0000";

const char* const kLoginShort =
    "fdfd0700a300001b2c3d4e5fc0a80014777701008000595752746157343d0000"
    "0000000000000000000000000000000000000000000000000000000000000000"
    "0000000000000000000000000000000000000000000054334a69497a49774d6a"
    "513d000000000000000000000000000000000000000000000000000000000000"
    "00000000000000000000000000000000000000000000";
const char* const kLoginLong =
    "fdfd0700a300001b2c3d4e5fc0a80014777703008000c3b2a165ffff00003c95"
    "0198b313a438f1f5a5b8383e881b41ceceb8810478bf7367ef6f5b6038aa080c"
    "d8219232fd83627002ebfb66c71ceb4092041594fe9d25487c1c7b1811434a46"
    "57b3ead2ba61e95004da0b29edde914049a79c7818b56dc264bff9fcc057a9cf"
    "6307437b116460475b830d4385a27fcd5f1a21592608e627b0add93e7049";
// The long login check's payload before encipherment: Base64 of the user, then the proof.
const char* const kLoginLongSlots =
    "595752746157343d000000000000000000000000000000000000000000000000"
    "0000000000000000000000000000000000000000000000000000000000000000"
    "3339434334323036353538303046313732333831373145364546314234303645"
    "4542453834413537443542364341313542394441313834464141423036373942";
const char* const kChangeShort =
    "fdfd0700a400001b2c3d4e5fc0a80014777701000001595752746157343d0000"
    "0000000000000000000000000000000000000000000000000000000000000000"
    "0000000000000000000000000000000000000000000054334a69497a49774d6a"
    "513d000000000000000000000000000000000000000000000000000000000000"
    "00000000000000000000000000000000000000000000595752746157343d0000"
    "0000000000000000000000000000000000000000000000000000000000000000"
    "00000000000000000000000000000000000000000000546a4e334c5642686333"
    "4d68000000000000000000000000000000000000000000000000000000000000"
    "00000000000000000000000000000000000000000000";
const char* const kChangeLong =
    "fdfd0700a400001b2c3d4e5fc0a80014777703000001c3b2a165ffff00003c95"
    "0198b313a438f1f5a5b8383e881b41ceceb8810478bf7367ef6f5b6038aa080c"
    "d8219232fd83627002ebfb66c71ceb4092041594fe9d25487c1c7b1811434a46"
    "57b3ead2ba61e95004da0b29edde914049a79c7818b56dc264bff9fcc057a9cf"
    "6307437b116460475b830d4385a27fcd5f1a21592608e627b0add93e7049a75f"
    "5d820aba67ceee6b2e68871dd027741a9a80786f5c75d029156c5096b80a84e7"
    "8067e8578d1f5f4f007dcd73d2aced6bc106e44831d5acaea2708cbe015928c7"
    "9f9650c4f06a6d6af09130e3de97c2fea199786b302bbfc6051184fc9fd1c850"
    "446d5aacc5d175ef950f66d2ab6fe2ea269791a501a279d3573cc1c8f8ef";
const char* const kChangeLongSlots =
    "595752746157343d000000000000000000000000000000000000000000000000"
    "0000000000000000000000000000000000000000000000000000000000000000"
    "3339434334323036353538303046313732333831373145364546314234303645"
    "4542453834413537443542364341313542394441313834464141423036373942"
    "595752746157343d000000000000000000000000000000000000000000000000"
    "0000000000000000000000000000000000000000000000000000000000000000"
    "546a4e334c56426863334d680000000000000000000000000000000000000000"
    "0000000000000000000000000000000000000000000000000000000000000000";

std::vector<std::uint8_t> Decipher(const std::vector<std::uint8_t>& datagram) {
    const auto key = Hex(kKey);
    const auto counter = Hex(kCounter);
    std::vector<std::uint8_t> payload(datagram.begin() + 30, datagram.end());
    const int length = static_cast<int>(payload.size());
    EXPECT_EQ(
        AesCtrEncrypt(key.data(), payload.data(), length, payload.data(), length, counter.data()),
        length);
    return payload;
}

}  // namespace

TEST(AccountRequests, LoginCheckShortLayout) {
    const auto datagram = BuildLoginCheck(7, "admin", "Orb#2024", Target(1));
    EXPECT_EQ(datagram.size(), 150u);
    EXPECT_EQ(datagram, Hex(kLoginShort));
}

TEST(AccountRequests, LoginCheckLongLayout) {
    const auto datagram = BuildLoginCheck(7, "admin", "Orb#2024", Target(3));
    EXPECT_EQ(datagram.size(), 158u);
    EXPECT_EQ(datagram, Hex(kLoginLong));
    // Neither the user's Base64 nor the password is in clear.
    const QByteArray bytes(reinterpret_cast<const char*>(datagram.data()),
                           static_cast<qsizetype>(datagram.size()));
    EXPECT_FALSE(bytes.contains("YWRtaW4="));
    EXPECT_FALSE(bytes.contains("Orb#2024"));
}

TEST(AccountRequests, AnyOtherReplyTypeSelectsLongLayout) {
    EXPECT_EQ(BuildLoginCheck(7, "admin", "Orb#2024", Target(0)), Hex(kLoginLong));
}

TEST(AccountRequests, PasswordChangeShortLayout) {
    const auto datagram = BuildPasswordChange(7, "admin", "Orb#2024", "N3w-Pass!", Target(1));
    EXPECT_EQ(datagram.size(), 278u);
    EXPECT_EQ(datagram, Hex(kChangeShort));
}

TEST(AccountRequests, PasswordChangeLongLayout) {
    const auto datagram = BuildPasswordChange(7, "admin", "Orb#2024", "N3w-Pass!", Target(3));
    EXPECT_EQ(datagram.size(), 286u);
    EXPECT_EQ(datagram, Hex(kChangeLong));
}

TEST(AccountRequests, KeyAndCounterBlock) {
    const auto key = AccountRequestKey("Orb#2024", {0x00, 0x1b, 0x2c, 0x3d, 0x4e, 0x5f});
    EXPECT_EQ(std::vector<std::uint8_t>(key.begin(), key.end()), Hex(kKey));
    const auto counter = AccountRequestCounter({0x00, 0x1b, 0x2c, 0x3d, 0x4e, 0x5f}, 0x65A1B2C3);
    EXPECT_EQ(std::vector<std::uint8_t>(counter.begin(), counter.end()), Hex(kCounter));
}

TEST(AccountRequests, LongKeyKeepsFirst32Bytes) {
    const auto key = AccountRequestKey("0123456789abcdefghijklmnopqrstuvwxyz", {});
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(key.data()), 32),
              "0123456789abcdefghijklmnopqrstuv");
}

TEST(AccountRequests, DecipheredLoginPayloadGivesBackSlots) {
    EXPECT_EQ(Decipher(Hex(kLoginLong)), Hex(kLoginLongSlots));
}

TEST(AccountRequests, DecipheredChangePayloadGivesBackSlots) {
    const auto payload = Decipher(Hex(kChangeLong));
    EXPECT_EQ(payload, Hex(kChangeLongSlots));
    // The new password's slot lies inside the enciphered part.
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(payload.data()) + 192, 12), "TjN3LVBhc3Mh");
}

namespace {

// A reply as a recorder sends it: the long header with the request's opcode and a statusWord.
std::vector<std::uint8_t> Answer(std::uint16_t opcode, std::uint16_t statusWord) {
    auto datagram = Hex("fdfd0700a300001b2c3d4e5fc0a80014777703000000c3b2a165ffff0000");
    datagram[4] = static_cast<std::uint8_t>(opcode);
    datagram[5] = static_cast<std::uint8_t>(opcode >> 8);
    datagram[16] = static_cast<std::uint8_t>(statusWord);
    datagram[17] = static_cast<std::uint8_t>(statusWord >> 8);
    return datagram;
}

bool Reads(const std::vector<std::uint8_t>& datagram, AccountVerdict verdict, int loginAccepted) {
    const AccountReply reply = ReadAccountReply(datagram);
    return reply.verdict == verdict && reply.loginAccepted == loginAccepted;
}

}  // namespace

TEST(AccountReply, LoginCheckAnswerCarriesTheVerdict) {
    EXPECT_TRUE(Reads(Answer(0xA3, 0), AccountVerdict::Done, 1));
    EXPECT_TRUE(Reads(Answer(0xA3, 0x0101), AccountVerdict::Refused, 0));
    // The statusWord is little-endian: 00 01 is not zero.
    EXPECT_TRUE(Reads(Answer(0xA3, 0x0100), AccountVerdict::Refused, 0));
}

TEST(AccountReply, OtherAnswersSettleByTheirStatusWord) {
    for (std::uint16_t opcode : {0xA2, 0xA4, 0xA6, 0xA7, 0xAA, 0xC0}) {
        EXPECT_TRUE(Reads(Answer(opcode, 0), AccountVerdict::Done, -1)) << opcode;
        EXPECT_TRUE(Reads(Answer(opcode, 7), AccountVerdict::Refused, -1)) << opcode;
    }
    // The opcode's high byte counts: 0x01A3 is not a login-check answer.
    EXPECT_TRUE(Reads(Answer(0x01A3, 0), AccountVerdict::None, -1));
}

TEST(AccountReply, SearchEchoAndStrangersOnlyRefuse) {
    EXPECT_TRUE(Reads(Answer(0xA1, 0), AccountVerdict::None, -1));
    EXPECT_TRUE(Reads(Answer(0xA1, 2), AccountVerdict::Refused, -1));
    EXPECT_TRUE(Reads(Answer(0xB5, 0), AccountVerdict::None, -1));
    EXPECT_TRUE(Reads({'y', 'e', 's', 'n', 'o'}, AccountVerdict::Refused, -1));
    EXPECT_TRUE(Reads({'y', 'e', 's', 'n'}, AccountVerdict::None, -1));
    EXPECT_TRUE(Reads({}, AccountVerdict::None, -1));
}

TEST(AccountReply, TooShortForItsStatusWordIsNoAnswer) {
    auto cut = Answer(0xA3, 0);
    cut.resize(17);
    EXPECT_TRUE(Reads(cut, AccountVerdict::None, -1));
    cut.resize(18);
    EXPECT_TRUE(Reads(cut, AccountVerdict::Done, 1));
}

TEST(AccountReply, ARequestEchoedBackIsARefusal) {
    // Requests carry statusWord 0x7777.
    EXPECT_TRUE(Reads(Hex(kLoginShort), AccountVerdict::Refused, 0));
    EXPECT_TRUE(Reads(Hex(kChangeLong), AccountVerdict::Refused, -1));
}
