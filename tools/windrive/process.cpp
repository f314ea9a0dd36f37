#include "windrive.h"

#include <utility>

namespace windrive {
namespace {

void CloseHandles(PROCESS_INFORMATION& info) {
    if (info.hThread) CloseHandle(info.hThread);
    if (info.hProcess) CloseHandle(info.hProcess);
    info = {};
}

struct CloseRequest {
    DWORD processId;
    int posted;
};

BOOL CALLBACK PostCloseIfOwned(HWND hwnd, LPARAM lParam) {
    auto* request = reinterpret_cast<CloseRequest*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == request->processId && IsWindowVisible(hwnd)) {
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
        ++request->posted;
    }
    return TRUE;
}

}  // namespace

Process::Process(Process&& other) noexcept : info(std::exchange(other.info, {})) {}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        if (Running()) Kill();
        CloseHandles(info);
        info = std::exchange(other.info, {});
    }
    return *this;
}

Process::~Process() {
    if (Running()) Kill();
    CloseHandles(info);
}

bool Process::Running() const {
    return info.hProcess && WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT;
}

// Only visible windows, the ones a user could close: Wine's hidden IME windows are left alone.
// Asked again every half second, because closing a message box may bring up the main window.
void Process::Close(DWORD timeoutMs) {
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (Running()) {
        CloseRequest request{info.dwProcessId, 0};
        EnumWindows(PostCloseIfOwned, reinterpret_cast<LPARAM>(&request));
        ULONGLONG now = GetTickCount64();
        if (now >= deadline) break;
        DWORD slice = static_cast<DWORD>(deadline - now < 500 ? deadline - now : 500);
        if (WaitForSingleObject(info.hProcess, slice) == WAIT_OBJECT_0) return;
    }
    Kill();
}

void Process::Kill() {
    if (!Running()) return;
    TerminateProcess(info.hProcess, 1);
    WaitForSingleObject(info.hProcess, 5000);
}

DWORD Process::Wait(DWORD ms) {
    if (!info.hProcess) return STILL_ACTIVE;
    if (WaitForSingleObject(info.hProcess, ms) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info.hProcess, &code);
    return code;
}

Process Launch(const std::string& exePath, const std::string& args) {
    std::string commandLine = "\"" + exePath + "\"";
    if (!args.empty()) commandLine += " " + args;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    Process process;
    if (!CreateProcessA(exePath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process.info))
        process.info = {};
    return process;
}

}  // namespace windrive
