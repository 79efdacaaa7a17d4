#include "HttpCredentialCipher.h"

#include <array>

namespace sim {

namespace {

constexpr int kBlocks = 4;
constexpr int kBlock = 16;
constexpr std::array<int, kBlock> kShiftRows = {0, 5,  10, 15, 4,  9, 14, 3,
                                                8, 13, 2,  7,  12, 1, 6,  11};

unsigned char GfMultiply(unsigned char a, unsigned char b) {
    unsigned char product = 0;
    for (int bit = 0; bit < 8; ++bit) {
        if (b & 1) {
            product ^= a;
        }
        const bool carry = a & 0x80;
        a = static_cast<unsigned char>(a << 1);
        if (carry) {
            a ^= 0x1B;
        }
        b >>= 1;
    }
    return product;
}

unsigned char GfInverse(unsigned char a) {
    if (a == 0) {
        return 0;
    }
    // a^254 = a^-1 in GF(2^8).
    unsigned char result = 1;
    unsigned char power = a;
    for (int exponent = 254; exponent > 0; exponent >>= 1) {
        if (exponent & 1) {
            result = GfMultiply(result, power);
        }
        power = GfMultiply(power, power);
    }
    return result;
}

struct Tables {
    std::array<unsigned char, 256> forward{};
    std::array<unsigned char, 256> inverse{};
};

const Tables& SBoxes() {
    static const Tables tables = [] {
        Tables t;
        for (int i = 0; i < 256; ++i) {
            const auto value = AesSBox(static_cast<unsigned char>(i));
            t.forward[static_cast<size_t>(i)] = value;
            t.inverse[value] = static_cast<unsigned char>(i);
        }
        return t;
    }();
    return tables;
}

QByteArray Padded(const QByteArray& bytes, int size) {
    QByteArray padded = bytes.left(size);
    padded.append(QByteArray(size - padded.size(), '\0'));
    return padded;
}

}  // namespace

unsigned char AesSBox(unsigned char value) {
    const unsigned b = GfInverse(value);
    unsigned s = 0x63;
    for (int i = 0; i < 8; ++i) {
        const unsigned bit = ((b >> i) ^ (b >> ((i + 4) % 8)) ^ (b >> ((i + 5) % 8)) ^
                              (b >> ((i + 6) % 8)) ^ (b >> ((i + 7) % 8))) &
                             1U;
        s ^= bit << i;
    }
    return static_cast<unsigned char>(s);
}

QByteArray NvrEncipher(const QByteArray& key, const QByteArray& plain) {
    const QByteArray k = Padded(key, 2 * kBlock);
    const QByteArray p = Padded(plain, kBlocks * kBlock);
    const auto& sbox = SBoxes().forward;
    QByteArray out(kBlocks * kBlock, '\0');
    for (int block = 0; block < kBlocks; ++block) {
        std::array<unsigned char, kBlock> state{};
        for (int i = 0; i < kBlock; ++i) {
            state[static_cast<size_t>(i)] =
                sbox[static_cast<unsigned char>(p[block * kBlock + i] ^ k[i])];
        }
        for (int i = 0; i < kBlock; ++i) {
            out[block * kBlock + i] =
                static_cast<char>(state[static_cast<size_t>(kShiftRows[static_cast<size_t>(i)])] ^
                                  static_cast<unsigned char>(k[kBlock + i]));
        }
    }
    return out;
}

QByteArray NvrDecipher(const QByteArray& key, const QByteArray& cipher) {
    const QByteArray k = Padded(key, 2 * kBlock);
    const QByteArray c = Padded(cipher, kBlocks * kBlock);
    const auto& inverse = SBoxes().inverse;
    QByteArray out(kBlocks * kBlock, '\0');
    for (int block = 0; block < kBlocks; ++block) {
        std::array<unsigned char, kBlock> state{};
        for (int i = 0; i < kBlock; ++i) {
            state[static_cast<size_t>(kShiftRows[static_cast<size_t>(i)])] =
                static_cast<unsigned char>(c[block * kBlock + i] ^ k[kBlock + i]);
        }
        for (int i = 0; i < kBlock; ++i) {
            out[block * kBlock + i] = static_cast<char>(inverse[state[static_cast<size_t>(i)]] ^
                                                        static_cast<unsigned char>(k[i]));
        }
    }
    return out;
}

std::optional<QString> DecipherPasswordHex(const QByteArray& key, const QByteArray& hex) {
    if (hex.size() != 2 * kBlocks * kBlock) {
        return std::nullopt;
    }
    for (const char c : hex) {
        const bool digit =
            (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!digit) {
            return std::nullopt;
        }
    }
    QByteArray plain = NvrDecipher(key, QByteArray::fromHex(hex));
    const qsizetype end = plain.indexOf('\0');
    if (end >= 0) {
        plain.truncate(end);
    }
    return QString::fromUtf8(plain);
}

}  // namespace sim
