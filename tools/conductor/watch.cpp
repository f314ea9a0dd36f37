#include "tools/conductor/conductor.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "win32/control_ids.h"

namespace conductor {
namespace {

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

}  // namespace

int MessageBoxesOf(DWORD processId, std::string& firstText) {
    BoxSearch search{processId, 0, nullptr};
    EnumWindows(CountBoxOf, reinterpret_cast<LPARAM>(&search));
    if (search.first) firstText = windrive::MessageBoxText(search.first);
    return search.count;
}

std::string BridgeStatus(const Program& bridge, int boxes) {
    return "fps=" + windrive::Text(windrive::Control(bridge.window, ControlId::lblFPS)) +
           " handles=" + std::to_string(HandleCount(bridge.process)) + " boxes=" + std::to_string(boxes) +
           " error=" + windrive::Text(windrive::Control(bridge.window, ControlId::lblError));
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

}  // namespace conductor
