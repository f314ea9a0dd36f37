#include "simulator/main_form.h"

#include <gtest/gtest.h>

#include <vector>

#include "link/lj_link.h"

namespace {

struct FakeSimulatorWindow : MainForm::SimulatorWindow {
    int values[MainForm::CHANNELS] = {255, 255, 255, 255, 255, 255, 255, 255};
    std::string valueCaptions[MainForm::CHANNELS];
    std::string connectCaption = MainForm::CONNECT_CAPTION;
    int FaderValue(int k) override { return values[k]; }
    void SetChannelValueCaption(int k, const std::string& text) override { valueCaptions[k] = text; }
    void SetConnectCaption(const std::string& text) override { connectCaption = text; }
};

// A LightJockey that may or may not be running, and counts the frames it is handed.
struct FakeLightJockey : Brenoth::WindowMessaging {
    bool running = true;
    std::intptr_t answer0 = 1;
    std::vector<std::vector<std::uint8_t>> frames;
    Brenoth::WindowHandle FindWindowByClass(const char*) override { return running ? 0x77 : 0; }
    std::intptr_t Send(Brenoth::WindowHandle, unsigned message, std::uintptr_t wParam,
                       std::intptr_t lParam) override {
        if (message == Brenoth::LJ_QUESTION) return wParam == 0 ? answer0 : Brenoth::LJ_MIN_VERSION;
        auto record = reinterpret_cast<const Brenoth::CopyDataRecord*>(lParam);
        auto bytes = static_cast<const std::uint8_t*>(record->lpData);
        frames.emplace_back(bytes, bytes + record->cbData);
        return 1;
    }
};

class SimulatorTest : public ::testing::Test {
protected:
    FakeSimulatorWindow window;
    FakeLightJockey lightJockey;
    void SetUp() override {
        Brenoth::ResetLinkState();
        Brenoth::UseWindowMessaging(&lightJockey);
        MainForm::Attach(&window);
    }
    void TearDown() override { Brenoth::UseWindowMessaging(nullptr); }
};

TEST_F(SimulatorTest, TickShowsFaderLevelsAndSendsNothingBeforeConnecting) {
    window.values[0] = 0;    // top
    window.values[1] = 128;
    MainForm::SendingTMR_Timer();
    EXPECT_EQ(window.valueCaptions[0], "255");
    EXPECT_EQ(window.valueCaptions[1], "127");
    EXPECT_EQ(window.valueCaptions[7], "0");
    EXPECT_EQ(Brenoth::dmxFrame[0], 255);
    EXPECT_EQ(Brenoth::dmxFrame[1], 127);
    EXPECT_TRUE(lightJockey.frames.empty());
}

TEST_F(SimulatorTest, AfterConnectingEveryTickSendsTheEightChannelsAndZerosAbove) {
    MainForm::cmdFind_LJ_Click();
    EXPECT_EQ(window.connectCaption, "LJ READY !");
    window.values[7] = 5;
    MainForm::SendingTMR_Timer();
    MainForm::SendingTMR_Timer();
    ASSERT_EQ(lightJockey.frames.size(), 2u);
    std::vector<std::uint8_t> expected(511, 0);
    expected[7] = 250;
    EXPECT_EQ(lightJockey.frames[1], expected);
}

TEST_F(SimulatorTest, FailedHandshakeStillFeedsAndMissingWindowStopsTheFeed) {
    lightJockey.answer0 = 0;
    MainForm::cmdFind_LJ_Click();
    EXPECT_EQ(window.connectCaption, "LJ not READY !");
    MainForm::SendingTMR_Timer();
    EXPECT_EQ(lightJockey.frames.size(), 1u);

    lightJockey.running = false;
    MainForm::cmdFind_LJ_Click();
    EXPECT_EQ(window.connectCaption, "LJ not READY !");
    MainForm::SendingTMR_Timer();
    EXPECT_EQ(lightJockey.frames.size(), 1u);
}

}  // namespace
