#include "options.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace widgetEmulator {
namespace {

bool ParseLong(const std::string& text, long min, long max, long& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < min || parsed > max) return false;
    value = parsed;
    return true;
}

bool ParseInt(const std::string& text, int min, int max, int& value) {
    long parsed = 0;
    if (!ParseLong(text, min, max, parsed)) return false;
    value = static_cast<int>(parsed);
    return true;
}

bool ParsePair(const std::string& text, char separator, int min1, int max1, int min2, int max2,
               int& first, int& second) {
    const size_t at = text.find(separator);
    return at != std::string::npos && ParseInt(text.substr(0, at), min1, max1, first) &&
           ParseInt(text.substr(at + 1), min2, max2, second);
}

bool ParseRate(const std::string& text, double& rate) {
    char* end = nullptr;
    const double parsed = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(parsed > 0.0 && parsed <= 1000.0)) return false;
    rate = parsed;
    return true;
}

bool ParseSplit(const std::string& text, Options& options) {
    options.splitRandom = false;
    options.splitOffsets.clear();
    if (text == "none") return true;
    if (text == "random") {
        options.splitRandom = true;
        return true;
    }
    size_t from = 0;
    while (from <= text.size()) {
        const size_t comma = std::min(text.find(',', from), text.size());
        int offset = 0;
        if (!ParseInt(text.substr(from, comma - from), 1, 4095, offset)) return false;
        options.splitOffsets.push_back(offset);
        from = comma + 1;
    }
    std::sort(options.splitOffsets.begin(), options.splitOffsets.end());
    options.splitOffsets.erase(std::unique(options.splitOffsets.begin(), options.splitOffsets.end()),
                               options.splitOffsets.end());
    return true;
}

bool ParseAnswer(const std::string& text, AnswerMode& answer) {
    if (text == "widget") answer = AnswerMode::Widget;
    else if (text == "other") answer = AnswerMode::Other;
    else if (text == "none") answer = AnswerMode::None;
    else return false;
    return true;
}

bool ParsePattern(const std::string& text, PatternKind& pattern) {
    if (text == "ramp") pattern = PatternKind::Ramp;
    else if (text == "random") pattern = PatternKind::Random;
    else if (text == "fixed") pattern = PatternKind::Fixed;
    else return false;
    return true;
}

// One option with its value; false when the value does not parse.
bool ApplyOption(const std::string& name, const std::string& value, Options& o) {
    long seed = 0;
    FixedLevel level{};
    int counter = 0;
    if (name == "--link") o.linkPath = value;
    else if (name == "--log") o.logPath = value;
    else if (name == "--control") o.controlPath = value;
    else if (name == "--firmware") return ParsePair(value, '.', 0, 255, 0, 255, o.firmwareMajor, o.firmwareMinor);
    else if (name == "--answer") return ParseAnswer(value, o.answer);
    else if (name == "--rate") return ParseRate(value, o.rate);
    else if (name == "--pattern") return ParsePattern(value, o.pattern);
    else if (name == "--seed") {
        if (!ParseLong(value, 0, 0xFFFFFFFFL, seed)) return false;
        o.seed = static_cast<std::uint32_t>(seed);
    } else if (name == "--level") {
        if (!ParsePair(value, '=', 1, 512, 0, 255, level.channel, level.level)) return false;
        o.levels.push_back(level);
    } else if (name == "--counter") {
        if (!ParseInt(value, 1, 509, counter)) return false;
        o.counterChannels.push_back(counter);
    } else if (name == "--split") return ParseSplit(value, o);
    else if (name == "--garbage") return ParseInt(value, 0, 4096, o.garbage);
    else if (name == "--garbage-every") return ParseInt(value, 1, 1000000, o.garbageEvery);
    else if (name == "--alt-start") return ParseInt(value, 0, 1000000, o.altStartEvery);
    else return false;
    return true;
}

}  // namespace

bool ParseOptions(int argc, char** argv, Options& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help") {
            error = "";
            return false;
        }
        if (name == "--stream-at-start") {
            options.streamAtStart = true;
            continue;
        }
        if (name == "--unplugged") {
            options.startUnplugged = true;
            continue;
        }
        if (i + 1 >= argc) {
            error = "missing value for " + name;
            return false;
        }
        const std::string value = argv[++i];
        if (!ApplyOption(name, value, options)) {
            error = "bad option " + name + " " + value;
            return false;
        }
    }
    if (options.linkPath.empty()) {
        error = "--link is required";
        return false;
    }
    return true;
}

const char* Usage() {
    return "usage: widget_emulator --link PATH [options]\n"
           "  --log FILE              one line per event, each starting with CLOCK_REALTIME microseconds\n"
           "  --control FILE          command lines appended to FILE: stop start unplug replug\n"
           "                          'level CH V' quit\n"
           "  --firmware MAJOR.MINOR  version in the label-3 reply (default 2.4)\n"
           "  --answer widget|other|none  other: \"OK\\r\\n\" to every request; none: silent\n"
           "  --rate N                label-5 packets per second (default 44)\n"
           "  --pattern ramp|random|fixed  ramp: channel n = (n + seq) & 255 (default)\n"
           "  --seed S                seed of the random pattern and of the faults (default 1)\n"
           "  --level CH=V            channel CH always at V (repeatable)\n"
           "  --counter CH            sequence number, big-endian, in CH..CH+3 (repeatable)\n"
           "  --split none|random|N[,N...]  cut each packet's write, 1-3 ms between pieces\n"
           "  --garbage N             N random bytes before a packet\n"
           "  --garbage-every K       garbage before every K-th packet only (default 1)\n"
           "  --alt-start K           every K-th label-5 packet has start code 0xCC\n"
           "  --stream-at-start       send label-5 packets from power-on, without a label-8 request\n"
           "  --unplugged             start unplugged (no link) until a 'replug' command\n"
           "Signals: SIGUSR1 stop/start, SIGUSR2 unplug and replug after 1 s, SIGTERM quit.\n";
}

}  // namespace widgetEmulator
