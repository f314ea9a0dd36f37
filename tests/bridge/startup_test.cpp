#include <gtest/gtest.h>

#include "tests/bridge/bridge_fixture.h"

namespace {

using Lines = std::vector<std::string>;

TEST_F(BridgeTest, TwoWidgetsListedInOrderAndTheHigherPortOpened) {
    AddWidget(3, 1, 44);
    AddWidget(7, 2, 4);
    MainForm::Form_Load();

    EXPECT_EQ(window.devList, (Lines{"Com 3", "Pro Widget - Com:  3", "Com 7", "Pro Widget - Com:  7"}));
    EXPECT_EQ(MainForm::widgetPort, 7);
    EXPECT_TRUE(MainForm::portOpened);
    EXPECT_TRUE(ports.PortOpen());
    EXPECT_EQ(ports.CommPort(), 7);
    EXPECT_EQ(window.caption, "Firmware Version: 2.4");
    EXPECT_TRUE(window.timer1Enabled);
    EXPECT_TRUE(box.shown.empty());

    std::string output7(518, '\0');
    output7[0] = '\x7E', output7[1] = 7, output7[2] = 1, output7[3] = 2, output7[517] = '\xE7';
    EXPECT_EQ(WritesAfterScan(7), (Lines{std::string("\x7E\x08\x01\x00\x00\xE7", 6), output7}))
        << "receive mode 0, then the label-7 output packet";
}

TEST_F(BridgeTest, ScanProbesEachOpenPortWithAnOutputPacketAndAParamsRequest) {
    AddWidget(5, 1, 0);
    MainForm::Form_Load();
    ASSERT_GE(ports.Writes().size(), 2u);
    const auto& output = ports.Writes()[0].bytes;
    ASSERT_EQ(output.size(), 518u);
    EXPECT_EQ(output.substr(0, 4), std::string("\x7E\x06\x01\x02", 4));
    EXPECT_EQ(ports.Writes()[1].bytes, std::string("\x7E\x03\x02\x00\x00\x00\xE7", 7));
    EXPECT_EQ(window.caption, "Firmware Version: 1.0");
}

TEST_F(BridgeTest, OtherDevicesAndOldFirmwareAreListedButNotUsed) {
    ports.SetPresent(2, true);
    ports.ScriptReply(2, 3, "OK\r\n");
    AddWidget(4, 0, 9);  // a reply, but firmware high byte 0
    ports.SetPresent(6, true);  // opens, answers nothing
    ports.throwOnFailedOpen = false;
    MainForm::Form_Load();

    EXPECT_EQ(window.devList, (Lines{"Com 2", "Com 4", "Com 6"}));
    EXPECT_EQ(MainForm::widgetPort, 0);
    EXPECT_EQ(box.shown, Lines{"No Enttec DMX USB Pro widgets found"});
    EXPECT_FALSE(ports.PortOpen());
}

TEST_F(BridgeTest, ReplyAmongOtherPacketsStillCountsAsAWidget) {
    ports.SetPresent(9, true);
    ports.ScriptReply(9, 3, "\x01\x02junk" + DmxPacket({10}) + ParamsReply(2, 1) + DmxPacket({20}) + "\x7E\x05");
    MainForm::Form_Load();
    EXPECT_EQ(window.devList, (Lines{"Com 9", "Pro Widget - Com:  9"}));
    EXPECT_EQ(window.caption, "Firmware Version: 2.1");
}

TEST_F(BridgeTest, NoPortAtAllLeavesTheBridgeWithItsFadersOnly) {
    for (bool throws : {true, false}) {
        SCOPED_TRACE(throws ? "opens raise errors" : "opens just fail");
        SetUp();
        window = FakeBridgeWindow{};
        box.shown.clear();
        ports.throwOnFailedOpen = throws;
        MainForm::Form_Load();
        EXPECT_TRUE(window.devList.empty());
        EXPECT_EQ(box.shown, Lines{"No Enttec DMX USB Pro widgets found"});
        EXPECT_EQ(window.caption, MainForm::CAPTION);
        EXPECT_FALSE(window.timer1Enabled);
        EXPECT_FALSE(MainForm::portOpened);
        EXPECT_TRUE(ports.Writes().empty());
    }
}

TEST_F(BridgeTest, WidgetPortThatWillNotOpenAgainGivesTheFailedCaption) {
    AddWidget(7, 2, 4);
    ports.throwOnFailedOpen = false;
    window.onDeliverWaitingMessages = [&] { ports.SetPresent(7, false); };  // taken by another program
    MainForm::Form_Load();
    EXPECT_EQ(window.caption, "Failed to open Comm port!");
    EXPECT_FALSE(MainForm::portOpened);
    EXPECT_FALSE(window.timer1Enabled);
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(BridgeTest, ClosingTheWindowClosesAnOpenPortOnly) {
    std::int16_t cancel = 0;
    MainForm::Form_Unload(cancel);  // no widget: nothing to close
    EXPECT_FALSE(ports.PortOpen());
    EXPECT_TRUE(ports.Writes().empty());

    AddWidget(1, 2, 4);
    MainForm::Form_Load();
    ASSERT_TRUE(ports.PortOpen());
    MainForm::Form_Unload(cancel);
    EXPECT_FALSE(ports.PortOpen());
    EXPECT_EQ(cancel, 0);
    EXPECT_TRUE(MainForm::portOpened) << "left as it was";
}

}  // namespace
