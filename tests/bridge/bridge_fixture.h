#pragma once
// The bridge's handlers wired to fakes: 255 serial ports, the window, the message box, the
// trace label and a clock the test moves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bridge/main_form.h"
#include "link/lj_link.h"
#include "tests/bridge/fake_bridge_window.h"
#include "tests/fakes/fake_outside.h"
#include "tests/fakes/fake_serial_port.h"
#include "widget/proVCPdriver.h"
#include "widget/read_hand_off.h"

// A widget's answer to the parameters request: firmware low, high, break, MAB, refresh.
inline std::string ParamsReply(int high, int low) {
    return std::string{'\x7E', '\x03', '\x05', '\x00', static_cast<char>(low), static_cast<char>(high),
                       '\x09', '\x01', '\x28', '\xE7'};
}

// A received-DMX packet of 512 channels with the given levels from channel 1 on.
inline std::string DmxPacket(const std::vector<int>& levels) {
    std::string packet{'\x7E', '\x05', '\x02', '\x02', '\x00', '\x00'};
    for (int n = 0; n < 512; ++n)
        packet += static_cast<char>(n < static_cast<int>(levels.size()) ? levels[n] : 0);
    return packet + '\xE7';
}

class BridgeTest : public ::testing::Test {
protected:
    FakeBridgeWindow window;
    FakeSerialPort ports;
    RecordingMsgBox box;
    StringLabel lblRec;
    FakeClock clock;

    void SetUp() override {
        Brenoth::ResetLinkState();
        proVCPdriver::ResetModuleForTest();
        MainForm::ResetFormState();
        ReadHandOff::Clear();
        MainForm::Attach({&window, &ports, &ports, &box, &lblRec, &clock});
    }

    void AddWidget(std::int16_t port, int high, int low) {
        ports.SetPresent(port, true);
        ports.ScriptReply(port, 3, ParamsReply(high, low));
    }

    // What went to a port after the scan had closed it for the last time.
    std::vector<std::string> WritesAfterScan(std::int16_t port) const {
        std::vector<std::string> bytes;
        for (auto& w : ports.Writes())
            if (w.port == port) bytes.push_back(w.bytes);
        // the scan writes the output packet (label 6) and the parameters request (label 3)
        return std::vector<std::string>(bytes.begin() + 2, bytes.end());
    }
};
