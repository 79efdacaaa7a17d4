#include "device/AccountRequests.h"

#include <QByteArray>

#include <algorithm>
#include <string_view>

#include "device/AesCtr.h"
#include "device/PasswordProof.h"
#include "discovery/DatagramHeader.h"
#include "util/Base64.h"
#include "util/ByteReader.h"

namespace {

// The trailer FF FF 00 00 read as a little-endian word.
constexpr std::uint32_t kTrailerValue = 0x0000FFFF;

bool IsShort(const AccountRequestTarget& target) {
    return target.replyType == 1;
}

// Slot contents longer than 64 bytes are outside the design; they are cut, never overflow.
void WriteSlot(std::vector<std::uint8_t>& datagram, std::size_t offset, const QByteArray& text) {
    const auto count =
        std::min<std::size_t>(static_cast<std::size_t>(text.size()), account_request::kSlot);
    std::copy_n(text.constData(), count, datagram.begin() + static_cast<std::ptrdiff_t>(offset));
}

QByteArray Base64Of(const QString& text) {
    return Base64Encode(text).toLatin1();
}

QByteArray ProofOf(const QString& password, std::uint32_t timeStamp) {
    const QByteArray secret = password.toLocal8Bit();
    return PasswordProof({reinterpret_cast<const std::uint8_t*>(secret.constData()),
                          static_cast<std::size_t>(secret.size())},
                         timeStamp, kTrailerValue)
        .toLatin1();
}

// Header plus a zeroed payload of `slotCount` 64-byte slotCount.
std::vector<std::uint8_t> Start(std::uint16_t sequence, std::uint16_t opcode, std::size_t slotCount,
                                const AccountRequestTarget& target) {
    const DatagramLayout layout = IsShort(target) ? DatagramLayout::Short : DatagramLayout::Long;
    DatagramHeader header;
    header.sequence = sequence;
    header.opcode = opcode;
    header.targetMac = target.mac;
    header.targetIp = target.ip;
    header.statusWord = 0x7777;
    header.version = IsShort(target) ? 1 : 3;
    header.payloadLength = static_cast<std::uint16_t>(slotCount * account_request::kSlot);
    header.timeStamp = target.timeStamp;
    std::vector<std::uint8_t> datagram = header.Write(layout);
    datagram.resize(datagram.size() + slotCount * account_request::kSlot, 0);
    return datagram;
}

void Encipher(std::vector<std::uint8_t>& datagram, const QString& password,
              const AccountRequestTarget& target) {
    const auto key = AccountRequestKey(password, target.mac);
    const auto counter = AccountRequestCounter(target.mac, target.timeStamp);
    std::uint8_t* payload = datagram.data() + DatagramHeader::kLongSize;
    const int length = static_cast<int>(datagram.size() - DatagramHeader::kLongSize);
    AesCtrEncrypt(key.data(), payload, length, payload, length, counter.data());
}

// The password slot: plain Base64 in the short layout; in the long layout a proof, and then
// the whole payload is enciphered with a key made from the password.
void WritePassword(std::vector<std::uint8_t>& datagram, std::size_t slot, const QString& password,
                   const AccountRequestTarget& target) {
    if (IsShort(target)) {
        WriteSlot(datagram, slot, Base64Of(password));
        return;
    }
    WriteSlot(datagram, slot, ProofOf(password, target.timeStamp));
    Encipher(datagram, password, target);
}

}  // namespace

std::array<std::uint8_t, 32> AccountRequestKey(const QString& password,
                                               const std::array<std::uint8_t, 6>& mac) {
    QByteArray text = password.toLocal8Bit();
    text += ':';
    text += QByteArray(reinterpret_cast<const char*>(mac.data()), 6).toHex().toUpper();
    std::array<std::uint8_t, 32> key{};
    std::copy_n(text.constData(), std::min<std::size_t>(static_cast<std::size_t>(text.size()), 32),
                key.begin());
    return key;
}

std::array<std::uint8_t, 16> AccountRequestCounter(const std::array<std::uint8_t, 6>& mac,
                                                   std::uint32_t timeStamp) {
    std::array<std::uint8_t, 16> counter{};
    std::copy(mac.begin(), mac.end(), counter.begin() + 2);
    for (int i = 0; i < 4; ++i) {
        counter[8 + i] = static_cast<std::uint8_t>(timeStamp >> (8 * i));
    }
    counter[12] = 0xFF;
    counter[13] = 0xFF;
    return counter;
}

std::vector<std::uint8_t> BuildLoginCheck(std::uint16_t sequence, const QString& user,
                                          const QString& password,
                                          const AccountRequestTarget& target) {
    std::vector<std::uint8_t> datagram = Start(sequence, account_request::kLoginCheck, 2, target);
    const std::size_t base = datagram.size() - 2 * account_request::kSlot;
    WriteSlot(datagram, base, Base64Of(user));
    WritePassword(datagram, base + 64, password, target);
    return datagram;
}

std::vector<std::uint8_t> BuildPasswordChange(std::uint16_t sequence, const QString& user,
                                              const QString& password, const QString& newPassword,
                                              const AccountRequestTarget& target) {
    std::vector<std::uint8_t> datagram =
        Start(sequence, account_request::kPasswordChange, 4, target);
    const std::size_t base = datagram.size() - 4 * account_request::kSlot;
    WriteSlot(datagram, base, Base64Of(user));
    WriteSlot(datagram, base + 128, Base64Of(user));
    WriteSlot(datagram, base + 192, Base64Of(newPassword));
    WritePassword(datagram, base + 64, password, target);
    return datagram;
}

AccountReply ReadAccountReply(std::span<const std::uint8_t> datagram) {
    // The opcode (bytes 4..5) and statusWord (bytes 16..17) count only in a datagram long
    // enough to hold both.
    constexpr std::size_t kStatusEnd = 18;
    int opcode = -1;
    std::uint16_t statusWord = 0;
    if (datagram.size() >= kStatusEnd) {
        opcode = util::ByteReader(datagram.subspan(4, 2)).u16();
        statusWord = util::ByteReader(datagram.subspan(16, 2)).u16();
    }
    const AccountVerdict verdict = statusWord == 0 ? AccountVerdict::Done : AccountVerdict::Refused;
    switch (opcode) {
        case account_request::kLoginCheck:
            return {verdict, verdict == AccountVerdict::Done ? 1 : 0};
        case 0xA2:
        case account_request::kPasswordChange:
        case 0xA6:
        case 0xA7:
        case 0xAA:
        case 0xC0:
            return {verdict, -1};
        case DatagramHeader::kSearchOpcode:
            // A search answer says nothing about the request unless it reports a failure.
            return {verdict == AccountVerdict::Refused ? verdict : AccountVerdict::None, -1};
        default: {
            constexpr std::string_view kRefusal = "yesno";
            const bool refusal = datagram.size() >= kRefusal.size() &&
                                 std::equal(kRefusal.begin(), kRefusal.end(), datagram.begin());
            return {refusal ? AccountVerdict::Refused : AccountVerdict::None, -1};
        }
    }
}
