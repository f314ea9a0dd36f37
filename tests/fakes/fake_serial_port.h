#pragma once
// A stand-in for MSComm1 in native tests: ports 1..255, each present or not, and the list of
// present ones. A present port
// answers each packet written to it with the reply scripted for that packet's label, and keeps
// a record of every write. Errors are the ones MSComm raises, by number and text.
// While reading, what arrives is handed over at once as one read, as the port's reader does,
// and an unplugged port's reader hands over a failed read and stops.
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "widget/serial_port.h"

class FakeSerialPort : public SerialPort, public SerialPortList {
public:
    struct Write {
        std::int16_t port;
        std::string bytes;
    };

    // A port that is not present (the default) does not open.
    void SetPresent(std::int16_t port, bool present);
    // Every later write to the port of a packet with that label puts the reply in its receive
    // buffer at once.
    void ScriptReply(std::int16_t port, std::uint8_t label, const std::string& reply);
    // Bytes arriving on the port now; lost unless the port is the open one. While reading, one
    // read handed over.
    void Deliver(std::int16_t port, const std::string& bytes);
    // The device goes away: the port stops being present, and every operation on it while it
    // is still open raises an error until it is closed. Replug brings it back.
    void Unplug(std::int16_t port);
    void Replug(std::int16_t port) { SetPresent(port, true); }
    const std::vector<Write>& Writes() const { return writes_; }
    // The ports written to, in order of their first write.
    std::vector<std::int16_t> PortsWritten() const;
    // Times the port was opened.
    int Opens(std::int16_t port) const { return lines_[static_cast<std::size_t>(port)].opens; }
    void ClearWrites() { writes_.clear(); }
    bool Reading() const { return reading_; }
    // The generation the last reading was started with.
    std::uint32_t ReadingGeneration() const { return generation_; }
    // Times the window was told that reads were waiting.
    int notices = 0;

    // Whether opening a port that is not present raises an error (true) or just leaves the
    // port closed.
    bool throwOnFailedOpen = true;

    void SetCommPort(std::int16_t port) override;
    std::int16_t CommPort() const override { return commPort_; }
    void SetPortOpen(bool open) override;
    bool PortOpen() const override { return open_; }
    std::int16_t InBufferCount() override;
    std::string Input() override;
    void Output(const std::string& bytes) override;
    void StartReading(std::uint32_t generation) override;
    void StopReading() override { reading_ = false; }

    PortSet PresentPorts() override;

private:
    struct Line {
        bool present = false;
        std::string received;
        std::map<std::uint8_t, std::string> replies;
        int opens = 0;
    };
    Line& LineOf(std::int16_t port);
    Line& OpenLine();
    void HandOver(bool failed, std::string bytes);

    std::array<Line, HighestPort + 1> lines_;  // index = port number; 0 unused
    std::int16_t commPort_ = 1;
    bool open_ = false;
    bool gone_ = false;  // the open port's device was unplugged
    bool reading_ = false;
    std::uint32_t generation_ = 0;
    std::vector<Write> writes_;
};
