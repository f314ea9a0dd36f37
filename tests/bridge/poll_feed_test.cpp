#include <gtest/gtest.h>

#include "tests/bridge/bridge_fixture.h"
#include "tests/fakes/fake_light_jockey.h"

namespace {

class ReceivingBridgeTest : public BridgeTest {
protected:
    void SetUp() override {
        BridgeTest::SetUp();
        AddWidget(3, 2, 4);
        MainForm::Form_Load();
        window.changes.clear();
    }
};

TEST_F(ReceivingBridgeTest, EachReadIsParsedAsItComesAndItsStatusShown) {
    MainForm::Timer1_Timer();
    EXPECT_EQ(window.lblError, "0 Ready") << "the widget's reply during the scan";

    ports.Deliver(3, "junk");
    MainForm::MSComm1_OnComm();
    EXPECT_EQ(window.lblError, "1 Not Valid Packet, Recieved data seems invalid");

    ports.Deliver(3, DmxPacket({255, 0, 128, 10}));
    MainForm::MSComm1_OnComm();
    EXPECT_EQ(window.lblError, "0 Ready");
    EXPECT_EQ(lblRec.caption, "Rec: 7E 5 2 2 0 0 FF 0 80 A ");
    EXPECT_EQ(proVCPdriver::dmxIn[6], 255);

    window.changes.clear();
    ports.Deliver(3, DmxPacket({1, 2}));
    MainForm::MSComm1_OnComm();
    EXPECT_EQ(proVCPdriver::dmxIn[6], 1);
    EXPECT_TRUE(window.changes.empty()) << "a read that changes neither status nor rate writes neither label";
}

TEST_F(ReceivingBridgeTest, ReadsWaitingTogetherAreParsedInTheirOrderOnOneNotice) {
    const int before = ports.notices;
    ports.Deliver(3, DmxPacket({40}));
    std::string second = DmxPacket({50});
    ports.Deliver(3, second.substr(0, 200));
    ports.Deliver(3, second.substr(200));
    EXPECT_EQ(ports.notices, before + 1) << "the window is told once until it takes them";
    MainForm::MSComm1_OnComm();
    EXPECT_EQ(proVCPdriver::dmxIn[6], 50);
    ports.Deliver(3, DmxPacket({60}));
    EXPECT_EQ(ports.notices, before + 2);
}

TEST_F(ReceivingBridgeTest, StatusWithoutATextShowsUnknownError) {
    proVCPdriver::SetLinkStatus(6);
    MainForm::Timer1_Timer();
    EXPECT_EQ(window.lblError, "6 Unknown Error");
}

TEST_F(ReceivingBridgeTest, QuietTickChangesOnlyTheStatusUntilASecondHasPassed) {
    clock.now = 0.2;
    MainForm::Timer1_Timer();
    EXPECT_EQ(window.changes, std::vector<std::string>{"lblError=0 Ready"});
}

TEST_F(ReceivingBridgeTest, RateFallsToZeroWhenTheWidgetGoesQuietAndComesBack) {
    for (int i = 0; i < 44; ++i) {
        clock.now = i / 44.0;
        ports.Deliver(3, DmxPacket({i}));
        MainForm::MSComm1_OnComm();
    }
    clock.now = 1.01;
    ports.Deliver(3, DmxPacket({1}));
    MainForm::MSComm1_OnComm();
    EXPECT_EQ(window.lblFPS, "46") << "45 frames and the widget's reply during the scan";

    clock.now = 2.5;  // a second and more without a packet
    window.changes.clear();
    MainForm::Timer1_Timer();
    EXPECT_EQ(window.lblFPS, "0");

    for (int i = 0; i < 10; ++i) {
        clock.now = 2.6 + i * 0.08;
        ports.Deliver(3, DmxPacket({i}));
        MainForm::MSComm1_OnComm();
    }
    clock.now = 3.6;
    MainForm::Timer1_Timer();
    EXPECT_EQ(window.lblFPS, "10");
}

TEST_F(ReceivingBridgeTest, WhileMinimizedTheValuesAndTraceWaitForTheRestore) {
    ports.Deliver(3, DmxPacket({10}));
    MainForm::MSComm1_OnComm();
    MainForm::SendingTMR_Timer();
    ASSERT_EQ(window.valueCaptions[0], "10");

    window.minimized = true;
    MainForm::Form_Resize();
    window.valueWrites = 0;
    ports.Deliver(3, DmxPacket({200, 7}));
    MainForm::MSComm1_OnComm();
    MainForm::SendingTMR_Timer();
    EXPECT_EQ(window.valueWrites, 0);
    EXPECT_EQ(lblRec.caption, "Rec: 7E 5 2 2 0 0 A 0 0 0 ");
    EXPECT_EQ(Brenoth::dmxFrame[0], 200) << "the feed goes on";

    window.minimized = false;
    MainForm::Form_Resize();
    EXPECT_EQ(window.valueCaptions[0], "200");
    EXPECT_EQ(window.valueCaptions[1], "7");
    EXPECT_EQ(lblRec.caption, "Rec: 7E 5 2 2 0 0 C8 7 0 0 ");
    MainForm::SendingTMR_Timer();
    EXPECT_EQ(window.valueCaptions[0], "200");
}

TEST_F(BridgeTest, ARestoreBeforeAnyFeedTickLeavesTheChannelNumbers) {
    window.minimized = true;
    MainForm::Form_Resize();
    window.minimized = false;
    MainForm::Form_Resize();
    EXPECT_EQ(window.valueCaptions[4], "5");
}

TEST_F(BridgeTest, PollDoesNothingButTheStatusWithoutAnOpenPort) {
    MainForm::Timer1_Timer();
    EXPECT_EQ(window.changes, std::vector<std::string>{"lblError=0 Ready"});
}

struct MergeCase {
    const char* name;
    int channel;      // 1..512
    int received;     // level from the desk
    int faderValue;   // scroll position of the channel's fader (channels 1 to 16 only)
    int sent;
};

TEST_F(BridgeTest, FadersRaiseChannels1To16AndTheLabelsShowWhatIsSent) {
    const MergeCase cases[] = {
        {"fader 1 at the top over 0", 1, 0, 0, 255},
        {"fader 1 at level 100 under 180", 1, 180, 155, 180},
        {"fader 1 at level 100 over 40", 1, 40, 155, 100},
        {"fader 16 at the top", 16, 3, 0, 255},
        {"channel 17 passes through", 17, 77, 0, 77},
        {"channel 512 passes through", 512, 12, 0, 12},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        window = FakeBridgeWindow{};
        proVCPdriver::dmxIn[5 + c.channel] = static_cast<std::uint8_t>(c.received);
        if (c.channel <= 16) window.faderValues[c.channel - 1] = c.faderValue;
        MainForm::SendingTMR_Timer();
        EXPECT_EQ(Brenoth::dmxFrame[c.channel - 1], c.sent);
        if (c.channel <= 16) {
            EXPECT_EQ(window.valueCaptions[c.channel - 1], std::to_string(c.sent));
        }
    }
}

TEST_F(BridgeTest, FeedSendsTheMergedFrameOnlyWhileLightJockeyIsKnown) {
    FakeLightJockey lightJockey{0x10};
    UsingFakeLightJockey using_(lightJockey);
    for (int n = 1; n <= 512; ++n) proVCPdriver::dmxIn[5 + n] = static_cast<std::uint8_t>(n * 7);
    window.faderValues[15] = 0;

    MainForm::SendingTMR_Timer();
    EXPECT_TRUE(lightJockey.sent.empty());
    EXPECT_EQ(window.valueCaptions[0], "7");

    MainForm::cmdFind_LJ_Click();
    EXPECT_EQ(window.connectCaption, "LJ READY !");
    MainForm::SendingTMR_Timer();
    auto frames = lightJockey.Frames();
    ASSERT_EQ(frames.size(), 1u);
    std::vector<std::uint8_t> expected;
    for (int n = 1; n <= 511; ++n) expected.push_back(static_cast<std::uint8_t>(n == 16 ? 255 : n * 7));
    EXPECT_EQ(frames[0], expected);

    lightJockey.Close();
    MainForm::cmdFind_LJ_Click();
    EXPECT_EQ(window.connectCaption, "LJ not READY !");
    MainForm::SendingTMR_Timer();
    EXPECT_EQ(lightJockey.Frames().size(), 1u);
}

TEST_F(BridgeTest, ButtonFollowsLightJockeyClosingAndRestartingWithoutAClick) {
    FakeLightJockey lightJockey{0x10};
    UsingFakeLightJockey using_(lightJockey);
    MainForm::cmdFind_LJ_Click();
    auto tick = [&] {
        MainForm::SendingTMR_Timer();
        clock.now += 0.07;
    };
    tick();
    lightJockey.Close();
    tick();
    EXPECT_EQ(window.connectCaption, "LJ not READY !");

    lightJockey.Start(0x20);
    for (int n = 0; n < 16; ++n) tick();
    EXPECT_EQ(window.connectCaption, "LJ READY !");
    EXPECT_EQ(lightJockey.sent.back().window, 0x20u);
    EXPECT_EQ(lightJockey.SentToGoneWindows(), 0u);
}

}  // namespace
