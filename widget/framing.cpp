#include "widget/framing.h"

#include <algorithm>
#include <cstring>

namespace proVCPdriver {

std::uint16_t DataLength(const std::uint8_t* header) {
    return static_cast<std::uint16_t>(header[2] | (header[3] << 8));
}

namespace {

std::size_t Available(const ReadBytes& read) {
    return static_cast<std::size_t>(read.end - read.next);
}

FrameStep Step(FrameEvent event, const std::uint8_t* bytes, std::size_t size) {
    return FrameStep{event, bytes, size};
}

// Drops what the last step handed out, then everything up to the next start byte, so that the
// kept bytes begin with a start byte again. Returns how many bytes were dropped as not starting
// a packet.
std::size_t DropHandedOut(PartialPacket& partial) {
    const std::uint8_t* rest = partial.bytes + partial.handedOut;
    const std::size_t restSize = partial.size - partial.handedOut;
    partial.handedOut = 0;
    if (restSize == 0) {  // the usual case: the kept bytes were one packet
        partial.size = 0;
        return 0;
    }
    const void* found = std::memchr(rest, StartByte, restSize);
    const std::size_t skipped = found ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(found) - rest)
                                      : restSize;
    partial.size = restSize - skipped;
    std::memmove(partial.bytes, rest + skipped, partial.size);
    return skipped;
}

void TopUp(PartialPacket& partial, ReadBytes& read, std::size_t wanted) {
    if (partial.size >= wanted) return;
    const std::size_t taken = std::min(wanted - partial.size, Available(read));
    if (taken == 0) return;
    std::memcpy(partial.bytes + partial.size, read.next, taken);
    partial.size += taken;
    read.next += taken;
}

// A packet whose decision needs the kept bytes: top them up from the read until the header,
// then the whole packet, is there.
FrameStep StepInPartial(PartialPacket& partial, ReadBytes& read) {
    TopUp(partial, read, HeaderSize);
    if (partial.size < HeaderSize) return Step(FrameEvent::OutOfBytes, nullptr, 0);
    const std::size_t length = DataLength(partial.bytes);
    if (length > MaxDataLength) {
        partial.handedOut = 1;
        return Step(FrameEvent::LengthTooLarge, partial.bytes, HeaderSize);
    }
    const std::size_t packetSize = HeaderSize + length + 1;
    TopUp(partial, read, packetSize);
    if (partial.size < packetSize) return Step(FrameEvent::OutOfBytes, nullptr, 0);
    if (partial.bytes[packetSize - 1] != EndByte) {
        partial.handedOut = 1;
        return Step(FrameEvent::WrongEndByte, partial.bytes, HeaderSize);
    }
    partial.handedOut = packetSize;
    return Step(FrameEvent::Packet, partial.bytes, packetSize);
}

FrameStep KeepAside(PartialPacket& partial, ReadBytes& read) {
    partial.size = Available(read);
    std::memcpy(partial.bytes, read.next, partial.size);
    read.next = read.end;
    return Step(FrameEvent::OutOfBytes, nullptr, 0);
}

// Nothing kept: frame straight from the read, without copying a packet that lies in it whole.
FrameStep StepInRead(PartialPacket& partial, ReadBytes& read) {
    const std::size_t available = Available(read);
    if (available == 0) return Step(FrameEvent::OutOfBytes, nullptr, 0);
    // In a healthy stream the next byte starts the next packet; search only when it does not.
    const void* found = *read.next == StartByte ? read.next : std::memchr(read.next, StartByte, available);
    if (found != read.next) {
        const std::uint8_t* start = found ? static_cast<const std::uint8_t*>(found) : read.end;
        const std::size_t skipped = static_cast<std::size_t>(start - read.next);
        read.next = start;
        return Step(FrameEvent::SkippedBytes, nullptr, skipped);
    }
    const std::uint8_t* start = read.next;
    if (available < HeaderSize) return KeepAside(partial, read);
    const std::size_t length = DataLength(start);
    if (length > MaxDataLength) {
        read.next = start + 1;
        return Step(FrameEvent::LengthTooLarge, start, HeaderSize);
    }
    const std::size_t packetSize = HeaderSize + length + 1;
    if (available < packetSize) return KeepAside(partial, read);
    if (start[packetSize - 1] != EndByte) {
        read.next = start + 1;
        return Step(FrameEvent::WrongEndByte, start, HeaderSize);
    }
    read.next = start + packetSize;
    return Step(FrameEvent::Packet, start, packetSize);
}

}  // namespace

FrameStep NextFrameStep(PartialPacket& partial, ReadBytes& read) {
    if (partial.handedOut > 0) {
        const std::size_t skipped = DropHandedOut(partial);
        if (skipped > 0) return Step(FrameEvent::SkippedBytes, nullptr, skipped);
    }
    if (partial.size > 0) return StepInPartial(partial, read);
    return StepInRead(partial, read);
}

}  // namespace proVCPdriver
