#pragma once
// The widget module attached to stand-ins for the bridge window's pieces, reset before each
// test, with builders for the packets the widget sends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/fakes/fake_outside.h"
#include "tests/fakes/fake_serial_port.h"
#include "widget/proVCPdriver.h"

using Bytes = std::vector<std::uint8_t>;

inline std::string Text(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

inline Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes joined;
    for (const Bytes& part : parts) joined.insert(joined.end(), part.begin(), part.end());
    return joined;
}

inline Bytes Slice(const Bytes& bytes, std::size_t from, std::size_t to) {
    return Bytes(bytes.begin() + static_cast<long>(from), bytes.begin() + static_cast<long>(to));
}

// Start byte, label, length low and high, data, end byte.
// (Built by push_back after reserve: GCC 12 at -O3 takes an insert after an initializer list
// for a write past the end.)
inline Bytes WidgetPacket(std::uint8_t label, const Bytes& data) {
    Bytes packet;
    packet.reserve(4 + data.size() + 1);
    for (std::uint8_t b : {std::uint8_t{0x7E}, label, static_cast<std::uint8_t>(data.size() & 0xFF),
                           static_cast<std::uint8_t>(data.size() >> 8)})
        packet.push_back(b);
    packet.insert(packet.end(), data.begin(), data.end());
    packet.push_back(0xE7);
    return packet;
}

// A label-5 packet: receive status byte, DMX start code, then the levels from channel 1.
inline Bytes ReceivedDmx(const Bytes& levels, std::uint8_t status = 0x00, std::uint8_t startCode = 0x00) {
    Bytes data;
    data.reserve(2 + levels.size());
    data.push_back(status);
    data.push_back(startCode);
    data.insert(data.end(), levels.begin(), levels.end());
    return WidgetPacket(0x05, data);
}

inline Bytes SameLevels(std::size_t channels, std::uint8_t level) {
    return Bytes(channels, level);
}

// What a record holds after the packet: the packet without its end byte, at most 518 bytes,
// over what the record held before.
inline Bytes RecordAfter(Bytes before, const Bytes& packet) {
    before.resize(proVCPdriver::RecordSize, 0x00);
    const std::size_t copied = std::min(packet.size() - 1, proVCPdriver::RecordSize);
    std::copy(packet.begin(), packet.begin() + static_cast<long>(copied), before.begin());
    return before;
}

inline Bytes DmxIn() {
    return Bytes(proVCPdriver::dmxIn, proVCPdriver::dmxIn + proVCPdriver::RecordSize);
}

inline Bytes ParamsReply() {
    return Bytes(proVCPdriver::paramsReply, proVCPdriver::paramsReply + proVCPdriver::RecordSize);
}

class WidgetTest : public ::testing::Test {
protected:
    void SetUp() override {
        proVCPdriver::ResetModuleForTest();
        proVCPdriver::Attach(&port, &box, &clock, &trace);
    }
    void TearDown() override { proVCPdriver::Attach(nullptr, nullptr, nullptr, nullptr); }

    void OpenPort(std::int16_t number) {
        port.SetPresent(number, true);
        port.SetCommPort(number);
        port.SetPortOpen(true);
    }

    FakeSerialPort port;
    RecordingMsgBox box;
    FakeClock clock;
    StringLabel trace;
};
