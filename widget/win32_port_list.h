#pragma once
// The serial ports Windows lists in HKLM\HARDWARE\DEVICEMAP\SERIALCOMM: every port driver
// (USB adapters included) adds its COMn there while the device is present and removes it when
// the device goes, so the list is read without opening a port. Under Wine it holds every port
// mapped in the prefix.
#include <windows.h>

#include "widget/serial_port.h"

class Win32SerialPortList : public SerialPortList {
public:
    PortSet PresentPorts() override;

private:
    FILETIME lastChange_ = {};
    PortSet present_;
};
