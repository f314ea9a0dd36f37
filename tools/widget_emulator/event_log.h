#pragma once
// The emulator's log: one line per event, each starting with the wall-clock time in
// microseconds since the Unix epoch (CLOCK_REALTIME, the clock that Windows programs under
// Wine read with GetSystemTimePreciseAsFileTime), so two programs' logs can be compared.
// Hex is upper case; request and reply bytes are spaced, levels are not.
//   T rx label=L 7E .. E7          a whole request, start and end byte included
//   T rx junk XX ..                bytes that were not part of a request
//   T tx 7E 03 .. E7               a reply ("tx-stalled" when the pty would not take it)
//   T tx garbage XX ..             garbage written just before the next packet
//   T dmx seq=N sc=XX LLLL..       a label-5 packet: sequence number (from 1), start code,
//                                  512 levels (channel 1 first); T is taken when its last
//                                  byte has been written ("dmx-stalled" if it could not be)
//   T skip queued=N                no frame this time: N bytes still unread in the pty
//   T state plugged /dev/pts/N | unplugged | dmx-output | dmx-input | send-always |
//           send-on-change | stopped | started | quit
//   T control LINE                 a command from the control file ("control unknown LINE")
//   T error TEXT
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
