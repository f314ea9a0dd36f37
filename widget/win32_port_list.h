#pragma once
// The serial ports Windows lists in HKLM\HARDWARE\DEVICEMAP\SERIALCOMM: every port driver
// (USB adapters included) adds its COMn there while the device is present and removes it when
// the device goes, so the list is read without opening a port. Under Wine the list holds every
// port mapped in the prefix, device or not, so there a port also needs its Unix device.
#include <windows.h>

#include "widget/serial_port.h"

class Win32SerialPortList : public SerialPortList {
public:
    Win32SerialPortList();
    PortSet PresentPorts() override;

    // Wine's own export (kernel32): the Unix file a Windows name stands for, or null.
    using UnixFileName = char*(CDECL*)(const WCHAR* dosName);

private:
    FILETIME lastChange_ = {};
    PortSet listed_;
    UnixFileName wineUnixFileName_ = nullptr;  // null on Windows
};
