#include <gtest/gtest.h>

#include <QString>

#include <array>
#include <cstdint>

#include "discovery/AddressText.h"

TEST(AddressText, Ipv4TakesOnlyFourPlainDecimalParts) {
    for (int value = 0; value <= 255; ++value) {
        for (std::size_t at = 0; at < 4; ++at) {
            std::array<std::uint8_t, 4> ip{10, 77, 0, 20};
            ip[at] = static_cast<std::uint8_t>(value);
            const QString text = QString::asprintf("%d.%d.%d.%d", ip[0], ip[1], ip[2], ip[3]);
            ASSERT_EQ(ParseIpv4Text(text), ip) << text.toStdString();
        }
    }
    EXPECT_EQ(ParseIpv4Text(QStringLiteral("010.000.001.255")),
              (std::array<std::uint8_t, 4>{10, 0, 1, 255}));
    for (const char* text :
         {"", "...", "1.2.3", "1.2.3.4.5", "1..3.4", ".2.3.4", "1.2.3.", "256.1.1.1", "0001.2.3.4",
          " 1.2.3.4", "1.2.3.4 ", "1. 2.3.4", "+1.2.3.4", "1.-2.3.4", "0x1.2.3.4", "1.2.3.a",
          "1.2.3.4\n", "1.2.3.4/24"}) {
        EXPECT_FALSE(ParseIpv4Text(QString::fromLatin1(text))) << '"' << text << '"';
    }
    EXPECT_FALSE(ParseIpv4Text(QStringLiteral("\uFF11.2.3.4")));  // a full-width digit
}

TEST(AddressText, MacTakesOnlySixTwoDigitHexGroupsInEitherCase) {
    for (int value = 0; value <= 255; ++value) {
        for (std::size_t at = 0; at < 6; ++at) {
            std::array<std::uint8_t, 6> mac{0x00, 0x1b, 0x2c, 0x3d, 0x4e, 0x5f};
            mac[at] = static_cast<std::uint8_t>(value);
            // As the search's records print it.
            const QString text = QString::asprintf("%.2x:%.2x:%.2x:%.2x:%.2x:%.2x", mac[0], mac[1],
                                                   mac[2], mac[3], mac[4], mac[5]);
            ASSERT_EQ(ParseMacText(text), mac) << text.toStdString();
            ASSERT_EQ(ParseMacText(text.toUpper()), mac) << text.toStdString();
        }
    }
    for (const char* text :
         {"", "00:1b:2c:3d:4e", "00:1b:2c:3d:4e:5f:", ":00:1b:2c:3d:4e:5f", "0:1b:2c:3d:4e:5f",
          "00-1b-2c-3d-4e-5f", "001b2c3d4e5f", "00:1b:2c:3d:4e:5g", " 00:1b:2c:3d:4e:5",
          "00:1b:2c:3d:4e:5 ", "+0:1b:2c:3d:4e:5f", "0x:1b:2c:3d:4e:5f", "00:1b:2c:3d:4e::5"}) {
        EXPECT_FALSE(ParseMacText(QString::fromLatin1(text))) << '"' << text << '"';
    }
}
