#pragma once
// Framing of the packets the widget sends: start byte, label, 16-bit little-endian data length,
// the data, end byte. No I/O here: the caller hands over each read as it comes, and only a
// packet cut off by the end of a read is kept aside until the rest arrives.
#include <cstddef>
#include <cstdint>

namespace proVCPdriver {

constexpr std::uint8_t StartByte = 0x7E;
constexpr std::uint8_t EndByte = 0xE7;
constexpr std::size_t HeaderSize = 4;
// The widget never sends more data than this; a longer length field means the start byte was
// not a start byte.
constexpr std::size_t MaxDataLength = 600;
constexpr std::size_t MaxPacketSize = HeaderSize + MaxDataLength + 1;

// The unfinished packet waiting for the next read. It always begins with a start byte.
struct PartialPacket {
    std::uint8_t bytes[MaxPacketSize];
    std::size_t size;
    // Leading bytes already handed out by the last step, dropped at the next one. The step
    // cannot drop them itself: what it hands out points into them.
    std::size_t handedOut;
};

// What is left of the current read.
struct ReadBytes {
    const std::uint8_t* next;
    const std::uint8_t* end;
};

enum class FrameEvent {
    Packet,          // a complete packet with the right end byte
    SkippedBytes,    // bytes dropped while looking for a start byte
    WrongEndByte,    // a start byte dropped: the byte its length points at is not the end byte
    LengthTooLarge,  // a start byte dropped: its length field is above MaxDataLength
    OutOfBytes,      // the read is used up; an unfinished packet, if any, waits in PartialPacket
};

struct FrameStep {
    FrameEvent event;
    // Packet: the whole packet, end byte included. WrongEndByte, LengthTooLarge: the rejected
    // header (HeaderSize bytes). Valid until the next step or until the read's bytes go away:
    // a packet that lay whole in the read points into the read itself.
    const std::uint8_t* bytes;
    // Packet: its size, end byte included. SkippedBytes: how many were dropped.
    // WrongEndByte, LengthTooLarge: HeaderSize.
    std::size_t size;
};

// One framing decision, in stream order. Call until it returns OutOfBytes. Every decision
// depends only on the bytes of the stream, never on where the reads were cut, except that a
// packet is only decided once all its bytes have arrived.
FrameStep NextFrameStep(PartialPacket& partial, ReadBytes& read);

// The length field of a header, read unsigned.
std::uint16_t DataLength(const std::uint8_t* header);

}  // namespace proVCPdriver
