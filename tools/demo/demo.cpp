// TevrinDemo.exe: the demo's conductor under Wine. Starts the LightJockey stand-in and the
// bridge (its widget emulator already runs on COM3), presses the connect button, raises a
// fader, and reports what the bridge shows and what the stand-in received; then does the same
// with the simulator. With --stay the windows stay open until the user closes the bridge.
#include <windows.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "tools/conductor/conductor.h"
#include "win32/control_ids.h"

namespace {

using windrive::Control;
using windrive::Text;

void PrintFrame(const char* what, const std::vector<uint8_t>& bytes, int channels) {
    std::printf("%s", what);
    for (int n = 0; n < channels && n < static_cast<int>(bytes.size()); ++n) std::printf(" %d", bytes[n]);
    std::printf("\n");
}

void Report(const char* program, const StandInLog::Contents& log, double seconds) {
    std::printf("%s: the stand-in received %zu frames in %.1f s (%.1f a second)\n", program, log.frames.size(),
                seconds, log.frames.size() / seconds);
    if (log.frames.empty()) return;
    const auto& last = log.frames.back();
    std::printf("  each frame: dwData %llu, cbData %u\n", static_cast<unsigned long long>(last.dwData), last.cbData);
    PrintFrame("  last frame, channels 1 to 24:", last.bytes, 24);
}

// A program of the demo against a stand-in of its own.
struct Run {
    const char* name;
    conductor::StandIn standIn;
    conductor::Program program;
    int64_t connected = 0;

    Run(const char* exeName, const char* windowClass, const char* name) : name(name) {
        standIn = conductor::StartStandIn();
        program = conductor::Start(exeName, windowClass);
        if (!program.window) std::printf("%s: no window\n", name);
    }
    // The faders at these positions (a scroll bar's Value, 255 at the bottom), then connected.
    void MoveFadersAndConnect(const std::vector<std::pair<int, int>>& faders) {
        for (const auto& fader : faders)
            windrive::ScrollTo(Control(program.window, ControlId::scrollCh + fader.first), fader.second);
        windrive::Click(Control(program.window, ControlId::cmdFind_LJ));
        std::printf("  button: \"%s\"\n", Text(Control(program.window, ControlId::cmdFind_LJ)).c_str());
        connected = conductor::NowMicros();
    }
    void ShootAndReport(const std::string& pngName) {
        windrive::SaveWindowPng(program.window, conductor::WorkPath(pngName));
        program.Stop();
        Report(name, standIn.Read(), (conductor::NowMicros() - connected) / 1e6);
    }
};

bool RunBridge(bool stay, double seconds) {
    Run run("Tevrin.exe", WindowClass::Bridge, "Tevrin");
    HWND form = run.program.window;
    if (!form) return false;
    std::printf("Tevrin: caption \"%s\"\n", Text(form).c_str());
    for (const auto& line : windrive::ListLines(Control(form, ControlId::DevList)))
        std::printf("  DevList: \"%s\"\n", line.c_str());
    run.MoveFadersAndConnect({{15, 55}});  // channel 16 at level 200
    if (stay) {
        std::printf("The windows stay open; close the bridge to end the demo.\n");
        std::fflush(stdout);
        run.program.process.Wait(INFINITE);
        return true;
    }
    Sleep(static_cast<DWORD>(seconds * 1000));
    std::printf("  lblError: \"%s\"\n", Text(Control(form, ControlId::lblError)).c_str());
    std::printf("  lblFPS: \"%s\" frames per second received from the widget\n",
                Text(Control(form, ControlId::lblFPS)).c_str());
    std::printf("  lblRec: \"%s\"\n", Text(Control(form, ControlId::lblRec)).c_str());
    std::string values;
    for (int k = 0; k < 16; ++k) values += " " + Text(Control(form, ControlId::lblChValue + k));
    std::printf("  value labels:%s\n", values.c_str());
    run.ShootAndReport("tevrin.png");
    return true;
}

bool RunSimulator() {
    Run run("Brenoth.exe", WindowClass::Simulator, "Brenoth");
    if (!run.program.window) return false;
    std::printf("Brenoth:\n");
    run.MoveFadersAndConnect({{0, 0}, {1, 128}, {3, 64}, {6, 192}});
    Sleep(1500);
    run.ShootAndReport("brenoth.png");
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    bool stay = argc > 1 && std::string(argv[1]) == "--stay";
    bool ok = RunBridge(stay, 5.0);
    if (!stay) ok = RunSimulator() && ok;
    std::fflush(stdout);
    return ok ? 0 : 1;
}
