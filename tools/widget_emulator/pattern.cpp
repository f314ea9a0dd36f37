#include "pattern.h"

namespace widgetEmulator {
namespace {

void FillPattern(Pattern& pattern, std::uint32_t sequence, Levels& levels) {
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const std::uint32_t channel = static_cast<std::uint32_t>(i) + 1;
        switch (pattern.kind) {
        case PatternKind::Ramp: levels[i] = static_cast<std::uint8_t>((channel + sequence) & 0xFF); break;
        case PatternKind::Random: levels[i] = static_cast<std::uint8_t>(pattern.random() & 0xFF); break;
        case PatternKind::Fixed: levels[i] = 0; break;
        }
    }
}

void PutCounter(int firstChannel, std::uint32_t sequence, Levels& levels) {
    const std::size_t at = static_cast<std::size_t>(firstChannel) - 1;
    for (std::size_t k = 0; k < 4 && at + k < levels.size(); ++k)
        levels[at + k] = static_cast<std::uint8_t>(sequence >> (24 - 8 * k));
}

}  // namespace

Pattern MakePattern(const Options& options) {
    Pattern pattern;
    pattern.kind = options.pattern;
    pattern.random.seed(options.seed);
    for (const FixedLevel& level : options.levels) SetFixedLevel(pattern, level.channel, level.level);
    pattern.counterChannels = options.counterChannels;
    return pattern;
}

void SetFixedLevel(Pattern& pattern, int channel, int level) {
    if (channel >= 1 && channel <= 512 && level >= 0 && level <= 255) pattern.fixedLevels[channel] = level;
}

Levels FrameLevels(Pattern& pattern, std::uint32_t sequence) {
    Levels levels{};
    FillPattern(pattern, sequence, levels);
    for (const auto& fixed : pattern.fixedLevels)
        levels[static_cast<std::size_t>(fixed.first) - 1] = static_cast<std::uint8_t>(fixed.second);
    for (int first : pattern.counterChannels) PutCounter(first, sequence, levels);
    return levels;
}

}  // namespace widgetEmulator
