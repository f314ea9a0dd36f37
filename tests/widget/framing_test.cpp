#include "widget/framing.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

namespace proVCPdriver {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Seen {
    FrameEvent event;
    Bytes bytes;           // the packet, or the rejected header
    std::size_t skipped;
    bool operator==(const Seen& other) const {
        return event == other.event && bytes == other.bytes && skipped == other.skipped;
    }
};

void PrintTo(const Seen& seen, std::ostream* out) {
    *out << "event " << static_cast<int>(seen.event) << " skipped " << seen.skipped << " bytes";
    for (std::uint8_t byte : seen.bytes) *out << ' ' << std::hex << int(byte) << std::dec;
}

Seen Packet(Bytes bytes) { return Seen{FrameEvent::Packet, std::move(bytes), 0}; }
Seen Skipped(std::size_t count) { return Seen{FrameEvent::SkippedBytes, {}, count}; }
Seen WrongEnd(Bytes header) { return Seen{FrameEvent::WrongEndByte, std::move(header), 0}; }
Seen TooLong(Bytes header) { return Seen{FrameEvent::LengthTooLarge, std::move(header), 0}; }

// Frames the reads one after the other, as they would arrive. Skips that a cut splits in two
// are joined, so that any cutting of one stream gives the same list.
std::vector<Seen> FrameReads(PartialPacket& partial, const std::vector<Bytes>& reads) {
    std::vector<Seen> seen;
    for (const Bytes& bytes : reads) {
        ReadBytes read{bytes.data(), bytes.data() + bytes.size()};
        for (;;) {
            const FrameStep step = NextFrameStep(partial, read);
            if (step.event == FrameEvent::OutOfBytes) break;
            if (step.event == FrameEvent::SkippedBytes) {
                if (!seen.empty() && seen.back().event == FrameEvent::SkippedBytes)
                    seen.back().skipped += step.size;
                else
                    seen.push_back(Skipped(step.size));
            } else {
                seen.push_back(Seen{step.event, Bytes(step.bytes, step.bytes + step.size), 0});
            }
        }
    }
    return seen;
}

const Bytes stream = {
    0x01, 0x02,                                            // garbage
    0x7E, 0x05, 0x04, 0x00, 0x00, 0x00, 0x7E, 0xE7, 0xE7,  // levels 126 and 231
    0x7E, 0x05, 0x59, 0x02,                                // length 601
    0x7E, 0x03, 0x01, 0x00, 0x42, 0x00,                    // end byte missing
    0x7E, 0x03, 0x02, 0x00, 0x04, 0x02, 0xE7,              // parameters reply
    0x7E, 0x09, 0x00, 0x00, 0xE7,                          // no data
    0x7E, 0x05, 0x03, 0x00, 0x00,                          // not finished yet
};

const std::vector<Seen> framed = {
    Skipped(2),
    Packet({0x7E, 0x05, 0x04, 0x00, 0x00, 0x00, 0x7E, 0xE7, 0xE7}),
    TooLong({0x7E, 0x05, 0x59, 0x02}),
    Skipped(3),
    WrongEnd({0x7E, 0x03, 0x01, 0x00}),
    Skipped(5),
    Packet({0x7E, 0x03, 0x02, 0x00, 0x04, 0x02, 0xE7}),
    Packet({0x7E, 0x09, 0x00, 0x00, 0xE7}),
};

TEST(Framing, FramesTheStreamByLengthAndEndByte) {
    PartialPacket partial{};
    EXPECT_EQ(FrameReads(partial, {stream}), framed);
    EXPECT_EQ(partial.size, 5u);  // the unfinished packet waits
}

TEST(Framing, GivesTheSameFramesWhereverTheStreamIsCut) {
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        PartialPacket partial{};
        const Bytes before(stream.begin(), stream.begin() + cut);
        const Bytes after(stream.begin() + cut, stream.end());
        EXPECT_EQ(FrameReads(partial, {before, after}), framed) << "cut at " << cut;
    }
}

TEST(Framing, GivesTheSameFramesByteByByte) {
    std::vector<Bytes> reads;
    for (std::uint8_t byte : stream) reads.push_back({byte});
    PartialPacket partial{};
    EXPECT_EQ(FrameReads(partial, reads), framed);
}

TEST(Framing, HandsOutAPacketLyingWholeInTheReadInPlace) {
    const Bytes bytes = {0x00, 0x7E, 0x09, 0x00, 0x00, 0xE7};
    PartialPacket partial{};
    ReadBytes read{bytes.data(), bytes.data() + bytes.size()};
    EXPECT_EQ(NextFrameStep(partial, read).event, FrameEvent::SkippedBytes);
    const FrameStep step = NextFrameStep(partial, read);
    ASSERT_EQ(step.event, FrameEvent::Packet);
    EXPECT_EQ(step.bytes, bytes.data() + 1);
    EXPECT_EQ(step.size, 5u);
}

TEST(Framing, KeepsAsideOnlyAPacketCutByTheEndOfARead) {
    const Bytes first = {0x7E, 0x09, 0x00};
    const Bytes second = {0x00, 0xE7};
    PartialPacket partial{};
    ReadBytes read{first.data(), first.data() + first.size()};
    EXPECT_EQ(NextFrameStep(partial, read).event, FrameEvent::OutOfBytes);
    read = ReadBytes{second.data(), second.data() + second.size()};
    const FrameStep step = NextFrameStep(partial, read);
    ASSERT_EQ(step.event, FrameEvent::Packet);
    EXPECT_EQ(step.bytes, partial.bytes);
    EXPECT_EQ(Bytes(step.bytes, step.bytes + step.size), (Bytes{0x7E, 0x09, 0x00, 0x00, 0xE7}));
    EXPECT_EQ(NextFrameStep(partial, read).event, FrameEvent::OutOfBytes);
    EXPECT_EQ(partial.size, 0u);
}

TEST(Framing, DecidesOnTheLengthFieldAsSoonAsTheHeaderIsThere) {
    struct Case {
        std::uint8_t low, high;
        bool rejected;
    };
    for (const Case c : {Case{0x58, 0x02, false}, Case{0x59, 0x02, true}, Case{0x00, 0x80, true},
                         Case{0xFF, 0xFF, true}}) {
        PartialPacket partial{};
        const std::vector<Seen> refused = {TooLong({0x7E, 0x05, c.low, c.high}), Skipped(3)};
        EXPECT_EQ(FrameReads(partial, {{0x7E, 0x05, c.low, c.high}}), c.rejected ? refused : std::vector<Seen>{})
            << int(c.high) << ' ' << int(c.low);
        EXPECT_EQ(partial.size, c.rejected ? 0u : 4u);
    }
}

TEST(Framing, AcceptsTheLongestPacketOnlyWhenItsEndByteIsThere) {
    Bytes longest = {0x7E, 0x05, 0x58, 0x02};  // 600 data bytes
    longest.resize(HeaderSize + 600, 0xE7);
    PartialPacket partial{};
    EXPECT_TRUE(FrameReads(partial, {longest}).empty());
    EXPECT_EQ(partial.size, longest.size());
    EXPECT_EQ(FrameReads(partial, {{0xE7}}).at(0).bytes.size(), MaxPacketSize);
}

TEST(Framing, FindsARealPacketBehindAFalseStartByte) {
    // The false start's length (0x0205) points past the real packet, so it is decided, and the
    // real packet found, only when two more bytes have come.
    Bytes real = {0x7E, 0x05, 0x02, 0x02, 0x00, 0x00};
    real.resize(HeaderSize + 514 + 1, 0x11);
    real.back() = 0xE7;
    Bytes bytes = {0x7E};
    bytes.insert(bytes.end(), real.begin(), real.end());
    PartialPacket partial{};
    EXPECT_TRUE(FrameReads(partial, {bytes}).empty());
    EXPECT_EQ(FrameReads(partial, {{0x7E, 0x05}}),
              (std::vector<Seen>{WrongEnd({0x7E, 0x7E, 0x05, 0x02}), Packet(real)}));
    EXPECT_EQ(partial.size, 2u);
}

}  // namespace
}  // namespace proVCPdriver
