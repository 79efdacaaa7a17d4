#include "discovery/DatagramHeader.h"

#include "util/ByteReader.h"
#include "util/ByteWriter.h"

std::vector<std::uint8_t> DatagramHeader::Write(DatagramLayout layout) const {
    util::ByteWriter out;
    out.u16(magic);
    out.u16(sequence);
    out.u16(opcode);
    out.bytes(targetMac);
    out.bytes(targetIp);
    out.u16(statusWord);
    out.u16(version);
    out.u16(payloadLength);
    if (layout == DatagramLayout::Long) {
        out.u32(timeStamp);
        out.bytes(trailer);
    }
    return out.take();
}

std::optional<DatagramHeader> DatagramHeader::Read(std::span<const std::uint8_t> datagram,
                                                   DatagramLayout layout) {
    util::ByteReader in(datagram);
    DatagramHeader h;
    h.magic = in.u16();
    h.sequence = in.u16();
    h.opcode = in.u16();
    in.bytes(h.targetMac);
    in.bytes(h.targetIp);
    h.statusWord = in.u16();
    h.version = in.u16();
    h.payloadLength = in.u16();
    if (layout == DatagramLayout::Long) {
        h.timeStamp = in.u32();
        in.bytes(h.trailer);
    } else {
        h.trailer = {};
    }
    if (!in.ok()) {
        return std::nullopt;
    }
    return h;
}

std::vector<std::uint8_t> BuildSearchRequest(std::uint32_t time) {
    DatagramHeader h;
    h.opcode = DatagramHeader::kSearchOpcode;
    h.targetMac = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    h.version = 3;
    h.payloadLength = DatagramHeader::kSearchPayloadLength;
    h.timeStamp = time;
    return h.Write(DatagramLayout::Long);
}
