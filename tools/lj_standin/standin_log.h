#pragma once
// The stand-in's log: one line per event, written with a single WriteFile so that a reader
// never waits on a buffer. Times are Unix epoch microseconds, the clock a Linux peer reads
// with CLOCK_REALTIME, so both sides of a benchmark share one time line.
#include <cstdint>
#include <windows.h>

namespace StandInLog {

int64_t NowMicros();

// Opens (truncates) the log; an empty path keeps the log off. False when it cannot be created.
bool Open(const char* path);
void Close();

void Ready();
void Ask(WPARAM wParam, int32_t answer);
void CopyData(const COPYDATASTRUCT& cds);
void Quit();
// A line with the event's name and the time.
void Event(const char* name);

}  // namespace StandInLog
