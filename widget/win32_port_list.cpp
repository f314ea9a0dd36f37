#include "widget/win32_port_list.h"

#include <cstdlib>
#include <cstring>

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

}  // namespace

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
        present_ = ReadPorts(key);
        lastChange_ = changed;
    }
    RegCloseKey(key);
    return present_;
}
