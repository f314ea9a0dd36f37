// Tevrin.exe between widget emulators on pseudo-terminals mapped as COM ports and the
// LightJockey stand-in, driven and read from this process by window messages only.
// The runner maps COM3 and COM7 to widgets (firmware 1.44 and 2.4; only COM7 streams) and
// COM5 to a device that answers with something else.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tools/windrive/windrive.h"
#include "win32/control_ids.h"

namespace {

using windrive::Control;
using windrive::Text;
using Levels = std::vector<uint8_t>;

// (Log names avoid "COM7.log" and the like: Windows takes those for the serial device.)
// The levels of every label-5 packet the emulator sent, from its log ("TIME dmx seq=N sc=SS HEX").
std::vector<Levels> EmulatorFrames(const std::string& logPath) {
    std::vector<Levels> frames;
    std::ifstream log(logPath);
    std::string line;
    while (std::getline(log, line)) {
        std::istringstream fields(line);
        std::string time, kind, seq, startCode, hex;
        fields >> time >> kind >> seq >> startCode >> hex;
        if (kind != "dmx" || startCode != "sc=00" || hex.size() != 1024) continue;
        Levels levels(512);
        for (size_t n = 0; n < 512; ++n) levels[n] = static_cast<uint8_t>(std::stoi(hex.substr(2 * n, 2), nullptr, 16));
        frames.push_back(levels);
    }
    return frames;
}

void AppendLine(const std::string& path, const std::string& line) {
    std::ofstream(path, std::ios::app) << line << "\n";
}

class BridgeEndToEnd : public ::testing::Test {
protected:
    static windrive::Process bridge;
    static HWND form;

    static void SetUpTestSuite() {
        bridge = windrive::Launch(windrive::BinPath("Tevrin.exe"), "");
        form = windrive::WaitForWindow(WindowClass::Bridge, 60000);
        if (form) windrive::WaitUntil([] { return IsWindowVisible(form) != FALSE; }, 60000);
    }
    static void TearDownTestSuite() { bridge.Close(); }

    void SetUp() override { ASSERT_NE(form, nullptr) << "the bridge window did not open"; }
    std::string Label(int id) const { return Text(Control(form, id)); }
};

windrive::Process BridgeEndToEnd::bridge;
HWND BridgeEndToEnd::form = nullptr;

TEST_F(BridgeEndToEnd, FindsBothWidgetsAndOpensTheHigherOne) {
    EXPECT_EQ(Text(form), "Firmware Version: 2.4");
    std::vector<std::string> expected = {"Com 3", "Pro Widget - Com:  3", "Com 5", "Com 7", "Pro Widget - Com:  7"};
    EXPECT_EQ(windrive::ListLines(Control(form, ControlId::DevList)), expected);
}

TEST_F(BridgeEndToEnd, ShowsTheLinkReadyAndTheWidgetsFrameRate) {
    EXPECT_TRUE(windrive::WaitUntil([&] { return Label(ControlId::lblError) == "0 Ready"; }, 10000))
        << Label(ControlId::lblError);
    EXPECT_TRUE(windrive::WaitUntil([&] {
        std::string fps = Label(ControlId::lblFPS);
        return fps == "43" || fps == "44" || fps == "45";
    }, 10000)) << Label(ControlId::lblFPS);
    EXPECT_EQ(Label(ControlId::lblRec).rfind("Rec: 7E 5 2 2 0 0 ", 0), 0u) << Label(ControlId::lblRec);
}

TEST_F(BridgeEndToEnd, FeedsTheDesksLevelsMergedWithAFader) {
    std::string standInLog = windrive::WorkPath("standin.log");
    auto standIn = windrive::Launch(windrive::BinPath("LJStandIn.exe"), "--log \"" + standInLog + "\"");
    ASSERT_TRUE(windrive::WaitUntil([&] { return windrive::ReadStandInLog(standInLog).ready != 0; }, 20000));
    ASSERT_TRUE(windrive::ScrollTo(Control(form, ControlId::scrollCh + 15), 0));  // channel 16 at the top
    windrive::Click(Control(form, ControlId::cmdFind_LJ));
    EXPECT_EQ(Label(ControlId::cmdFind_LJ), "LJ READY !");
    ASSERT_TRUE(windrive::WaitUntil([&] { return windrive::ReadStandInLog(standInLog).frames.size() >= 40; }, 30000));

    auto sent = EmulatorFrames(windrive::WorkPath("widget7.log"));
    std::set<Levels> expected;
    for (auto levels : sent) {
        levels[15] = 255;     // the fader wins over whatever the desk sends on channel 16
        levels.resize(511);   // channel 512 is not handed over
        expected.insert(levels);
    }
    auto delivered = windrive::ReadStandInLog(standInLog).frames;
    size_t matching = 0, with126 = 0, with231 = 0;
    for (const auto& frame : delivered) {
        if (expected.count(frame.bytes)) ++matching;
        if (frame.bytes.size() == 511 && frame.bytes[20] == 126) ++with126;
        if (frame.bytes.size() == 511 && frame.bytes[19] == 231) ++with231;
    }
    std::printf("%zu frames delivered, %zu equal to one of the %zu frames the widget sent\n", delivered.size(),
                matching, sent.size());
    EXPECT_EQ(matching, delivered.size()) << "every delivered frame is one the widget sent";
    EXPECT_EQ(with126, delivered.size());
    EXPECT_EQ(with231, delivered.size());
    EXPECT_EQ(Label(ControlId::lblChValue + 15), "255");

    standIn.Close();
    Sleep(1000);
    EXPECT_TRUE(bridge.Running()) << "LightJockey going away leaves the bridge running";
    EXPECT_EQ(Label(ControlId::cmdFind_LJ), "LJ not READY !");
}

TEST_F(BridgeEndToEnd, RateFallsToZeroWhenTheDeskStopsAndTheFeedGoesOn) {
    std::string standInLog = windrive::WorkPath("standin2.log");
    auto standIn = windrive::Launch(windrive::BinPath("LJStandIn.exe"), "--log \"" + standInLog + "\"");
    ASSERT_TRUE(windrive::WaitUntil([&] { return windrive::ReadStandInLog(standInLog).ready != 0; }, 20000));
    windrive::Click(Control(form, ControlId::cmdFind_LJ));

    AppendLine(windrive::WorkPath("widget7.ctl"), "stop");
    EXPECT_TRUE(windrive::WaitUntil([&] { return Label(ControlId::lblFPS) == "0"; }, 10000)) << Label(ControlId::lblFPS);
    size_t before = windrive::ReadStandInLog(standInLog).frames.size();
    Sleep(1000);
    EXPECT_GT(windrive::ReadStandInLog(standInLog).frames.size(), before + 5) << "the feed goes on";
    EXPECT_TRUE(bridge.Running());

    AppendLine(windrive::WorkPath("widget7.ctl"), "start");
    EXPECT_TRUE(windrive::WaitUntil([&] { return Label(ControlId::lblFPS) != "0"; }, 10000));
    windrive::SaveWindowPng(form, windrive::WorkPath("tevrin.png"));
    standIn.Close();
}

}  // namespace
