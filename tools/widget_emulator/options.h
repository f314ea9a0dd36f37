#pragma once
// Command line of the widget emulator; see Usage() for what each option does.
#include <cstdint>
#include <string>
#include <vector>

namespace widgetEmulator {

enum class AnswerMode { Widget, Other, None };
enum class PatternKind { Ramp, Random, Fixed };

struct FixedLevel {
    int channel;  // 1..512
    int level;    // 0..255
};

struct Options {
    std::string linkPath, logPath, controlPath;
    int firmwareMajor = 2, firmwareMinor = 4;
    AnswerMode answer = AnswerMode::Widget;
    double rate = 44.0;
    PatternKind pattern = PatternKind::Ramp;
    std::uint32_t seed = 1;
    std::vector<FixedLevel> levels;
    std::vector<int> counterChannels;  // first of four channels each
    bool splitRandom = false;
    std::vector<int> splitOffsets;     // byte offsets into each packet, ascending
    int garbage = 0;
    int garbageEvery = 1;
    int altStartEvery = 0;             // 0: every packet carries start code 0
    bool streamAtStart = false;
    bool startUnplugged = false;       // the link appears at the first "replug"
};

// Returns false with a message in `error` when the command line is wrong, and false with
// an empty `error` for --help.
bool ParseOptions(int argc, char** argv, Options& options, std::string& error);
const char* Usage();

}  // namespace widgetEmulator
