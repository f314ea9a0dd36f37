#include "widget/win32_port_list.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr const char* SerialCommKey = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

// "COM7" gives 7; anything else (another naming, a number out of range) gives 0.
int PortNumber(const char* name) {
    if (std::strncmp(name, "COM", 3) != 0) return 0;
    char* end = nullptr;
    const long number = std::strtol(name + 3, &end, 10);
    return end != name + 3 && *end == '\0' && number >= 1 && number <= HighestPort ? static_cast<int>(number) : 0;
}

PortSet ReadPorts(HKEY key) {
    PortSet present;
    for (DWORD index = 0;; ++index) {
        char valueName[256];
        DWORD nameSize = sizeof valueName;
        char data[64] = {};
        DWORD dataSize = sizeof data - 1;  // room for a terminator the value may lack
        DWORD type = 0;
        const LONG result = RegEnumValueA(key, index, valueName, &nameSize, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data), &dataSize);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result != ERROR_SUCCESS || type != REG_SZ) continue;
        if (const int port = PortNumber(data)) present[static_cast<std::size_t>(port)] = true;
    }
    return present;
}

// Wine lists in SERIALCOMM every port mapped in its prefix from its start, whether the Unix
// device behind it (/dev/ttyUSB0, a pseudo-terminal) exists or not, so a widget plugged in later
// would never appear. Wine resolves \\.\COMn through the prefix's dosdevices link and names a
// Unix file only when the device behind the link exists: a stat, with no port opened (opening
// one toggles its control lines, and 255 opens cost a few hundred ms under Wine). Windows keeps
// the list as its drivers write it: the check is looked up only where ntdll is Wine's. A Wine
// without the export gets the list alone, every listed port present, as before.
Win32SerialPortList::UnixFileName WineUnixFileName() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return nullptr;
    return reinterpret_cast<Win32SerialPortList::UnixFileName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
}

bool WineDeviceThere(Win32SerialPortList::UnixFileName unixFileName, int port) {
    const std::wstring name = L"\\\\.\\COM" + std::to_wstring(port);
    char* unixName = unixFileName(name.c_str());
    if (!unixName) return false;
    HeapFree(GetProcessHeap(), 0, unixName);  // Wine allocates it from the process heap
    return true;
}

}  // namespace

Win32SerialPortList::Win32SerialPortList() : wineUnixFileName_(WineUnixFileName()) {}

PortSet Win32SerialPortList::PresentPorts() {
    HKEY key = nullptr;
    // The key exists only while some serial port does.
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SerialCommKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return PortSet{};
    FILETIME changed = {};
    // Reading the values is the costly part (under Wine, 255 of them): only when the key changed.
    const bool known = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                        nullptr, nullptr, nullptr, &changed) == ERROR_SUCCESS &&
                       CompareFileTime(&changed, &lastChange_) == 0 &&
                       (changed.dwLowDateTime | changed.dwHighDateTime) != 0;
    if (!known) {
        listed_ = ReadPorts(key);
        lastChange_ = changed;
    }
    RegCloseKey(key);
    if (!wineUnixFileName_) return listed_;
    PortSet present;
    for (int port = 1; port <= HighestPort; ++port)
        if (listed_[static_cast<std::size_t>(port)] && WineDeviceThere(wineUnixFileName_, port))
            present[static_cast<std::size_t>(port)] = true;
    return present;
}
