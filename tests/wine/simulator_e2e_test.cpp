// Brenoth.exe against the LightJockey stand-in, driven from this process by window messages
// only, as a user and LightJockey would meet it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tools/conductor/conductor.h"
#include "win32/control_ids.h"

namespace {

using windrive::Control;
using windrive::Text;

struct Simulator {
    conductor::Program program = conductor::Start("Brenoth.exe", WindowClass::Simulator);
    HWND form = program.window;
    HWND Fader(int k) const { return Control(form, ControlId::scrollCh + k); }
    HWND ValueLabel(int k) const { return Control(form, ControlId::lblChValue + k); }
    HWND Button() const { return Control(form, ControlId::cmdFind_LJ); }
};

bool WaitForFrames(const conductor::StandIn& standIn, size_t count) {
    return windrive::WaitUntil([&] { return standIn.Read().frames.size() >= count; }, 20000);
}

TEST(SimulatorEndToEnd, OpensAsLaidOutWithEveryFaderAtLevelZero) {
    Simulator sim;
    ASSERT_NE(sim.form, nullptr);
    EXPECT_EQ(Text(sim.form), "Dravenly LJ DMX IN Simulator");
    EXPECT_EQ(Text(sim.Button()), "Press To Connect");
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(windrive::ScrollPos(sim.Fader(k)), 255) << "fader " << k;
        EXPECT_EQ(Text(sim.ValueLabel(k)), "0") << "label " << k;
    }
    EXPECT_EQ(Control(sim.form, ControlId::scrollCh + 8), nullptr);
    windrive::SaveWindowPng(sim.form, conductor::WorkPath("simulator.png"));
}

TEST(SimulatorEndToEnd, FeedsTheFaderLevelsOnceConnected) {
    auto standIn = conductor::StartStandIn("ready.log");
    ASSERT_TRUE(standIn.ready);
    Simulator sim;
    ASSERT_NE(sim.form, nullptr);
    ASSERT_TRUE(windrive::ScrollTo(sim.Fader(0), 0)) << "stopped at " << windrive::ScrollPos(sim.Fader(0));
    ASSERT_TRUE(windrive::ScrollTo(sim.Fader(1), 128)) << "stopped at " << windrive::ScrollPos(sim.Fader(1));
    windrive::ScrollKey(sim.Fader(7), VK_HOME);
    EXPECT_TRUE(windrive::WaitUntil([&] { return Text(sim.ValueLabel(1)) == "127"; }, 5000));
    EXPECT_EQ(Text(sim.ValueLabel(0)), "255");
    EXPECT_EQ(Text(sim.ValueLabel(7)), "255");
    Sleep(300);
    EXPECT_TRUE(standIn.Read().frames.empty()) << "nothing is sent before connecting";

    windrive::Click(sim.Button());
    EXPECT_EQ(Text(sim.Button()), "LJ READY !");
    ASSERT_TRUE(WaitForFrames(standIn, 20));

    auto log = standIn.Read();
    std::vector<uint8_t> expected(511, 0);
    expected[0] = 255;
    expected[1] = 127;
    expected[7] = 255;
    std::vector<double> spacing;
    for (size_t i = 0; i < log.frames.size(); ++i) {
        const auto& frame = log.frames[i];
        EXPECT_EQ(frame.dwData, 256u);
        EXPECT_EQ(frame.cbData, 511u);
        EXPECT_EQ(frame.bytes, expected) << "frame " << i;
        if (i > 0) spacing.push_back((frame.time - log.frames[i - 1].time) / 1000.0);
    }
    std::sort(spacing.begin(), spacing.end());
    double median = spacing[spacing.size() / 2];
    std::printf("median spacing of %zu frames: %.1f ms\n", log.frames.size(), median);
    EXPECT_GT(median, 50.0) << "one frame per 70 ms tick";
    EXPECT_LT(median, 120.0) << "one frame per 70 ms tick";
    ASSERT_EQ(log.asks.size(), 2u);
    EXPECT_EQ(log.asks[0].wParam, 0u);
    EXPECT_EQ(log.asks[1].wParam, 1u);
}

TEST(SimulatorEndToEnd, WindowFailingQuestionZeroIsNotReadyYetFed) {
    auto standIn = conductor::StartStandIn("refusing.log", "--q0 0");
    ASSERT_TRUE(standIn.ready);
    Simulator sim;
    ASSERT_NE(sim.form, nullptr);
    windrive::Click(sim.Button());
    EXPECT_EQ(Text(sim.Button()), "LJ not READY !");
    ASSERT_TRUE(WaitForFrames(standIn, 3));
    auto log = standIn.Read();
    ASSERT_EQ(log.asks.size(), 1u) << "question 1 is never asked";
    EXPECT_EQ(log.asks[0].wParam, 0u);
}

TEST(SimulatorEndToEnd, WithoutLightJockeyNothingIsSent) {
    Simulator sim;
    ASSERT_NE(sim.form, nullptr);
    windrive::Click(sim.Button());
    EXPECT_EQ(Text(sim.Button()), "LJ not READY !");
    auto lateStandIn = conductor::StartStandIn("late.log");
    ASSERT_TRUE(lateStandIn.ready);
    Sleep(500);
    EXPECT_TRUE(lateStandIn.Read().frames.empty());
}

}  // namespace
