#pragma once
// The emulator's log: one line per event, each starting with the wall-clock time in
// microseconds since the Unix epoch (CLOCK_REALTIME, the clock that Windows programs under
// Wine read with GetSystemTimePreciseAsFileTime), so two programs' logs can be compared.
#include <cstddef>
#include <cstdint>
#include <string>

namespace widgetEmulator {

struct EventLog {
    int fd = -1;  // -1: no log asked for
};

std::int64_t RealtimeMicros();
std::string Hex(const std::uint8_t* data, std::size_t size, bool spaced);

bool OpenEventLog(EventLog& log, const std::string& path, std::string& error);
void LogEvent(const EventLog& log, const std::string& text);
void LogEventAt(const EventLog& log, std::int64_t micros, const std::string& text);

}  // namespace widgetEmulator
