// Any bytes, cut into reads anywhere, through ParsePacket. Beyond what the sanitizers catch: the
// records only ever receive packets that a plain framing of the joined stream finds, every such
// packet is counted, the result and status stay within their codes, and the status is 0 exactly
// when the read's last decision was not to drop bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/fakes/fake_outside.h"
#include "widget/proVCPdriver.h"

namespace {

using namespace proVCPdriver;

// The framing rules applied to the whole stream so far, one start byte at a time.
struct ReferenceFraming {
    std::vector<std::uint8_t> stream;
    std::size_t decided = 0;
    std::uint8_t dmxIn[RecordSize] = {};
    std::uint8_t paramsReply[RecordSize] = {};
    std::int32_t packets = 0;
    std::int32_t lastLabel = -1;
    // The last decision of the latest read: none, a packet, or bytes dropped.
    enum class Decision { None, Packet, Dropped } lastDecision = Decision::None;

    void Store(const std::uint8_t* packet, std::size_t size) {
        const std::size_t copied = size - 1 < RecordSize ? size - 1 : RecordSize;
        const bool levels = size - 5 >= 2 && (packet[4] & 0x02) == 0 && packet[5] == 0;
        if (packet[1] == 3) std::memcpy(paramsReply, packet, copied);
        if (packet[1] == 5 && levels) std::memcpy(dmxIn, packet, copied);
        ++packets;
        lastLabel = packet[1];
        lastDecision = Decision::Packet;
    }

    void Drop() {
        ++decided;
        lastDecision = Decision::Dropped;
    }

    void Add(const std::uint8_t* bytes, std::size_t size) {
        stream.insert(stream.end(), bytes, bytes + size);
        lastLabel = -1;
        lastDecision = Decision::None;
        while (decided < stream.size()) {
            const std::size_t left = stream.size() - decided;
            const std::uint8_t* at = stream.data() + decided;
            if (at[0] != 0x7E) {
                Drop();
                continue;
            }
            if (left < 4) return;
            const std::size_t length = static_cast<std::size_t>(at[2] | (at[3] << 8));
            if (length > 600) {
                Drop();
                continue;
            }
            if (left < length + 5) return;
            if (at[length + 4] != 0xE7) {
                Drop();
                continue;
            }
            Store(at, length + 5);
            decided += length + 5;
        }
    }
};

void Check(bool holds) {
    if (!holds) __builtin_trap();
}

// Read sizes from a small generator seeded by the input's first byte: the fuzzer explores the
// cuts by changing one byte.
struct Cuts {
    std::uint32_t state;
    std::size_t NextSize() {
        state = state * 1103515245u + 12345u;
        const std::uint32_t r = state >> 8;
        const std::size_t limits[] = {4, 64, 700, 2000};
        return 1 + r % limits[(state >> 28) & 3];
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FakeClock clock;  // never moves, so no rate window closes and every packet stays counted
    static StringLabel trace;
    static RecordingMsgBox box;
    if (size == 0) return 0;
    ResetModuleForTest();
    Attach(nullptr, &box, &clock, &trace);
    Cuts cuts{data[0]};
    ReferenceFraming reference;
    for (std::size_t at = 1; at < size;) {
        const std::size_t n = std::min(cuts.NextSize(), size - at);
        const std::int32_t result = ParsePacket(std::string(data + at, data + at + n));
        reference.Add(data + at, n);
        at += n;

        Check(result >= -3 && result <= 255);
        Check(reference.lastLabel < 0 ? result < 0 : result == reference.lastLabel);
        Check(linkStatus <= 3);
        Check((linkStatus == 0) == (reference.lastDecision != ReferenceFraming::Decision::Dropped));
        Check(frameCount == reference.packets);
        Check(std::memcmp(dmxIn, reference.dmxIn, RecordSize) == 0);
        Check(std::memcmp(paramsReply, reference.paramsReply, RecordSize) == 0);
    }
    return 0;
}
