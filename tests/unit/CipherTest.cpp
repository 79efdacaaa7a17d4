// Golden values here were computed outside this code base: the NvrAes vector by a short
// Python script (S-box derived from the GF(2^8) inverse and affine map, checked against
// FIPS-197 Figure 7; ShiftRows done as row rotations of a 4x4 matrix), the CTR keystreams by
// `openssl enc -aes-256-ecb -nopad` on the explicit counter blocks, the proofs by hashlib.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "device/AesCtr.h"
#include "device/PasswordProof.h"
#include "util/Base64.h"
#include "util/NvrAes.h"

namespace {

std::vector<std::uint8_t> Hex(const char* text) {
    const QByteArray bytes = QByteArray::fromHex(text);
    return {bytes.begin(), bytes.end()};
}

std::vector<std::uint8_t> Bytes(const char* text) {
    return {text, text + std::char_traits<char>::length(text)};
}

const std::vector<std::uint8_t> kNistKey =
    Hex("603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4");

}  // namespace

TEST(CipherHexDecode, DecodesBothCases) {
    EXPECT_EQ(HexDecode("00aBFf7c"), (std::vector<std::uint8_t>{0x00, 0xAB, 0xFF, 0x7C}));
}

TEST(CipherHexDecode, EmptyTextGivesNothingSilently) {
    testing::internal::CaptureStderr();
    EXPECT_TRUE(HexDecode("").empty());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(CipherHexDecode, OddLengthReportsLengthEvenWithBadCharacters) {
    testing::internal::CaptureStderr();
    EXPECT_TRUE(HexDecode("GZz").empty());
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(message.rfind("[ERROR] ", 0), 0u) << message;
    EXPECT_NE(message.find("NvrAes.cpp:"), std::string::npos) << message;
    EXPECT_NE(message.find(": input length error:3\n"), std::string::npos) << message;
}

TEST(CipherHexDecode, LetterGReportsStringError) {
    testing::internal::CaptureStderr();
    EXPECT_TRUE(HexDecode("00G1").empty());
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(message.rfind("[ERROR] ", 0), 0u) << message;
    EXPECT_NE(message.find(": input string error: 00G1\n"), std::string::npos) << message;
}

TEST(CipherNvrAes, EmptyKeyAndPlaintextGiveSBoxOfZero) {
    const auto out = NvrAesEncrypt({}, {});
    for (std::uint8_t byte : out) {
        EXPECT_EQ(byte, 0x63);
    }
}

TEST(CipherNvrAes, IndependentVector) {
    std::vector<std::uint8_t> key(20);
    for (std::size_t i = 0; i < key.size(); ++i) {
        key[i] = static_cast<std::uint8_t>(i);
    }
    const auto out = NvrAesEncrypt(key, Bytes("Secret-Pass#42"));
    const auto expected =
        Hex("FDB2A465EFDAABA3F975EF5B0743F134737A7565F201AB7B30D777C5FE7C6F2B"
            "737A7565F201AB7B30D777C5FE7C6F2B737A7565F201AB7B30D777C5FE7C6F2B");
    EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.end()), expected);
}

TEST(CipherAesCtr, NistSp80038aF55) {
    const auto iv = Hex("f0f1f2f3f4f5f6f7f8f9fafbfcfdfeff");
    const auto plain =
        Hex("6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
            "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710");
    std::vector<std::uint8_t> out(64);
    EXPECT_EQ(AesCtrEncrypt(kNistKey.data(), plain.data(), 64, out.data(), 64, iv.data()), 64);
    EXPECT_EQ(out, Hex("601ec313775789a5b7a7f504bbf3d228f443e3ca4d62b59aca84e990cacaf5c5"
                       "2b0930daa23de94ce87017ba2d84988ddfc9c58db67aada613c2dd08457941a6"));
}

TEST(CipherAesCtr, InPlaceWithShortLastPiece) {
    const auto iv = Hex("f0f1f2f3f4f5f6f7f8f9fafbfcfdfeff");
    auto data = Hex("6bc1bee22e409f96e93d7e117393172aae2d8a");
    EXPECT_EQ(AesCtrEncrypt(kNistKey.data(), data.data(), 19, data.data(), 19, iv.data()), 19);
    EXPECT_EQ(data, Hex("601ec313775789a5b7a7f504bbf3d228f443e3"));
}

TEST(CipherAesCtr, CounterCarriesAcrossAllOnes) {
    const std::vector<std::uint8_t> iv(16, 0xFF);
    const std::vector<std::uint8_t> zeros(32, 0);
    std::vector<std::uint8_t> out(32);
    ASSERT_EQ(AesCtrEncrypt(kNistKey.data(), zeros.data(), 32, out.data(), 32, iv.data()), 32);
    // AES(FF..FF) then AES(00..00).
    EXPECT_EQ(out, Hex("3b3c2921c85a24de9ac606ce6d1d60cce568f68194cf76d6174d4cc04310a854"));
}

TEST(CipherAesCtr, CounterCarriesIntoUpperHalf) {
    const auto iv = Hex("0000000000000000ffffffffffffffff");
    const std::vector<std::uint8_t> zeros(32, 0);
    std::vector<std::uint8_t> out(32);
    ASSERT_EQ(AesCtrEncrypt(kNistKey.data(), zeros.data(), 32, out.data(), 32, iv.data()), 32);
    // AES(00..00 FF..FF) then AES(00..01 00..00).
    EXPECT_EQ(out, Hex("289e23e13ec8c34291f27c4ccf3eaa29579be1a0d892238805feb810a4a10aaa"));
}

TEST(CipherAesCtr, ShortDestinationReportsCapacity) {
    const std::vector<std::uint8_t> data(128, 0x11);
    std::vector<std::uint8_t> out(128, 0xEE);
    const std::vector<std::uint8_t> iv(16, 0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(AesCtrEncrypt(kNistKey.data(), data.data(), 128, out.data(), 100, iv.data()), -1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Decrypt buffer is not enough. [100]\n");
    // Nothing beyond the capacity was touched.
    for (std::size_t i = 100; i < out.size(); ++i) {
        EXPECT_EQ(out[i], 0xEE) << i;
    }
}

TEST(CipherAesCtr, MissingBuffers) {
    const std::vector<std::uint8_t> iv(16, 0);
    std::vector<std::uint8_t> buffer(16);
    testing::internal::CaptureStderr();
    EXPECT_EQ(AesCtrEncrypt(kNistKey.data(), nullptr, 16, buffer.data(), 16, iv.data()), -1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Encrypt source is null.\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(AesCtrEncrypt(kNistKey.data(), buffer.data(), 16, nullptr, 16, iv.data()), -1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Decrypt buffer is null.\n");
}

TEST(CipherProof, WritesBothValuesInUpperCaseHex) {
    // sha256("secret:5A000000FFFF")
    EXPECT_EQ(PasswordProof(Bytes("secret"), 0x5A000000, 0xFFFF),
              "39864F0D3F435775B1B07B44B2F20FAF1486FFEC143C9D2FDE1C7936C4107BA7");
}

TEST(CipherProof, DropsLeadingZeros) {
    // sha256("secret:ABCFFFF")
    EXPECT_EQ(PasswordProof(Bytes("secret"), 0x00000ABC, 0xFFFF),
              "FD31520FA3D29C0BCA1A8C8AA1B3BA7BAF9B86BDBDCF547D64B359D2CD237CA9");
}

TEST(CipherBase64, Rfc4648Vectors) {
    EXPECT_EQ(Base64Encode(""), "");
    EXPECT_EQ(Base64Encode("f"), "Zg==");
    EXPECT_EQ(Base64Encode("fo"), "Zm8=");
    EXPECT_EQ(Base64Encode("foo"), "Zm9v");
    EXPECT_EQ(Base64Encode("foobar"), "Zm9vYmFy");
    EXPECT_EQ(Base64Encode("admin"), "YWRtaW4=");
    // The alphabet's last two characters.
    EXPECT_EQ(Base64EncodeBytes(QByteArray("\xfb\xff", 2)), "+/8=");
}
