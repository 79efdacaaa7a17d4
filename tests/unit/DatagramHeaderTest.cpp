#include <QByteArray>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "discovery/DatagramHeader.h"
#include "util/ByteReader.h"

namespace {

std::vector<std::uint8_t> FromHex(const char* hex) {
    const QByteArray bytes = QByteArray::fromHex(hex);
    return {bytes.begin(), bytes.end()};
}

// Golden bytes written out by hand from the field table and checked with Python's struct.
constexpr char kSearchAt5A0000AB[] = "fdfd0000a100ffffffffffff00000000000003001550ab00005affff0000";
constexpr char kShortLoginHeader[] = "fdfd3412a300001b2c3d4e5fc0a80014777701004001";

DatagramHeader SampleHeader() {
    DatagramHeader h;
    h.sequence = 0x1234;
    h.opcode = 0x00A3;
    h.targetMac = {0x00, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F};
    h.targetIp = {192, 168, 0, 20};
    h.statusWord = 0x7777;
    h.version = 1;
    h.payloadLength = 0x0140;
    h.timeStamp = 0x01020304;
    return h;
}

}  // namespace

TEST(DatagramHeader, SearchRequestGoldenBytes) {
    EXPECT_EQ(BuildSearchRequest(0x5A0000AB), FromHex(kSearchAt5A0000AB));
}

TEST(DatagramHeader, SearchRequestCarriesTheTimeLeastSignificantFirst) {
    const auto request = BuildSearchRequest(0xA1B2C3D4);
    ASSERT_EQ(request.size(), 30u);
    EXPECT_EQ(request[22], 0xD4);
    EXPECT_EQ(request[23], 0xC3);
    EXPECT_EQ(request[24], 0xB2);
    EXPECT_EQ(request[25], 0xA1);
}

TEST(DatagramHeader, ShortLayoutGoldenBytes) {
    EXPECT_EQ(SampleHeader().Write(DatagramLayout::Short), FromHex(kShortLoginHeader));
}

TEST(DatagramHeader, LongLayoutAppendsTimeAndTrailer) {
    const auto bytes = SampleHeader().Write(DatagramLayout::Long);
    auto expected = FromHex(kShortLoginHeader);
    for (std::uint8_t b : {0x04, 0x03, 0x02, 0x01, 0xFF, 0xFF, 0x00, 0x00}) {
        expected.push_back(b);
    }
    EXPECT_EQ(bytes, expected);
}

TEST(DatagramHeader, RoundTripsInBothLayouts) {
    for (auto layout : {DatagramLayout::Short, DatagramLayout::Long}) {
        const DatagramHeader written = SampleHeader();
        const auto bytes = written.Write(layout);
        ASSERT_EQ(bytes.size(), DatagramHeader::SizeOf(layout));
        const auto read = DatagramHeader::Read(bytes, layout);
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(read->magic, 0xFDFD);
        EXPECT_EQ(read->sequence, written.sequence);
        EXPECT_EQ(read->opcode, written.opcode);
        EXPECT_EQ(read->targetMac, written.targetMac);
        EXPECT_EQ(read->targetIp, written.targetIp);
        EXPECT_EQ(read->statusWord, written.statusWord);
        EXPECT_EQ(read->version, written.version);
        EXPECT_EQ(read->payloadLength, written.payloadLength);
        if (layout == DatagramLayout::Long) {
            EXPECT_EQ(read->timeStamp, written.timeStamp);
            EXPECT_EQ(read->trailer, written.trailer);
        }
        EXPECT_EQ(read->Write(layout), bytes);
    }
}

TEST(DatagramHeader, ReadsTheSearchRequestBack) {
    const auto read = DatagramHeader::Read(FromHex(kSearchAt5A0000AB), DatagramLayout::Long);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->opcode, DatagramHeader::kSearchOpcode);
    EXPECT_EQ(read->payloadLength, 0x5015);
    EXPECT_EQ(read->timeStamp, 0x5A0000ABu);
}

TEST(DatagramHeader, TruncatedInputIsRefused) {
    const auto bytes = SampleHeader().Write(DatagramLayout::Long);
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        const std::span<const std::uint8_t> cut(bytes.data(), length);
        EXPECT_EQ(DatagramHeader::Read(cut, DatagramLayout::Long).has_value(), false) << length;
        EXPECT_EQ(DatagramHeader::Read(cut, DatagramLayout::Short).has_value(), length >= 22)
            << length;
    }
}

TEST(DatagramByteReader, FailsPastTheEndAndStaysFailed) {
    const std::uint8_t bytes[] = {0x01, 0x02, 0x03};
    util::ByteReader in(bytes);
    EXPECT_EQ(in.u16(), 0x0201);
    EXPECT_EQ(in.u16(), 0);
    EXPECT_FALSE(in.ok());
    EXPECT_EQ(in.u8(), 0);  // the one byte left is not handed out after a failure
    EXPECT_EQ(in.remaining(), 0u);
}
