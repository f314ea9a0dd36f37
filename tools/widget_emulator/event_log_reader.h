#pragma once
// Reads back the DMX packets that the emulator logged as sent (format in event_log.h), while it
// may still be writing. Plain C++: the Wine tests read it as well as native ones.
#include <cstdint>
#include <string>
#include <vector>

namespace widgetEmulator {

struct SentFrame {
    std::int64_t time = 0;  // Unix epoch microseconds, once the last byte was written
    std::uint32_t seq = 0;
    std::uint8_t startCode = 0;
    std::vector<std::uint8_t> levels;  // channel 1 first
    bool stalled = false;              // the pty would not take it
};

// Every "dmx" and "dmx-stalled" line in order; a missing file gives none, and a last line
// without its newline is left out.
std::vector<SentFrame> ReadSentFrames(const std::string& logPath);

// Every whole line's event, the text after its time ("rx label=3 7E 03 ..", "state plugged ..").
std::vector<std::string> ReadEvents(const std::string& logPath);

}  // namespace widgetEmulator
