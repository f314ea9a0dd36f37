// Random frames with random levels, joined with random garbage between them and cut into random
// reads: after every read dmxIn holds the newest frame that has arrived whole.
#include <random>

#include "tests/widget/widget_fixture.h"

namespace proVCPdriver {
namespace {

struct Stream {
    Bytes bytes;
    std::vector<bool> garbage;        // per byte
    std::vector<Bytes> frames;        // in order
    std::vector<std::size_t> frameEnds;  // stream offset just past each frame
};

// Levels lean towards the bytes that look like framing.
std::uint8_t RandomLevel(std::mt19937& random) {
    const std::uint32_t pick = random() % 8;
    if (pick == 0) return 0x7E;
    if (pick == 1) return 0xE7;
    return static_cast<std::uint8_t>(random());
}

// Garbage holds no start byte, so that it cannot hide a frame; a false start byte is tested on
// its own.
std::uint8_t RandomGarbage(std::mt19937& random) {
    const auto byte = static_cast<std::uint8_t>(random());
    return byte == 0x7E ? 0x00 : byte;
}

void Append(Stream& stream, const Bytes& bytes, bool garbage) {
    stream.bytes.insert(stream.bytes.end(), bytes.begin(), bytes.end());
    stream.garbage.insert(stream.garbage.end(), bytes.size(), garbage);
}

Stream RandomStream(std::mt19937& random, int frames, bool withGarbage) {
    Stream stream;
    for (int i = 0; i < frames; ++i) {
        if (withGarbage && random() % 3 == 0) {
            Bytes garbage(1 + random() % 20);
            for (std::uint8_t& byte : garbage) byte = RandomGarbage(random);
            Append(stream, garbage, true);
        }
        Bytes levels(512);
        for (std::uint8_t& level : levels) level = RandomLevel(random);
        const Bytes frame = ReceivedDmx(levels);
        Append(stream, frame, false);
        stream.frames.push_back(frame);
        stream.frameEnds.push_back(stream.bytes.size());
    }
    return stream;
}

// Mostly the sizes a 10-millisecond poll sees, now and then a byte or a long backlog.
std::size_t RandomReadSize(std::mt19937& random) {
    switch (random() % 4) {
    case 0: return 1 + random() % 8;
    case 1: return 1 + random() % 64;
    case 2: return 1 + random() % 600;
    default: return 1 + random() % 2000;
    }
}

void FeedInRandomReads(const Stream& stream, std::mt19937& random) {
    std::size_t fed = 0;
    std::size_t complete = 0;
    while (fed < stream.bytes.size()) {
        const std::size_t to = std::min(stream.bytes.size(), fed + RandomReadSize(random));
        ParsePacket(Text(Slice(stream.bytes, fed, to)));
        const bool readGarbage =
            std::find(stream.garbage.begin() + static_cast<long>(fed), stream.garbage.begin() + static_cast<long>(to),
                      true) != stream.garbage.begin() + static_cast<long>(to);
        fed = to;
        while (complete < stream.frames.size() && stream.frameEnds[complete] <= fed) ++complete;

        ASSERT_EQ(frameCount, static_cast<std::int32_t>(complete)) << "after " << fed << " bytes";
        const Bytes expected = complete == 0 ? Bytes(RecordSize, 0x00) : RecordAfter({}, stream.frames[complete - 1]);
        ASSERT_EQ(DmxIn(), expected) << "after " << fed << " bytes";
        if (!readGarbage) {
            ASSERT_EQ(int(linkStatus), 0) << "after " << fed << " bytes";
        }
    }
    EXPECT_EQ(frameCount, static_cast<std::int32_t>(stream.frames.size()));
}

TEST_F(WidgetTest, DmxInHoldsTheNewestWholeFrameWhereverTheReadsAreCut) {
    std::mt19937 random(0x7E5E7u);
    for (int run = 0; run < 40; ++run) {
        ResetModuleForTest();
        const Stream stream = RandomStream(random, 200, run % 2 == 0);
        FeedInRandomReads(stream, random);
        if (HasFatalFailure()) return;
    }
}

}  // namespace
}  // namespace proVCPdriver
