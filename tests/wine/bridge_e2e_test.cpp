// Tevrin.exe between widget emulators on pseudo-terminals mapped as COM ports and the
// LightJockey stand-in, driven and read from this process by window messages only.
// The runner maps COM3 and COM7 to widgets (firmware 1.44 and 2.4; only COM7 streams) and
// COM5 to a device that answers with something else.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "tests/wine/bridge_suite.h"
#include "tools/conductor/conductor.h"
#include "tools/widget_emulator/event_log_reader.h"
#include "win32/control_ids.h"

namespace {

using windrive::Control;
using windrive::Text;
using Levels = std::vector<uint8_t>;

// (Log names avoid "COM7.log" and the like: Windows takes those for the serial device.)
const std::string widget7Log = conductor::WorkPath("widget7.log");
const std::string widget7Control = conductor::WorkPath("widget7.ctl");

using BridgeEndToEnd = BridgeSuite;

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
    auto standIn = conductor::StartStandIn();
    ASSERT_TRUE(standIn.ready);
    ASSERT_TRUE(windrive::ScrollTo(Control(form, ControlId::scrollCh + 15), 0));  // channel 16 at the top
    windrive::Click(Control(form, ControlId::cmdFind_LJ));
    EXPECT_EQ(Label(ControlId::cmdFind_LJ), "LJ READY !");
    ASSERT_TRUE(windrive::WaitUntil([&] { return standIn.Read().frames.size() >= 40; }, 30000));

    auto sent = widgetEmulator::ReadSentFrames(widget7Log);
    std::set<Levels> expected;
    for (const auto& frame : sent) {
        if (frame.startCode != 0 || frame.stalled || frame.levels.size() != 512) continue;
        Levels levels = frame.levels;
        levels[15] = 255;     // the fader wins over whatever the desk sends on channel 16
        levels.resize(511);   // channel 512 is not handed over
        expected.insert(levels);
    }
    auto delivered = standIn.Read().frames;
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

    standIn.Stop();
    Sleep(1000);
    EXPECT_TRUE(bridge.process.Running()) << "LightJockey going away leaves the bridge running";
    EXPECT_EQ(Label(ControlId::cmdFind_LJ), "LJ not READY !");
}

TEST_F(BridgeEndToEnd, RateFallsToZeroWhenTheDeskStopsAndTheFeedGoesOn) {
    auto standIn = conductor::StartStandIn("standin2.log");
    ASSERT_TRUE(standIn.ready);
    windrive::Click(Control(form, ControlId::cmdFind_LJ));

    conductor::SendEmulatorCommand(widget7Control, "stop");
    EXPECT_TRUE(windrive::WaitUntil([&] { return Label(ControlId::lblFPS) == "0"; }, 10000)) << Label(ControlId::lblFPS);
    size_t before = standIn.Read().frames.size();
    Sleep(1000);
    EXPECT_GT(standIn.Read().frames.size(), before + 5) << "the feed goes on";
    EXPECT_TRUE(bridge.process.Running());

    conductor::SendEmulatorCommand(widget7Control, "start");
    EXPECT_TRUE(windrive::WaitUntil([&] { return Label(ControlId::lblFPS) != "0"; }, 10000));
    windrive::SaveWindowPng(form, conductor::WorkPath("tevrin.png"));
    standIn.Stop();
}

}  // namespace
