#pragma once
// What the benchmark and the soak conductors share: a time-stamped event log that the Linux-side
// analysis reads beside the peers' logs, starting the LightJockey stand-in and the programs,
// pressing the connect button, watching for error boxes, and commands to the widget emulator.
#include <windows.h>

#include <cstdint>
#include <string>

#include "tools/windrive/windrive.h"

namespace conductor {

// Every line: Unix epoch microseconds (the clock of both peers' logs), a blank, the event.
// The same text goes to stdout with the seconds since the log was opened.
bool OpenEventLog(const std::string& path);
void Note(const std::string& event);

struct StandIn {
    std::string log;
    windrive::Process process;
};
// Starts LJStandIn.exe logging to WorkPath(logName) and waits for its window; false if it never came.
bool StartStandIn(StandIn& standIn, const std::string& logName);

// Launches the program and waits until its main window is shown; nullptr on time-out.
HWND LaunchAndWaitShown(windrive::Process& process, const char* exeName, const char* windowClass,
                        DWORD timeoutMs);

// Presses the connect button until it reads "LJ READY !" (a click that lands before the window
// handles input is lost); returns the caption it shows in the end.
std::string Connect(HWND form);

// lblFPS as a number; -1 when it holds no number.
double ShownRate(HWND bridgeForm);
bool WaitForShownRate(HWND bridgeForm, DWORD timeoutMs);

// Visible top-level message boxes ("#32770") of that process.
int MessageBoxesOf(DWORD processId, std::string& firstText);

// The handles the process holds, from the system's list of open handles; -1 when it cannot be read.
long HandleCount(const windrive::Process& process);

// Appends one command line to the emulator's control file (a Unix file seen through Z:).
bool SendEmulatorCommand(const std::string& controlPath, const std::string& command);

// "--name value" options; false on anything else.
struct Option {
    const char* name;
    std::string* value;
};
bool ParseOptions(int argc, char** argv, Option* options, int count);
double SecondsOption(const std::string& text, double fallback);

}  // namespace conductor
