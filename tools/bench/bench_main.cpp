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

#include "tools/bench/conductor.h"
#include "tools/windrive/windrive.h"
#include "win32/control_ids.h"

namespace {

using conductor::Note;
using windrive::Control;
using windrive::Text;

constexpr DWORD StartTimeoutMs = 60000;
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

// One status line a second: what the bridge shows, and whether it is well.
void WatchBridge(const windrive::Process& bridge, HWND form, double seconds) {
    ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    while (GetTickCount64() < end && bridge.Running()) {
        Sleep(1000);
        std::string boxText;
        int boxes = conductor::MessageBoxesOf(bridge.info.dwProcessId, boxText);
        Note("status fps=" + Text(Control(form, ControlId::lblFPS)) +
             " handles=" + std::to_string(conductor::HandleCount(bridge)) + " boxes=" + std::to_string(boxes) +
             " error=" + Text(Control(form, ControlId::lblError)));
        if (boxes > 0) Note("error-box " + boxText);
    }
}

void MeasureMinimized(const windrive::Process& bridge, HWND form, double seconds) {
    PostMessageA(form, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    windrive::WaitUntil([&] { return IsIconic(form) != FALSE; }, 5000);
    Sleep(SettleMs);
    Note("bridge-minimized-measure-start iconic=" + std::to_string(IsIconic(form) != FALSE));
    WatchBridge(bridge, form, seconds);
    Note("bridge-minimized-measure-end running=" + std::to_string(bridge.Running()));
    PostMessageA(form, WM_SYSCOMMAND, SC_RESTORE, 0);
}

bool RunBridge(double seconds, double minimizedSeconds) {
    conductor::StandIn standIn;
    if (!conductor::StartStandIn(standIn, "standin-bridge.log")) {
        Note("failed: the stand-in did not start");
        return false;
    }
    windrive::Process bridge;
    HWND form = conductor::LaunchAndWaitShown(bridge, "Tevrin.exe", WindowClass::Bridge, StartTimeoutMs);
    if (!form) {
        Note("failed: no bridge window");
        return false;
    }
    Note("bridge-shown caption=" + Text(form));
    PutFadersAtTheBottom(form, 16);
    if (!conductor::WaitForShownRate(form, 20000)) Note("warning: lblFPS shows no rate yet");
    Note("bridge-connect button=" + conductor::Connect(form));
    Sleep(SettleMs);
    Note("bridge-measure-start");
    WatchBridge(bridge, form, seconds);
    Note("bridge-measure-end running=" + std::to_string(bridge.Running()));
    if (minimizedSeconds > 0) MeasureMinimized(bridge, form, minimizedSeconds);
    bridge.Close();
    Note("bridge-closed exit=" + std::to_string(bridge.Wait(0)));
    standIn.process.Close();
    return true;
}

bool RunSimulator(double seconds) {
    conductor::StandIn standIn;
    if (!conductor::StartStandIn(standIn, "standin-brenoth.log")) {
        Note("failed: the stand-in did not start");
        return false;
    }
    windrive::Process simulator;
    HWND form = conductor::LaunchAndWaitShown(simulator, "Brenoth.exe", WindowClass::Simulator, StartTimeoutMs);
    if (!form) {
        Note("failed: no simulator window");
        return false;
    }
    Note("brenoth-shown caption=" + Text(form));
    Note("brenoth-connect button=" + conductor::Connect(form));
    Sleep(SettleMs);
    Note("brenoth-measure-start");
    ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    while (GetTickCount64() < end && simulator.Running()) {
        Sleep(1000);
        Note("status handles=" + std::to_string(conductor::HandleCount(simulator)));
    }
    Note("brenoth-measure-end running=" + std::to_string(simulator.Running()));
    simulator.Close();
    standIn.process.Close();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string seconds, minimized, simSeconds, log = windrive::WorkPath("bench-conductor.log");
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
