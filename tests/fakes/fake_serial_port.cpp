#include "tests/fakes/fake_serial_port.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "common/numbered_error.h"
#include "widget/read_hand_off.h"

namespace {
constexpr long InvalidPortNumber = 8002;
constexpr long PortAlreadyOpen = 8005;
constexpr long DeviceGone = 22;  // ERROR_BAD_COMMAND, what Windows reports for an unplugged USB port

}  // namespace

FakeSerialPort::Line& FakeSerialPort::LineOf(std::int16_t port) {
    if (port < 1 || port > HighestPort) throw NumberedError(InvalidPortNumber, "Invalid port number");
    return lines_[static_cast<std::size_t>(port)];
}

FakeSerialPort::Line& FakeSerialPort::OpenLine() {
    if (!open_) throw PortNotOpenError();
    if (gone_) throw NumberedError(DeviceGone, "The device does not recognize the command.");
    return lines_[static_cast<std::size_t>(commPort_)];
}

void FakeSerialPort::SetPresent(std::int16_t port, bool present) {
    LineOf(port).present = present;
}

void FakeSerialPort::ScriptReply(std::int16_t port, std::uint8_t label, const std::string& reply) {
    LineOf(port).replies[label] = reply;
}

void FakeSerialPort::Deliver(std::int16_t port, const std::string& bytes) {
    if (!open_ || port != commPort_) return;
    if (reading_) HandOver(false, bytes);
    else LineOf(port).received += bytes;
}

void FakeSerialPort::HandOver(bool failed, std::string bytes) {
    if (ReadHandOff::Put(ReadHandOff::PortRead{generation_, failed, false, std::move(bytes)})) ++notices;
}

void FakeSerialPort::StartReading(std::uint32_t generation) {
    OpenLine();
    reading_ = true;
    generation_ = generation;
    std::string waiting;
    waiting.swap(OpenLine().received);
    if (!waiting.empty()) HandOver(false, std::move(waiting));
}

void FakeSerialPort::SetCommPort(std::int16_t port) {
    if (open_) throw NumberedError(PortAlreadyOpen, "Port already open");
    LineOf(port);
    commPort_ = port;
}

void FakeSerialPort::Unplug(std::int16_t port) {
    SetPresent(port, false);
    if (!open_ || port != commPort_) return;
    gone_ = true;
    if (!reading_) return;
    reading_ = false;
    HandOver(true, std::string());
}

void FakeSerialPort::SetPortOpen(bool open) {
    if (!open) {
        open_ = false;
        gone_ = false;
        reading_ = false;
        return;
    }
    if (open_) throw NumberedError(PortAlreadyOpen, "Port already open");
    Line& line = LineOf(commPort_);
    if (!line.present) {
        if (throwOnFailedOpen) throw NumberedError(InvalidPortNumber, "Invalid port number");
        return;
    }
    line.received.clear();  // a port opens with an empty receive buffer
    ++line.opens;
    open_ = true;
}

std::vector<std::int16_t> FakeSerialPort::PortsWritten() const {
    std::vector<std::int16_t> ports;
    for (const Write& w : writes_)
        if (std::find(ports.begin(), ports.end(), w.port) == ports.end()) ports.push_back(w.port);
    return ports;
}

PortSet FakeSerialPort::PresentPorts() {
    PortSet present;
    for (std::int16_t port = 1; port <= HighestPort; ++port) present[static_cast<std::size_t>(port)] = LineOf(port).present;
    return present;
}

std::int16_t FakeSerialPort::InBufferCount() {
    const std::size_t waiting = OpenLine().received.size();
    return static_cast<std::int16_t>(std::min<std::size_t>(waiting, std::numeric_limits<std::int16_t>::max()));
}

std::string FakeSerialPort::Input() {
    std::string bytes;
    bytes.swap(OpenLine().received);
    return bytes;
}

void FakeSerialPort::Output(const std::string& bytes) {
    Line& line = OpenLine();
    writes_.push_back(Write{commPort_, bytes});
    if (bytes.size() < 2) return;
    const auto reply = line.replies.find(static_cast<std::uint8_t>(bytes[1]));
    if (reply == line.replies.end()) return;
    if (reading_) HandOver(false, reply->second);
    else line.received += reply->second;
}
