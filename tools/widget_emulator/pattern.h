#pragma once
// The levels a frame carries: a pattern, fixed levels on chosen channels over it, and the
// frame's sequence number in chosen channels over both.
#include <cstdint>
#include <map>
#include <random>
#include <vector>

#include "options.h"
#include "packets.h"

namespace widgetEmulator {

struct Pattern {
    PatternKind kind = PatternKind::Ramp;
    std::mt19937 random;
    std::map<int, int> fixedLevels;    // channel (1..512) -> level
    std::vector<int> counterChannels;  // first of four channels each
};

Pattern MakePattern(const Options& options);
void SetFixedLevel(Pattern& pattern, int channel, int level);

// levels[0] is channel 1. The sequence number goes big-endian into channels CH..CH+3.
Levels FrameLevels(Pattern& pattern, std::uint32_t sequence);

}  // namespace widgetEmulator
