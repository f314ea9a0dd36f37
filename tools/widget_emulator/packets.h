#pragma once
// Widget packets as they go on the wire: 7E, label, length (16-bit, low byte first), data, E7.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace widgetEmulator {

using Bytes = std::vector<std::uint8_t>;
using Levels = std::array<std::uint8_t, 512>;

constexpr std::uint8_t StartByte = 0x7E;
constexpr std::uint8_t EndByte = 0xE7;
constexpr int MaxDataLength = 600;
constexpr int MaxUserDataSize = 508;

Bytes BuildPacket(std::uint8_t label, const Bytes& data);

// Label-3 reply: firmware low, firmware high, break time, MAB time, refresh rate, then
// userDataSize zero bytes (the widget's stored user configuration).
Bytes BuildParamsReply(int firmwareMajor, int firmwareMinor, int userDataSize);

// Label-5 packet: receive status 0, the DMX start code, 512 levels: 519 bytes on the wire.
Bytes BuildDmxPacket(std::uint8_t startCode, const Levels& levels);

// A request from the bridge, framed by its length field.
struct Request {
    std::uint8_t label;
    Bytes bytes;  // the whole packet, start and end byte included

    const std::uint8_t* data() const { return bytes.data() + 4; }
    std::size_t dataLength() const { return bytes.size() - 5; }
};

// Bytes that arrived but are not yet a whole request, kept between reads.
struct RequestFramer {
    Bytes pending;
};

// What a read turned into: whole requests and the bytes that could not be one (before a
// start byte, or a start byte whose length or end byte is wrong), in arrival order.
struct FramedInput {
    std::vector<Request> requests;
    Bytes junk;
};

FramedInput FrameRequests(RequestFramer& framer, const std::uint8_t* data, std::size_t size);

}  // namespace widgetEmulator
