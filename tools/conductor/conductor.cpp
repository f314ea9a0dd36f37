#include "tools/conductor/conductor.h"

#include <cstdlib>

#include "win32/control_ids.h"

namespace conductor {
namespace {

constexpr const char* ReadyCaption = "LJ READY !";
constexpr int ConnectAttempts = 5;

// "" when the variable is not set.
std::string Env(const char* name) {
    char value[32768];
    DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

std::string Joined(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    char last = folder.back();
    return last == '\\' || last == '/' ? folder + name : folder + "\\" + name;
}

std::string OwnFolder() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n);
    size_t cut = s.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : s.substr(0, cut);
}

std::string TempFolder() {
    char path[MAX_PATH];
    DWORD n = GetTempPathA(MAX_PATH, path);
    return std::string(path, n);
}

}  // namespace

std::string BinPath(const std::string& exeName) {
    std::string bin = Env("TEVRIN_BIN");
    return Joined(bin.empty() ? OwnFolder() : bin, exeName);
}

std::string WorkPath(const std::string& name) {
    std::string work = Env("TEVRIN_WORK");
    return Joined(work.empty() ? TempFolder() : work, name);
}

StandIn StartStandIn(const std::string& logName, const std::string& arguments) {
    StandIn standIn;
    standIn.log = WorkPath(logName);
    DeleteFileA(standIn.log.c_str());
    std::string args = "--log \"" + standIn.log + "\"";
    if (!arguments.empty()) args = arguments + " " + args;
    standIn.process = windrive::Launch(BinPath("LJStandIn.exe"), args);
    standIn.ready = standIn.process.Started() &&
                    windrive::WaitUntil([&] { return standIn.Read().ready != 0; }, StartTimeoutMs);
    return standIn;
}

Program Launch(const std::string& exeName, const std::string& args) {
    Program program;
    program.process = windrive::Launch(BinPath(exeName), args);
    return program;
}

bool WaitForWindow(Program& program, const char* windowClass, DWORD timeoutMs) {
    if (!program.process.Started()) return false;
    HWND window = windrive::WaitForWindow(windowClass, timeoutMs);
    if (!window || !windrive::WaitUntil([&] { return IsWindowVisible(window) != FALSE; }, timeoutMs)) return false;
    program.window = window;
    return true;
}

Program Start(const std::string& exeName, const char* windowClass, const std::string& args) {
    Program program = Launch(exeName, args);
    WaitForWindow(program, windowClass);
    return program;
}

std::string Connect(HWND form) {
    HWND button = windrive::Control(form, ControlId::cmdFind_LJ);
    std::string caption;
    for (int attempt = 0; attempt < ConnectAttempts; ++attempt) {
        windrive::Click(button);
        caption = windrive::Text(button);
        if (caption == ReadyCaption) break;
        Sleep(500);
    }
    return caption;
}

double ShownRate(HWND bridgeForm) {
    std::string text = windrive::Text(windrive::Control(bridgeForm, ControlId::lblFPS));
    char* end = nullptr;
    double rate = std::strtod(text.c_str(), &end);
    return text.empty() || *end != '\0' ? -1.0 : rate;
}

bool WaitForShownRate(HWND bridgeForm, DWORD timeoutMs) {
    return windrive::WaitUntil([&] { return ShownRate(bridgeForm) > 0.0; }, timeoutMs);
}

}  // namespace conductor
