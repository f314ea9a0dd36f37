#pragma once
// The serial-port component the bridge talks to the widget through (MSComm1 on the window).
// Configuration is fixed: 9600 baud, no parity, 8 data bits, 1 stop bit, no handshaking,
// receive buffer 1024 bytes, send buffer 512 bytes, reads that never wait. Every byte 0..255
// passes unchanged both ways; a std::string holds one byte per char.
// While the widget is in use the port waits for its bytes instead: a reader of the port's own
// hands each read over as it comes (read_hand_off.h).
// A failing operation throws NumberedError carrying the system's description.
#include <bitset>
#include <cstdint>
#include <string>

#include "common/numbered_error.h"

// What an operation that needs an open port raises while it is closed (MSComm's number and
// text); the widget module raises the same when it has no port.
inline NumberedError PortNotOpenError() {
    return NumberedError(8018, "Operation valid only when the port is open");
}

// COM1 to COM255: every number Windows gives a serial port.
constexpr std::int16_t HighestPort = 255;

class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Only while closed; the next open uses that port (1..HighestPort).
    virtual void SetCommPort(std::int16_t port) = 0;
    virtual std::int16_t CommPort() const = 0;

    // Open (true) or close (false). A port counts as open only once it is configured:
    // an open that cannot configure the port leaves PortOpen() false.
    virtual void SetPortOpen(bool open) = 0;
    virtual bool PortOpen() const = 0;

    // Received bytes waiting.
    virtual std::int16_t InBufferCount() = 0;
    // All waiting bytes, in arrival order; they leave the buffer.
    virtual std::string Input() = 0;
    // Writes every char as one byte, in order, in one write.
    virtual void Output(const std::string& bytes) = 0;

    // Only while open: from now on every read of the port is put into ReadHandOff as it comes,
    // tagged with `generation`, and the window is told. A read that fails is put there as
    // failed, and the reading stops with it. Bytes waiting already are the first read.
    virtual void StartReading(std::uint32_t generation) = 0;
    // Returns once nothing more will be put into ReadHandOff. Closing the port stops the reading
    // first; reads already handed over stay there.
    virtual void StopReading() = 0;
};

// The serial ports that exist right now, by number (bit n: COMn), as the system lists them,
// without opening any: cheap enough to ask every few seconds.
using PortSet = std::bitset<HighestPort + 1>;

class SerialPortList {
public:
    virtual ~SerialPortList() = default;
    virtual PortSet PresentPorts() = 0;
};
