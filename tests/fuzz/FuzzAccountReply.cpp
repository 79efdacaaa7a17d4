// Arbitrary datagrams on the account channel through the reply reader and the worker's handler,
// and the login check and password change built from the same bytes, read back field by field
// and deciphered again.
#include <QByteArray>
#include <QString>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "FuzzInput.h"
#include "device/AccountRequests.h"
#include "device/AesCtr.h"
#include "device/DeviceCommandWorker.h"
#include "device/PasswordProof.h"
#include "discovery/DatagramHeader.h"
#include "util/Base64.h"

namespace {

std::uint16_t WordAt(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

// The table of answers, written out from the protocol rather than from the reader.
AccountReply Expected(std::span<const std::uint8_t> d) {
    const bool yesno =
        d.size() >= 5 && d[0] == 'y' && d[1] == 'e' && d[2] == 's' && d[3] == 'n' && d[4] == 'o';
    const AccountReply ignored{AccountVerdict::None, -1};
    const AccountReply other{yesno ? AccountVerdict::Refused : AccountVerdict::None, -1};
    if (d.size() < 18) {
        return other;
    }
    const bool zero = WordAt(d, 16) == 0;
    const AccountVerdict verdict = zero ? AccountVerdict::Done : AccountVerdict::Refused;
    switch (WordAt(d, 4)) {
        case 0xA3:
            return {verdict, zero ? 1 : 0};
        case 0xA2:
        case 0xA4:
        case 0xA6:
        case 0xA7:
        case 0xAA:
        case 0xC0:
            return {verdict, -1};
        case 0xA1:
            return zero ? ignored : AccountReply{AccountVerdict::Refused, -1};
        default:
            return other;
    }
}

void CheckReply(std::span<const std::uint8_t> datagram) {
    const AccountReply got = ReadAccountReply(datagram);
    const AccountReply want = Expected(datagram);
    FuzzCheck(got.verdict == want.verdict && got.loginAccepted == want.loginAccepted);
}

// One 64-byte slot as the request writes a text into it: cut at 64, zero-filled.
QByteArray Slot(const QByteArray& text) {
    QByteArray slot = text.left(64);
    slot.append(QByteArray(64 - slot.size(), '\0'));
    return slot;
}

QByteArray Base64Slot(const QString& text) {
    return Slot(Base64Encode(text).toLatin1());
}

void CheckRequest(const std::vector<std::uint8_t>& datagram, std::uint16_t sequence,
                  std::uint16_t opcode, const AccountRequestTarget& target, const QString& password,
                  const std::vector<QByteArray>& expectedSlots) {
    const bool isShort = target.replyType == 1;
    const DatagramLayout layout = isShort ? DatagramLayout::Short : DatagramLayout::Long;
    const std::size_t headerSize = DatagramHeader::SizeOf(layout);
    FuzzCheck(datagram.size() == headerSize + expectedSlots.size() * 64);

    const auto header = DatagramHeader::Read(datagram, layout);
    FuzzCheck(header.has_value());
    FuzzCheck(header->magic == DatagramHeader::kMagic && header->sequence == sequence &&
              header->opcode == opcode && header->targetMac == target.mac &&
              header->targetIp == target.ip && header->statusWord == 0x7777 &&
              header->version == (isShort ? 1 : 3) &&
              header->payloadLength == expectedSlots.size() * 64);
    if (!isShort) {
        FuzzCheck(header->timeStamp == target.timeStamp);
        FuzzCheck(header->trailer == (std::array<std::uint8_t, 4>{0xFF, 0xFF, 0, 0}));
    }

    std::vector<std::uint8_t> payload(datagram.begin() + static_cast<std::ptrdiff_t>(headerSize),
                                      datagram.end());
    if (!isShort) {
        // Key: password ":" MAC in upper-case hex, zero-filled to 32 bytes.
        QByteArray keyText =
            password.toLocal8Bit() + ':' +
            QByteArray(reinterpret_cast<const char*>(target.mac.data()), 6).toHex().toUpper();
        keyText = keyText.left(32);
        keyText.append(QByteArray(32 - keyText.size(), '\0'));
        const auto key = AccountRequestKey(password, target.mac);
        FuzzCheck(QByteArray(reinterpret_cast<const char*>(key.data()), 32) == keyText);
        // Counter: 00 00, MAC, time stamp least significant first, FF FF 00 00.
        std::array<std::uint8_t, 16> counter{};
        std::copy(target.mac.begin(), target.mac.end(), counter.begin() + 2);
        for (int i = 0; i < 4; ++i) {
            counter[8 + i] = static_cast<std::uint8_t>(target.timeStamp >> (8 * i));
        }
        counter[12] = counter[13] = 0xFF;
        FuzzCheck(AccountRequestCounter(target.mac, target.timeStamp) == counter);
        const int length = static_cast<int>(payload.size());
        FuzzCheck(AesCtrEncrypt(key.data(), payload.data(), length, payload.data(), length,
                                counter.data()) == length);
    }
    const QByteArray plain(reinterpret_cast<const char*>(payload.data()),
                           static_cast<qsizetype>(payload.size()));
    for (std::size_t i = 0; i < expectedSlots.size(); ++i) {
        FuzzCheck(plain.mid(static_cast<qsizetype>(64 * i), 64) == expectedSlots[i]);
    }

    // A request echoed back reads as a refusal (its statusWord is not 0).
    const AccountReply echo = ReadAccountReply(datagram);
    FuzzCheck(echo.verdict == AccountVerdict::Refused);
    FuzzCheck(echo.loginAccepted == (opcode == account_request::kLoginCheck ? 0 : -1));
}

void CheckRequests(FuzzInput& in) {
    AccountRequestTarget target;
    target.replyType = (in.Byte() & 1) != 0 ? 1 : 3;
    target.mac = in.Bytes<6>();
    target.ip = in.Bytes<4>();
    target.timeStamp = in.Word32();
    const auto sequence = static_cast<std::uint16_t>(in.Word32());
    const QString user = QString::fromUtf8(in.Piece());
    const QString password = QString::fromUtf8(in.Piece());
    const QString newPassword = QString::fromUtf8(in.Rest());
    const bool isShort = target.replyType == 1;

    const QByteArray secret = password.toLocal8Bit();
    const QByteArray passwordSlot =
        isShort ? Base64Slot(password)
                : Slot(PasswordProof({reinterpret_cast<const std::uint8_t*>(secret.constData()),
                                      static_cast<std::size_t>(secret.size())},
                                     target.timeStamp, 0x0000FFFF)
                           .toLatin1());

    CheckRequest(BuildLoginCheck(sequence, user, password, target), sequence,
                 account_request::kLoginCheck, target, password, {Base64Slot(user), passwordSlot});
    CheckRequest(BuildPasswordChange(sequence, user, password, newPassword, target), sequence,
                 account_request::kPasswordChange, target, password,
                 {Base64Slot(user), passwordSlot, Base64Slot(user), Base64Slot(newPassword)});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    CheckReply(bytes);

    // No request waits on this worker (it never opened a channel): whatever arrives leaves
    // its status and verdict alone.
    static DeviceCommandWorker* const worker = new DeviceCommandWorker;
    worker->HandleUdpReply(bytes);
    FuzzCheck(worker->status() == kCommandIdle && worker->loginAccepted() == 0);

    FuzzInput in(data, size);
    CheckRequests(in);
    return 0;
}
