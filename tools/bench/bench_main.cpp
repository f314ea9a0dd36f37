// TevrinBench.exe: the benchmark's conductor under Wine. The widget emulator already streams on
// COM3 and a Linux sampler watches the processes; this program runs the bridge against the
// LightJockey stand-in for a measured stretch, then the simulator the same way, and writes
// what it did and what the bridge showed into an event log for tools/bench/analyse.py.
//
//   TevrinBench.exe [--seconds N] [--minimized-seconds N] [--sim-seconds N] [--log FILE]
//
// --minimized-seconds measures the bridge once more with its window minimized: what it costs to
// paint its labels is then left out.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tools/conductor/conductor.h"
#include "tools/conductor/event_log.h"
#include "win32/control_ids.h"

namespace {

using conductor::Note;
using windrive::Control;
using windrive::Text;

constexpr DWORD SettleMs = 1000;
constexpr int FaderBottom = 255;

// The measured levels must be the received ones: every fader at the bottom gives level 0.
void PutFadersAtTheBottom(HWND form, int faders) {
    int moved = 0;
    for (int k = 0; k < faders; ++k) {
        HWND bar = Control(form, ControlId::scrollCh + k);
        if (windrive::ScrollPos(bar) == FaderBottom) continue;
        windrive::ScrollKey(bar, VK_END);
        ++moved;
    }
    Note("faders at the bottom, moved " + std::to_string(moved));
}

// One status line a second: the program's handles and, for the bridge, what it shows and
// whether a message box came up.
void Watch(const conductor::Program& program, bool isBridge, double seconds) {
    ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    while (GetTickCount64() < end && program.process.Running()) {
        Sleep(1000);
        if (!isBridge) {
            Note("status handles=" + std::to_string(conductor::HandleCount(program.process)));
            continue;
        }
        std::string boxText;
        int boxes = conductor::MessageBoxesOf(program.process.info.dwProcessId, boxText);
        Note("status " + conductor::BridgeStatus(program, boxes));
        if (boxes > 0) Note("error-box " + boxText);
    }
}

// The stand-in (logging to standin-NAME.log) and the program, both up; false, noted, if not.
bool StartBoth(const std::string& name, const char* exeName, const char* windowClass, conductor::StandIn& standIn,
               conductor::Program& program) {
    standIn = conductor::StartStandIn("standin-" + name + ".log");
    if (!standIn.ready) {
        Note("failed: the stand-in did not start");
        return false;
    }
    program = conductor::Start(exeName, windowClass);
    if (!program.window) {
        Note("failed: no " + name + " window");
        return false;
    }
    Note(name + "-shown caption=" + Text(program.window));
    return true;
}

void Measure(const conductor::Program& program, const std::string& name, bool isBridge, double seconds) {
    Sleep(SettleMs);
    Note(name + "-measure-start");
    Watch(program, isBridge, seconds);
    Note(name + "-measure-end running=" + std::to_string(program.process.Running()));
}

void MeasureMinimized(const conductor::Program& bridge, double seconds) {
    PostMessageA(bridge.window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    windrive::WaitUntil([&] { return IsIconic(bridge.window) != FALSE; }, 5000);
    Sleep(SettleMs);
    Note("bridge-minimized-measure-start iconic=" + std::to_string(IsIconic(bridge.window) != FALSE));
    Watch(bridge, true, seconds);
    Note("bridge-minimized-measure-end running=" + std::to_string(bridge.process.Running()));
    PostMessageA(bridge.window, WM_SYSCOMMAND, SC_RESTORE, 0);
}

bool RunBridge(double seconds, double minimizedSeconds) {
    conductor::StandIn standIn;
    conductor::Program bridge;
    if (!StartBoth("bridge", "Tevrin.exe", WindowClass::Bridge, standIn, bridge)) return false;
    PutFadersAtTheBottom(bridge.window, 16);
    if (!conductor::WaitForShownRate(bridge.window, 20000)) Note("warning: lblFPS shows no rate yet");
    Note("bridge-connect button=" + conductor::Connect(bridge.window));
    Measure(bridge, "bridge", true, seconds);
    if (minimizedSeconds > 0) MeasureMinimized(bridge, minimizedSeconds);
    bridge.Stop();
    Note("bridge-closed exit=" + std::to_string(bridge.process.Wait(0)));
    return true;
}

bool RunSimulator(double seconds) {
    conductor::StandIn standIn;
    conductor::Program simulator;
    if (!StartBoth("brenoth", "Brenoth.exe", WindowClass::Simulator, standIn, simulator)) return false;
    Note("brenoth-connect button=" + conductor::Connect(simulator.window));
    Measure(simulator, "brenoth", false, seconds);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string seconds, minimized, simSeconds, log = conductor::WorkPath("bench-conductor.log");
    conductor::Option options[] = {
        {"--seconds", &seconds}, {"--minimized-seconds", &minimized}, {"--sim-seconds", &simSeconds}, {"--log", &log}};
    if (!conductor::ParseOptions(argc, argv, options, 4)) {
        std::fprintf(stderr,
                     "usage: TevrinBench.exe [--seconds N] [--minimized-seconds N] [--sim-seconds N] [--log FILE]\n");
        return 2;
    }
    if (!conductor::OpenEventLog(log)) return 3;
    bool ok = RunBridge(conductor::SecondsOption(seconds, 40), conductor::SecondsOption(minimized, 0));
    ok = RunSimulator(conductor::SecondsOption(simSeconds, 20)) && ok;
    Note(ok ? "done" : "done with failures");
    return ok ? 0 : 1;
}
