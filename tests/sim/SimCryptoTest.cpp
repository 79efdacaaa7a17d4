// Expected values come from `openssl enc -aes-256-ctr -nopad` and Python's hashlib, never from
// the code under test.

#include <gtest/gtest.h>

#include "SimCrypto.h"

namespace {

QByteArray Hex(const char* hex) {
    return QByteArray::fromHex(hex);
}

QByteArray Iota(int n) {
    QByteArray out(n, '\0');
    for (int i = 0; i < n; ++i) {
        out[i] = static_cast<char>(i);
    }
    return out;
}

const QByteArray kMac = Hex("001c2a780e01");

TEST(SimCryptoAesCtr, MatchesOpensslCommandLine) {
    // Key of "Secret#1" for 00:1c:2a:78:0e:01, counter of time stamp 0x6B18FFAB.
    const QByteArray key = Hex("53656372657423313a3030314332413738304530310000000000000000000000");
    const QByteArray counter = Hex("0000001c2a780e01abff186bffff0000");
    EXPECT_EQ(sim::AesCtr(key, counter, Iota(128)).toHex(),
              "95d8bd670d93e508553cd25e7da20fdd551ddae0522a1011c669c3b0fbe26f26596a6a0d8de7e683"
              "9bc1c22aa912dac5da7cf185c90c5610953bfc820b092187ba84ef8d1337b8e881c765fceb5dbf27"
              "ec84b90b3ff75ab1ca6261971040c135ed56d21f524faec1e0e1b3d701c80c9cff5efb7ff1243d57"
              "62293908dfa27607");
    // A short last piece, and a counter that carries across all 128 bits.
    EXPECT_EQ(sim::AesCtr(Iota(32), QByteArray(16, '\0'), "abc").toHex(), "93f263");
    EXPECT_EQ(sim::AesCtr(Iota(32), QByteArray(16, '\xFF'), QByteArray(40, '\0')).toHex(),
              "e999e41d4ca770da5387117b5d8f57eef29000b62a499fd0a9f39a6add2e7780f05d76ae4ab99fe5");
}

TEST(SimCryptoAesCtr, RefusesWrongKeyOrCounterSize) {
    EXPECT_TRUE(sim::AesCtr(Iota(31), QByteArray(16, '\0'), "data").isEmpty());
    EXPECT_TRUE(sim::AesCtr(Iota(32), QByteArray(15, '\0'), "data").isEmpty());
    EXPECT_TRUE(sim::AesCtr(Iota(32), QByteArray(16, '\0'), QByteArray()).isEmpty());
}

TEST(SimCryptoProof, MatchesHashlib) {
    EXPECT_EQ(sim::PasswordProof("Secret#1", 0x6B18FFAB, 0xFFFF),
              "278C487EA09592A6BC230115CC07675571A7CE62F55FA09379FB9A64883C2C6B");
    // sha256("pw:5A000000FFFF"): trailing zeros kept.
    EXPECT_EQ(sim::PasswordProof("pw", 0x5A000000, 0xFFFF),
              "F75E86BA25A4869F7B301EE7CE667F11F1C1E1F0BA1163FD6B183C678980E45C");
    // sha256("pw:ABCFFFF"): no leading zeros.
    EXPECT_EQ(sim::PasswordProof("pw", 0xABC, 0xFFFF),
              "2FF8CDCC4C9BBEFA524D6CBE2D5906E7C4158C07D67992640806A3FD9A917C3B");
    // sha256(":00"): the factory's empty password with zero values.
    EXPECT_EQ(sim::PasswordProof("", 0, 0),
              "DB1196FB489CB4FB49508F4BBFD03DA709E0FACE4440D8834CFFC69116DE81FD");
}

TEST(SimCryptoAccount, KeyAndCounterLayout) {
    EXPECT_EQ(sim::AccountKey("Secret#1", kMac).toHex(),
              "53656372657423313a3030314332413738304530310000000000000000000000");
    EXPECT_EQ(sim::AccountKey(QByteArray(40, 'p'), kMac), QByteArray(32, 'p'));
    EXPECT_EQ(sim::AccountKey("", kMac), QByteArray(":001C2A780E01").leftJustified(32, '\0'));
    EXPECT_EQ(sim::AccountCounter(kMac, Hex("abff186b")).toHex(),
              "0000001c2a780e01abff186bffff0000");
}

}  // namespace
