#include "tools/bench/conductor.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "win32/control_ids.h"

namespace conductor {

namespace {

HANDLE eventLog = INVALID_HANDLE_VALUE;
int64_t logOpenedAt = 0;

constexpr const char* ReadyCaption = "LJ READY !";
constexpr int ConnectAttempts = 5;

// NtQuerySystemInformation's list of every open handle (class 16), as laid out on x64.
constexpr ULONG SystemHandleInformation = 16;
constexpr LONG StatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);
struct HandleEntry {
    ULONG ownerProcessId;
    BYTE objectType;
    BYTE flags;
    USHORT handle;
    void* object;
    ULONG access;
};
struct HandleList {
    ULONG count;
    HandleEntry handles[1];
};

struct BoxSearch {
    DWORD processId;
    int count;
    HWND first;
};

BOOL CALLBACK CountBoxOf(HWND window, LPARAM lParam) {
    auto& search = *reinterpret_cast<BoxSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char cls[16] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (owner == search.processId && std::strcmp(cls, "#32770") == 0 && IsWindowVisible(window)) {
        if (search.count++ == 0) search.first = window;
    }
    return TRUE;
}

// Appends through a handle shared every way: the other side reads the file while it grows.
bool AppendToFile(const std::string& path, const std::string& text, HANDLE open = INVALID_HANDLE_VALUE) {
    HANDLE file = open;
    if (file == INVALID_HANDLE_VALUE)
        file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
              written == text.size();
    if (open == INVALID_HANDLE_VALUE) CloseHandle(file);
    return ok;
}

}  // namespace

bool OpenEventLog(const std::string& path) {
    DeleteFileA(path.c_str());
    eventLog = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    logOpenedAt = windrive::NowMicros();
    return eventLog != INVALID_HANDLE_VALUE;
}

void Note(const std::string& event) {
    int64_t now = windrive::NowMicros();
    AppendToFile("", std::to_string(now) + " " + event + "\n", eventLog);
    std::printf("[%6.1f s] %s\n", (now - logOpenedAt) / 1e6, event.c_str());
    std::fflush(stdout);
}

bool StartStandIn(StandIn& standIn, const std::string& logName) {
    standIn.log = windrive::WorkPath(logName);
    DeleteFileA(standIn.log.c_str());
    standIn.process = windrive::Launch(windrive::BinPath("LJStandIn.exe"), "--log \"" + standIn.log + "\"");
    return standIn.process.Started() &&
           windrive::WaitUntil([&] { return windrive::ReadStandInLog(standIn.log).ready != 0; }, 30000);
}

HWND LaunchAndWaitShown(windrive::Process& process, const char* exeName, const char* windowClass,
                        DWORD timeoutMs) {
    process = windrive::Launch(windrive::BinPath(exeName), "");
    if (!process.Started()) return nullptr;
    HWND form = windrive::WaitForWindow(windowClass, timeoutMs);
    if (!form || !windrive::WaitUntil([&] { return IsWindowVisible(form) != FALSE; }, timeoutMs)) return nullptr;
    return form;
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

int MessageBoxesOf(DWORD processId, std::string& firstText) {
    BoxSearch search{processId, 0, nullptr};
    EnumWindows(CountBoxOf, reinterpret_cast<LPARAM>(&search));
    if (search.first) firstText = windrive::MessageBoxText(search.first);
    return search.count;
}

// Wine's GetProcessHandleCount answers 0 for every process; the system's handle list, which
// Wine builds from the wineserver's handle tables, tells the truth.
long HandleCount(const windrive::Process& process) {
    using QuerySystemInformation = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
    static const auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query || !process.info.hProcess) return -1;
    std::vector<unsigned char> buffer(1 << 16);
    LONG status = 0;
    for (int attempt = 0; attempt < 8; ++attempt) {
        ULONG needed = 0;
        status = query(SystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status != StatusInfoLengthMismatch) break;
        buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 4096));
    }
    if (status != 0) return -1;
    const auto& list = *reinterpret_cast<const HandleList*>(buffer.data());
    long count = 0;
    for (ULONG i = 0; i < list.count; ++i)
        if (list.handles[i].ownerProcessId == process.info.dwProcessId) ++count;
    return count;
}

bool SendEmulatorCommand(const std::string& controlPath, const std::string& command) {
    return AppendToFile(controlPath, command + "\n");
}

bool ParseOptions(int argc, char** argv, Option* options, int count) {
    for (int i = 1; i < argc; i += 2) {
        Option* match = nullptr;
        for (int k = 0; k < count; ++k)
            if (std::strcmp(argv[i], options[k].name) == 0) match = &options[k];
        if (!match || i + 1 >= argc) return false;
        *match->value = argv[i + 1];
    }
    return true;
}

double SecondsOption(const std::string& text, double fallback) {
    char* end = nullptr;
    double seconds = std::strtod(text.c_str(), &end);
    return text.empty() || *end != '\0' || seconds <= 0 ? fallback : seconds;
}

}  // namespace conductor
