#include "simulator/main_form.h"

#include <gtest/gtest.h>

#include <vector>

#include "link/lj_link.h"
#include "tests/fakes/fake_light_jockey.h"
#include "tests/fakes/fake_outside.h"

namespace {

struct FakeSimulatorWindow : MainForm::SimulatorWindow {
    int values[MainForm::CHANNELS] = {255, 255, 255, 255, 255, 255, 255, 255};
    std::string valueCaptions[MainForm::CHANNELS];
    std::string connectCaption = MainForm::CONNECT_CAPTION;
    int captionWrites = 0;
    int FaderValue(int k) override { return values[k]; }
    void SetChannelValueCaption(int k, const std::string& text) override { valueCaptions[k] = text; }
    void SetConnectCaption(const std::string& text) override {
        connectCaption = text;
        ++captionWrites;
    }
};

class SimulatorTest : public ::testing::Test {
protected:
    FakeSimulatorWindow window;
    FakeClock clock;
    FakeLightJockey lightJockey{0x77};
    UsingFakeLightJockey using_{lightJockey};
    void SetUp() override { MainForm::Attach(&window, &clock); }
    void Tick() {
        MainForm::SendingTMR_Timer();
        clock.now += 0.07;
    }
};

TEST_F(SimulatorTest, TickShowsFaderLevelsAndSendsNothingBeforeConnecting) {
    window.values[0] = 0;    // top
    window.values[1] = 128;
    for (int n = 0; n < 30; ++n) Tick();
    EXPECT_EQ(window.valueCaptions[0], "255");
    EXPECT_EQ(window.valueCaptions[1], "127");
    EXPECT_EQ(window.valueCaptions[7], "0");
    EXPECT_EQ(Brenoth::dmxFrame[0], 255);
    EXPECT_EQ(Brenoth::dmxFrame[1], 127);
    EXPECT_TRUE(lightJockey.sent.empty());
    EXPECT_EQ(window.connectCaption, "Press To Connect");
}

TEST_F(SimulatorTest, AfterConnectingEveryTickSendsTheEightChannelsAndZerosAbove) {
    MainForm::cmdFind_LJ_Click();
    EXPECT_EQ(window.connectCaption, "LJ READY !");
    window.values[7] = 5;
    Tick();
    Tick();
    auto frames = lightJockey.Frames();
    ASSERT_EQ(frames.size(), 2u);
    std::vector<std::uint8_t> expected(511, 0);
    expected[7] = 250;
    EXPECT_EQ(frames[1], expected);
    EXPECT_EQ(window.captionWrites, 1) << "a caption that does not change is not written again";
}

TEST_F(SimulatorTest, FailedHandshakeStillFeedsAndMissingWindowStopsTheFeed) {
    lightJockey.answer0 = 0;
    MainForm::cmdFind_LJ_Click();
    EXPECT_EQ(window.connectCaption, "LJ not READY !");
    Tick();
    EXPECT_EQ(lightJockey.Frames().size(), 1u);

    lightJockey.Close();
    MainForm::cmdFind_LJ_Click();
    EXPECT_EQ(window.connectCaption, "LJ not READY !");
    Tick();
    EXPECT_EQ(lightJockey.sent.size(), 2u) << "question 0 and one frame";
}

TEST_F(SimulatorTest, ButtonFollowsLightJockeyClosingAndComingBackWithoutAClick) {
    MainForm::cmdFind_LJ_Click();
    Tick();
    lightJockey.Close();
    Tick();
    EXPECT_EQ(window.connectCaption, "LJ not READY !");
    EXPECT_EQ(Brenoth::ljWindow, 0u);

    lightJockey.Start(0x88);
    for (int n = 0; n < 16; ++n) Tick();
    EXPECT_EQ(window.connectCaption, "LJ READY !");
    EXPECT_FALSE(lightJockey.Frames().empty());
    EXPECT_EQ(lightJockey.sent.back().window, 0x88u);
    EXPECT_EQ(window.captionWrites, 3);
}

}  // namespace
