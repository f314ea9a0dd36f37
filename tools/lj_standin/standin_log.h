#pragma once
// The stand-in's log: one line per event, written with a single WriteFile so that a reader
// never waits on a buffer. Times are Unix epoch microseconds (tools/conductor/clock.h).
//   ready TIME                        its window exists
//   ask TIME WPARAM ANSWER            a handshake question and the answer given
//   copydata TIME DWDATA CBDATA HEX   a WM_COPYDATA block, two lower-case hex digits a byte
//   hang TIME                         --hang: it stops answering inside a WM_COPYDATA
//   resume TIME                       and answers again
//   quit TIME                         its message loop has ended
// Read back by standin_log_reader.h here and by standin_log.py.
#include <cstdint>
#include <windows.h>

namespace StandInLog {

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
