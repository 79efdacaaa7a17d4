#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <span>
#include <vector>

// The two account requests of the recorder's datagram protocol, as pure functions of their
// inputs. replyType 1 selects the short header (credentials in Base64 only); any other value
// the long header, where the password travels as a proof and the payload is enciphered.
struct AccountRequestTarget {
    std::array<std::uint8_t, 4> ip{};
    std::array<std::uint8_t, 6> mac{};
    int replyType = 3;
    std::uint32_t timeStamp = 0;  // long header: the PC's time plus the recorder's clock delta
};

namespace account_request {
inline constexpr std::uint16_t kLoginCheck = 0x00A3;
inline constexpr std::uint16_t kPasswordChange = 0x00A4;
inline constexpr std::size_t kSlot = 64;
}  // namespace account_request

std::vector<std::uint8_t> BuildLoginCheck(std::uint16_t sequence, const QString& user,
                                          const QString& password,
                                          const AccountRequestTarget& target);

std::vector<std::uint8_t> BuildPasswordChange(std::uint16_t sequence, const QString& user,
                                              const QString& password, const QString& newPassword,
                                              const AccountRequestTarget& target);

// The AES-256 key and initial counter block that protect a long-header payload.
std::array<std::uint8_t, 32> AccountRequestKey(const QString& password,
                                               const std::array<std::uint8_t, 6>& mac);
std::array<std::uint8_t, 16> AccountRequestCounter(const std::array<std::uint8_t, 6>& mac,
                                                   std::uint32_t timeStamp);

// What a datagram on the account channel says about the request waiting for it. Any sender
// may answer: neither its MAC nor its sequence is compared.
enum class AccountVerdict {
    None,     // not an answer; the request goes on waiting
    Done,     // statusWord 0
    Refused,  // a non-zero statusWord, or a datagram starting with "yesno"
};
struct AccountReply {
    AccountVerdict verdict = AccountVerdict::None;
    int loginAccepted = -1;  // 1 or 0 for an answer to a login check, else -1
};
AccountReply ReadAccountReply(std::span<const std::uint8_t> datagram);
