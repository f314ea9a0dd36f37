// TevrinSoak.exe: the soak run's conductor under Wine. The widget emulator streams on COM3
// (with garbage, split writes and packets of another start code) and a Linux sampler watches the
// processes; this program keeps the bridge connected to the LightJockey stand-in and, cycle
// after cycle, stops and restarts the emulator's sending, unplugs and replugs it, and closes and
// restarts the stand-in, which the bridge connects to by itself (the button is pressed only at
// the start). It watches for error boxes all along and writes what it did and saw into an event
// log for tools/soak/check.py.
//
//   TevrinSoak.exe --control FILE [--seconds N] [--log FILE]
#include <windows.h>

#include <cstdio>
#include <string>

#include "tools/conductor/conductor.h"
#include "tools/conductor/event_log.h"
#include "win32/control_ids.h"

namespace {

using conductor::Note;

constexpr double WarmUpSeconds = 6;
constexpr double CycleSeconds = 26;
constexpr double FinalSeconds = 4;
constexpr DWORD WatchStepMs = 250;

struct Soak {
    std::string controlPath;
    conductor::Program bridge;
    conductor::StandIn standIn;
    int standIns = 0;
    int boxesSeen = 0;
    ULONGLONG nextStatus = 0;
};

// Watches the bridge for that long: a message box of its own is noted once, and a status line
// is written every second. False once the bridge has ended.
bool Watch(Soak& soak, double seconds) {
    ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    do {
        if (!soak.bridge.process.Running()) {
            Note("bridge-gone exit=" + std::to_string(soak.bridge.process.Wait(0)));
            return false;
        }
        std::string boxText;
        int boxes = conductor::MessageBoxesOf(soak.bridge.process.info.dwProcessId, boxText);
        if (boxes > soak.boxesSeen) Note("error-box text=" + boxText);
        soak.boxesSeen = boxes;
        if (GetTickCount64() >= soak.nextStatus) {
            Note("status " + conductor::BridgeStatus(soak.bridge, boxes));
            soak.nextStatus = GetTickCount64() + 1000;
        }
        Sleep(WatchStepMs);
    } while (GetTickCount64() < end);
    return true;
}

void Command(Soak& soak, const std::string& command) {
    bool sent = conductor::SendEmulatorCommand(soak.controlPath, command);
    Note("emulator-" + command + (sent ? "" : " failed: control file not written"));
}

bool StartStandIn(Soak& soak) {
    std::string name = "standin-" + std::to_string(++soak.standIns) + ".log";
    soak.standIn = conductor::StartStandIn(name);
    Note("standin-started log=" + name + (soak.standIn.ready ? "" : " failed"));
    return soak.standIn.ready;
}

void ConnectAgain(Soak& soak) { Note("connect button=" + conductor::Connect(soak.bridge.window)); }

// What the connect button shows at that point ("after-close", "after-restart").
void NoteButton(Soak& soak, const std::string& when) {
    HWND button = windrive::Control(soak.bridge.window, ControlId::cmdFind_LJ);
    Note("button-" + when + " caption=" + windrive::Text(button));
}

// One round of every fault; the unplugged time alternates between long and short.
bool RunCycle(Soak& soak, int cycle) {
    Note("settled cycle=" + std::to_string(cycle));
    double unplugged = cycle % 2 == 1 ? 3.0 : 1.0;
    if (!Watch(soak, 2)) return false;
    Command(soak, "stop");
    if (!Watch(soak, 3)) return false;
    Command(soak, "start");
    if (!Watch(soak, 3)) return false;
    Command(soak, "unplug");
    if (!Watch(soak, unplugged)) return false;
    Command(soak, "replug");
    if (!Watch(soak, 8 - unplugged)) return false;
    soak.standIn.Stop();
    Note("standin-closed");
    if (!Watch(soak, 2)) return false;
    NoteButton(soak, "after-close");
    StartStandIn(soak);  // no click: the bridge connects to the new stand-in by itself
    if (!Watch(soak, 3)) return false;
    NoteButton(soak, "after-restart");
    return Watch(soak, CycleSeconds - 21);
}

bool Run(Soak& soak, double seconds) {
    if (!StartStandIn(soak)) return false;
    soak.bridge = conductor::Start("Tevrin.exe", WindowClass::Bridge);
    if (!soak.bridge.window) {
        // Say why, so that a run that failed once can be understood from its log alone.
        std::string boxText;
        int boxes = conductor::MessageBoxesOf(soak.bridge.process.info.dwProcessId, boxText);
        Note("failed: no bridge window; started=" + std::to_string(soak.bridge.process.Started() ? 1 : 0) +
             " exit=" + std::to_string(soak.bridge.process.Wait(0)) + " boxes=" + std::to_string(boxes) +
             (boxes > 0 ? " box=\"" + boxText + "\"" : ""));
        return false;
    }
    Note("bridge-shown caption=" + windrive::Text(soak.bridge.window));
    if (!conductor::WaitForShownRate(soak.bridge.window, 20000)) Note("warning: lblFPS shows no rate yet");
    ConnectAgain(soak);
    int cycles = static_cast<int>((seconds - WarmUpSeconds - FinalSeconds) / CycleSeconds);
    if (cycles < 1) cycles = 1;
    Note("plan cycles=" + std::to_string(cycles) + " cycle-seconds=" + std::to_string(static_cast<int>(CycleSeconds)));
    bool running = Watch(soak, WarmUpSeconds);
    for (int cycle = 1; running && cycle <= cycles; ++cycle) running = RunCycle(soak, cycle);
    if (running) {
        Note("settled final");
        running = Watch(soak, FinalSeconds);
    }
    Note("end running=" + std::to_string(running ? 1 : 0));
    soak.bridge.Stop();
    Note("bridge-closed exit=" + std::to_string(soak.bridge.process.Wait(0)));
    soak.standIn.Stop();
    return running;
}

}  // namespace

int main(int argc, char** argv) {
    std::string seconds, log = conductor::WorkPath("soak-conductor.log");
    Soak soak;
    conductor::Option options[] = {{"--seconds", &seconds}, {"--control", &soak.controlPath}, {"--log", &log}};
    if (!conductor::ParseOptions(argc, argv, options, 3) || soak.controlPath.empty()) {
        std::fprintf(stderr, "usage: TevrinSoak.exe --control FILE [--seconds N] [--log FILE]\n");
        return 2;
    }
    if (!conductor::OpenEventLog(log)) return 3;
    bool ok = Run(soak, conductor::SecondsOption(seconds, 90));
    Note(ok ? "done" : "done: the bridge did not last");
    return ok ? 0 : 1;
}
