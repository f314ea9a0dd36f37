// The receive path on full label-5 packets in reads of the sizes a poll sees: one 64-byte USB
// chunk, one whole packet (519 bytes), four packets. Time per frame for a plain copy of the
// same bytes in the same reads, for framing and the copy into a record, and for the whole
// ParsePacket with its trace into a plain-string label. For 64-byte reads, which cut every
// packet, also the two copies that any framing of them needs at least.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "tests/fakes/fake_outside.h"
#include "widget/proVCPdriver.h"

namespace {

using namespace proVCPdriver;

constexpr int FramesPerPass = 64;
constexpr std::size_t FrameSize = 519;

// Levels that change from frame to frame and hold start and end bytes.
std::string ReceivedFrame(int n) {
    std::string frame = {'\x7E', '\x05', '\x02', '\x02', '\x00', '\x00'};
    for (int channel = 1; channel <= 512; ++channel) {
        const int level = channel % 50 == 0 ? 0x7E : channel % 70 == 0 ? 0xE7 : (channel * 3 + n) & 0xFF;
        frame.push_back(static_cast<char>(level));
    }
    frame.push_back('\xE7');
    return frame;
}

std::vector<std::string> Reads(std::size_t readSize) {
    std::string stream;
    for (int n = 0; n < FramesPerPass; ++n) stream += ReceivedFrame(n);
    std::vector<std::string> reads;
    for (std::size_t at = 0; at < stream.size(); at += readSize) reads.push_back(stream.substr(at, readSize));
    return reads;
}

void CountFrames(benchmark::State& state) {
    const double frames = static_cast<double>(state.iterations()) * FramesPerPass;
    state.counters["per_frame"] = benchmark::Counter(frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void PlainCopy(benchmark::State& state) {
    const std::vector<std::string> reads = Reads(static_cast<std::size_t>(state.range(0)));
    std::vector<char> destination(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        for (const std::string& read : reads) {
            std::memcpy(destination.data(), read.data(), read.size());
            benchmark::ClobberMemory();
        }
    }
    benchmark::DoNotOptimize(destination.data());
    CountFrames(state);
}

// The least that reads cutting every packet cost: each read copied aside, then each frame
// copied into the record once its end has come (a record must never hold half a frame).
void CopyAsideThenIntoRecord(benchmark::State& state) {
    const std::vector<std::string> reads = Reads(static_cast<std::size_t>(state.range(0)));
    std::vector<char> aside(2 * FrameSize);
    static char record[RecordSize];
    std::size_t kept = 0;
    for (auto _ : state) {
        for (const std::string& read : reads) {
            std::memcpy(aside.data() + kept, read.data(), read.size());
            kept += read.size();
            if (kept >= FrameSize) {
                std::copy_n(aside.data(), RecordSize, record);
                kept -= FrameSize;
                std::memmove(aside.data(), aside.data() + FrameSize, kept);
            }
            benchmark::ClobberMemory();
        }
    }
    benchmark::DoNotOptimize(record);
    CountFrames(state);
}

void FramingAndCopy(benchmark::State& state) {
    const std::vector<std::string> reads = Reads(static_cast<std::size_t>(state.range(0)));
    static PartialPacket partial;
    static std::uint8_t record[RecordSize];
    partial.size = 0;
    partial.handedOut = 0;
    for (auto _ : state) {
        for (const std::string& text : reads) {
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
            ReadBytes read{bytes, bytes + text.size()};
            for (FrameStep step = NextFrameStep(partial, read); step.event != FrameEvent::OutOfBytes;
                 step = NextFrameStep(partial, read)) {
                if (step.event == FrameEvent::Packet) std::copy_n(step.bytes, std::min(step.size - 1, RecordSize), record);
            }
            benchmark::ClobberMemory();
        }
    }
    benchmark::DoNotOptimize(record);
    CountFrames(state);
}

void WholeParsePacket(benchmark::State& state) {
    const std::vector<std::string> reads = Reads(static_cast<std::size_t>(state.range(0)));
    FakeClock clock;
    StringLabel lblRec;
    ResetModuleForTest();
    Attach(nullptr, nullptr, &clock, &lblRec);
    for (auto _ : state) {
        for (const std::string& read : reads) benchmark::DoNotOptimize(ParsePacket(read));
    }
    if (frameCount == 0 || dmxIn[0] != 0x7E) state.SkipWithError("frames were not parsed");
    Attach(nullptr, nullptr, nullptr, nullptr);
    CountFrames(state);
}

// The machine may be shared: with --benchmark_repetitions the fastest run says the most.
double Fastest(const std::vector<double>& runs) {
    return *std::min_element(runs.begin(), runs.end());
}

void ReadSizes(benchmark::internal::Benchmark* benchmark) {
    benchmark->ArgName("read")->Arg(64)->Arg(FrameSize)->Arg(4 * FrameSize)->ComputeStatistics("min", Fastest);
}

BENCHMARK(PlainCopy)->Apply(ReadSizes);
BENCHMARK(CopyAsideThenIntoRecord)->ArgName("read")->Arg(64)->ComputeStatistics("min", Fastest);
BENCHMARK(FramingAndCopy)->Apply(ReadSizes);
BENCHMARK(WholeParsePacket)->Apply(ReadSizes);

}  // namespace

BENCHMARK_MAIN();
