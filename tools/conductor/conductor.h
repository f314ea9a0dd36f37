#pragma once
// The conductor of every end-to-end run under Wine (the demo, the benchmark, the soak run, the
// Wine tests). A run is the same few moves each time; each is written here once:
//
//   conductor::StandIn standIn = conductor::StartStandIn("standin.log");  // waits until ready
//   conductor::Program bridge = conductor::Start("Tevrin.exe", WindowClass::Bridge);  // until shown
//   conductor::Connect(bridge.window);               // drive it further with tools/windrive
//   StandInLog::Contents got = standIn.Read();       // what LightJockey was handed
//   // both are closed when they go out of scope (or by Stop())
//
// A program whose start shows a message box first: conductor::Launch, answer the box
// (windrive::WaitForMessageBox), then conductor::WaitForWindow.
// Programs come from TEVRIN_BIN and files go to TEVRIN_WORK, both set by scripts/wine-run.
#include <windows.h>

#include <string>

#include "tools/conductor/clock.h"
#include "tools/lj_standin/standin_log_reader.h"
#include "tools/windrive/windrive.h"

namespace conductor {

// Generous: Wine starts slowly on a loaded machine. Nothing is measured against it.
constexpr DWORD StartTimeoutMs = 60000;

// exeName in TEVRIN_BIN (the build's bin folder), or beside this program when that is unset.
std::string BinPath(const std::string& exeName);
// name in TEVRIN_WORK (the run's scratch folder), or in the temporary folder when that is unset.
std::string WorkPath(const std::string& name);

// LightJockey's stand-in (tools/lj_standin): a window of LightJockey's class that logs what it
// is asked and handed.
struct StandIn {
    std::string log;  // its log's path
    windrive::Process process;
    bool ready = false;  // its window existed within StartTimeoutMs

    StandIn() = default;
    StandIn(StandIn&&) = default;
    StandIn& operator=(StandIn&&) = default;
    ~StandIn() { Stop(); }

    StandInLog::Contents Read() const { return StandInLog::Read(log); }
    // Closes its window (its log then ends with "quit"); kills it if it does not end.
    void Stop() { process.Close(); }
};

// Starts the stand-in logging to WorkPath(logName), afresh, and waits until its window is there.
// arguments: more of LJStandIn.exe's options, such as "--q0 0".
StandIn StartStandIn(const std::string& logName = "standin.log", const std::string& arguments = "");

// One of the programs under test.
struct Program {
    windrive::Process process;
    HWND window = nullptr;  // its main window, once WaitForWindow has seen it shown

    Program() = default;
    Program(Program&&) = default;
    Program& operator=(Program&&) = default;
    ~Program() { Stop(); }

    void Stop() { process.Close(); }
};

// Starts BinPath(exeName) without waiting for anything.
Program Launch(const std::string& exeName, const std::string& args = "");
// Waits until the program's window of that class is shown (a click that lands earlier is lost)
// and keeps it in program.window; false on time-out.
bool WaitForWindow(Program& program, const char* windowClass, DWORD timeoutMs = StartTimeoutMs);
// Launch, then WaitForWindow: program.window is nullptr when the window never showed.
Program Start(const std::string& exeName, const char* windowClass, const std::string& args = "");

// Presses the connect button until it reads "LJ READY !" (a few tries, half a second apart);
// returns the caption it shows in the end.
std::string Connect(HWND form);

// The bridge's lblFPS as a number; -1 when it holds none.
double ShownRate(HWND bridgeForm);
bool WaitForShownRate(HWND bridgeForm, DWORD timeoutMs);

// "fps=F handles=H boxes=B error=E": what the bridge shows and holds, for a status line.
std::string BridgeStatus(const Program& bridge, int boxes);

// Visible message boxes ("#32770") of that process, and the text of the first.
int MessageBoxesOf(DWORD processId, std::string& firstText);
// The handles the process holds, from the system's list of open handles; -1 when unreadable.
long HandleCount(const windrive::Process& process);

// Appends one command line to the widget emulator's control file (its --control).
bool SendEmulatorCommand(const std::string& controlPath, const std::string& command);

}  // namespace conductor
