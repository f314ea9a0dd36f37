// TevrinDemo.exe: the demo's conductor under Wine. Starts the LightJockey stand-in and the
// bridge (its widget emulator already runs on COM3), presses the connect button, raises a
// fader, and reports what the bridge shows and what the stand-in received; then does the same
// with the simulator. With --stay the windows stay open until the user closes the bridge.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tools/windrive/windrive.h"
#include "win32/control_ids.h"

namespace {

using windrive::Control;
using windrive::Text;

void PrintFrame(const char* what, const std::vector<uint8_t>& bytes, int channels) {
    std::printf("%s", what);
    for (int n = 0; n < channels && n < static_cast<int>(bytes.size()); ++n) std::printf(" %d", bytes[n]);
    std::printf("\n");
}

void Report(const char* program, const windrive::StandInLog& log, double seconds) {
    std::printf("%s: the stand-in received %zu frames in %.1f s (%.1f a second)\n", program, log.frames.size(),
                seconds, log.frames.size() / seconds);
    if (log.frames.empty()) return;
    const auto& last = log.frames.back();
    std::printf("  each frame: dwData %llu, cbData %u\n", static_cast<unsigned long long>(last.dwData), last.cbData);
    PrintFrame("  last frame, channels 1 to 24:", last.bytes, 24);
}

struct StandIn {
    std::string log = windrive::WorkPath("standin.log");
    windrive::Process process;
    StandIn() {
        DeleteFileA(log.c_str());
        process = windrive::Launch(windrive::BinPath("LJStandIn.exe"), "--log \"" + log + "\"");
        windrive::WaitUntil([&] { return windrive::ReadStandInLog(log).ready != 0; }, 30000);
    }
};

bool RunBridge(bool stay, double seconds) {
    StandIn standIn;
    windrive::Process bridge = windrive::Launch(windrive::BinPath("Tevrin.exe"), "");
    HWND form = windrive::WaitForWindow(WindowClass::Bridge, 60000);
    if (!form) {
        std::printf("Tevrin: no window\n");
        return false;
    }
    windrive::WaitUntil([&] { return IsWindowVisible(form) != FALSE; }, 30000);
    std::printf("Tevrin: caption \"%s\"\n", Text(form).c_str());
    for (const auto& line : windrive::ListLines(Control(form, ControlId::DevList)))
        std::printf("  DevList: \"%s\"\n", line.c_str());
    windrive::ScrollTo(Control(form, ControlId::scrollCh + 15), 55);  // channel 16 at level 200
    windrive::Click(Control(form, ControlId::cmdFind_LJ));
    std::printf("  button: \"%s\"\n", Text(Control(form, ControlId::cmdFind_LJ)).c_str());
    int64_t connected = windrive::NowMicros();
    if (stay) {
        std::printf("The windows stay open; close the bridge to end the demo.\n");
        std::fflush(stdout);
        bridge.Wait(INFINITE);
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
    windrive::SaveWindowPng(form, windrive::WorkPath("tevrin.png"));
    bridge.Close();
    Report("Tevrin", windrive::ReadStandInLog(standIn.log), (windrive::NowMicros() - connected) / 1e6);
    standIn.process.Close();
    return true;
}

bool RunSimulator() {
    StandIn standIn;
    windrive::Process simulator = windrive::Launch(windrive::BinPath("Brenoth.exe"), "");
    HWND form = windrive::WaitForWindow(WindowClass::Simulator, 30000);
    if (!form) {
        std::printf("Brenoth: no window\n");
        return false;
    }
    windrive::WaitUntil([&] { return IsWindowVisible(form) != FALSE; }, 30000);  // a click on a hidden button is lost
    const int values[8] = {0, 128, 255, 64, 255, 255, 192, 255};
    for (int k = 0; k < 8; ++k) windrive::ScrollTo(Control(form, ControlId::scrollCh + k), values[k]);
    windrive::Click(Control(form, ControlId::cmdFind_LJ));
    std::printf("Brenoth: button \"%s\"\n", Text(Control(form, ControlId::cmdFind_LJ)).c_str());
    int64_t connected = windrive::NowMicros();
    Sleep(1500);
    windrive::SaveWindowPng(form, windrive::WorkPath("brenoth.png"));
    simulator.Close();
    Report("Brenoth", windrive::ReadStandInLog(standIn.log), (windrive::NowMicros() - connected) / 1e6);
    standIn.process.Close();
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
