#include "event_log_reader.h"

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <utility>

namespace widgetEmulator {
namespace {

bool HexBytes(const std::string& hex, std::vector<std::uint8_t>& bytes) {
    if (hex.size() % 2 != 0) return false;
    bytes.clear();
    for (std::size_t at = 0; at < hex.size(); at += 2) {
        std::size_t used = 0;
        unsigned long value = std::stoul(hex.substr(at, 2), &used, 16);
        if (used != 2) return false;
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return true;
}

// "T dmx seq=N sc=XX LLLL.." (or dmx-stalled); false for every other line.
bool ParseFrame(const std::string& line, SentFrame& frame) {
    std::istringstream fields(line);
    std::string kind, seq, startCode, hex;
    if (!(fields >> frame.time >> kind >> seq >> startCode >> hex)) return false;
    if (kind != "dmx" && kind != "dmx-stalled") return false;
    if (seq.rfind("seq=", 0) != 0 || startCode.rfind("sc=", 0) != 0 || startCode.size() != 5) return false;
    try {
        frame.seq = static_cast<std::uint32_t>(std::stoul(seq.substr(4)));
        frame.startCode = static_cast<std::uint8_t>(std::stoul(startCode.substr(3), nullptr, 16));
        if (!HexBytes(hex, frame.levels)) return false;
    } catch (const std::exception&) {
        return false;
    }
    frame.stalled = kind == "dmx-stalled";
    return true;
}

// The log's lines that have their newline.
std::vector<std::string> WholeLines(const std::string& logPath) {
    std::ifstream file(logPath, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    const std::string all = text.str();
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end = all.find('\n'); end != std::string::npos; end = all.find('\n', start)) {
        lines.push_back(all.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace

std::vector<SentFrame> ReadSentFrames(const std::string& logPath) {
    std::vector<SentFrame> frames;
    for (const std::string& line : WholeLines(logPath)) {
        SentFrame frame;
        if (ParseFrame(line, frame)) frames.push_back(std::move(frame));
    }
    return frames;
}

std::vector<std::string> ReadEvents(const std::string& logPath) {
    std::vector<std::string> events;
    for (const std::string& line : WholeLines(logPath)) {
        const std::size_t blank = line.find(' ');
        if (blank != std::string::npos) events.push_back(line.substr(blank + 1));
    }
    return events;
}

}  // namespace widgetEmulator
