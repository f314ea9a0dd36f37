#include "packets.h"

namespace widgetEmulator {
namespace {

// Factory settings of a widget: break 9 x 10.67 us, mark-after-break 1 x 10.67 us, 40 frames/s.
constexpr std::uint8_t DefaultBreakTime = 9;
constexpr std::uint8_t DefaultMabTime = 1;
constexpr std::uint8_t DefaultRefreshRate = 40;

enum class FrameCheck { Whole, Waiting, Rejected };

FrameCheck CheckFrameAt(const Bytes& bytes, std::size_t at, std::size_t& frameSize) {
    const std::size_t available = bytes.size() - at;
    if (available < 4) return FrameCheck::Waiting;
    const std::size_t length = bytes[at + 2] | (bytes[at + 3] << 8);
    if (length > MaxDataLength) return FrameCheck::Rejected;
    frameSize = 4 + length + 1;
    if (available < frameSize) return FrameCheck::Waiting;
    return bytes[at + frameSize - 1] == EndByte ? FrameCheck::Whole : FrameCheck::Rejected;
}

}  // namespace

// (push_back after reserve: GCC 12 at -O3 takes an insert after an initializer list for a
// write past the end.)
Bytes BuildPacket(std::uint8_t label, const Bytes& data) {
    Bytes packet;
    packet.reserve(4 + data.size() + 1);
    packet.push_back(StartByte);
    packet.push_back(label);
    packet.push_back(static_cast<std::uint8_t>(data.size() & 0xFF));
    packet.push_back(static_cast<std::uint8_t>(data.size() >> 8));
    packet.insert(packet.end(), data.begin(), data.end());
    packet.push_back(EndByte);
    return packet;
}

Bytes BuildParamsReply(int firmwareMajor, int firmwareMinor, int userDataSize) {
    Bytes data{static_cast<std::uint8_t>(firmwareMinor), static_cast<std::uint8_t>(firmwareMajor),
               DefaultBreakTime, DefaultMabTime, DefaultRefreshRate};
    data.resize(data.size() + static_cast<std::size_t>(userDataSize), 0);
    return BuildPacket(3, data);
}

Bytes BuildDmxPacket(std::uint8_t startCode, const Levels& levels) {
    Bytes data{0x00, startCode};
    data.insert(data.end(), levels.begin(), levels.end());
    return BuildPacket(5, data);
}

FramedInput FrameRequests(RequestFramer& framer, const std::uint8_t* data, std::size_t size) {
    Bytes& bytes = framer.pending;
    bytes.insert(bytes.end(), data, data + size);
    FramedInput out;
    std::size_t at = 0;
    while (at < bytes.size()) {
        if (bytes[at] != StartByte) {
            out.junk.push_back(bytes[at++]);
            continue;
        }
        std::size_t frameSize = 0;
        const FrameCheck check = CheckFrameAt(bytes, at, frameSize);
        if (check == FrameCheck::Waiting) break;
        if (check == FrameCheck::Rejected) {
            // A false start byte: look for the real one from the next byte on.
            out.junk.push_back(bytes[at++]);
            continue;
        }
        out.requests.push_back(Request{bytes[at + 1], Bytes(bytes.begin() + at, bytes.begin() + at + frameSize)});
        at += frameSize;
    }
    bytes.erase(bytes.begin(), bytes.begin() + at);
    return out;
}

}  // namespace widgetEmulator
