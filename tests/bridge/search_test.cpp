#include <gtest/gtest.h>

#include "tests/bridge/bridge_fixture.h"

namespace {

using Lines = std::vector<std::string>;
using Ports = std::vector<std::int16_t>;

TEST_F(BridgeTest, AWidgetIsFoundOnAnyPortUpTo255) {
    for (std::int16_t port : {23, 200, 255}) {
        SCOPED_TRACE(port);
        SetUp();
        window = FakeBridgeWindow{};
        ports = FakeSerialPort{};
        AddWidget(port, 2, 4);
        MainForm::Form_Load();
        EXPECT_EQ(window.devList, (Lines{"Com " + std::to_string(port), "Pro Widget - Com:  " + std::to_string(port)}));
        EXPECT_EQ(MainForm::widgetPort, port);
        EXPECT_TRUE(ports.PortOpen());
        EXPECT_EQ(ports.CommPort(), port);
        EXPECT_EQ(window.caption, "Firmware Version: 2.4");
    }
}

TEST_F(BridgeTest, OfWidgetsOn3And40The40IsUsed) {
    AddWidget(3, 1, 44);
    AddWidget(40, 2, 4);
    MainForm::Form_Load();
    EXPECT_EQ(window.devList, (Lines{"Com 3", "Pro Widget - Com:  3", "Com 40", "Pro Widget - Com:  40"}));
    EXPECT_EQ(ports.CommPort(), 40);
    EXPECT_EQ(window.caption, "Firmware Version: 2.4");
}

class SearchTest : public BridgeTest {
protected:
    void TickAt(double seconds) {
        clock.now = seconds;
        MainForm::Timer1_Timer();
        MainForm::SearchTMR_Timer();
    }
    // Parameters requests written to the port.
    int Probes(std::int16_t port) const {
        int probes = 0;
        for (const auto& w : ports.Writes()) probes += w.port == port && w.bytes.size() > 1 && w.bytes[1] == 3;
        return probes;
    }
    void TickUntil(double from, double to) {
        for (double t = from; t < to; t += 0.25) TickAt(t);
    }
    // The start-up's end on the widget's port: receive mode 0, then the label-7 output packet.
    void ExpectReceivingFrom(std::int16_t port) {
        EXPECT_TRUE(ports.PortOpen());
        EXPECT_EQ(ports.CommPort(), port);
        EXPECT_EQ(MainForm::widgetPort, port);
        EXPECT_TRUE(MainForm::portOpened);
        EXPECT_TRUE(window.timer1Enabled);
        auto after = WritesAfterScan(port);
        ASSERT_EQ(after.size(), 2u);
        EXPECT_EQ(after[0], std::string("\x7E\x08\x01\x00\x00\xE7", 6));
        EXPECT_EQ(after[1].substr(0, 4), std::string("\x7E\x07\x01\x02", 4));
        ports.Deliver(port, DmxPacket({77, 66}));
        MainForm::MSComm1_OnComm();
        MainForm::SendingTMR_Timer();
        EXPECT_EQ(Brenoth::dmxFrame[0], 77);
        EXPECT_EQ(Brenoth::dmxFrame[1], 66);
    }
};

TEST_F(SearchTest, AWidgetPluggedInAfterTheStartIsFoundAndUsed) {
    ports.SetPresent(2, true);  // another device, present throughout
    ports.throwOnFailedOpen = false;
    MainForm::Form_Load();
    ASSERT_EQ(box.shown, Lines{"No Enttec DMX USB Pro widgets found"});
    TickUntil(0.25, 6);
    AddWidget(5, 1, 44);
    TickUntil(6, 8.5);
    EXPECT_EQ(window.devList, (Lines{"Com 2", "Com 5", "Pro Widget - Com:  5"}));
    EXPECT_EQ(window.caption, "Firmware Version: 1.44");
    EXPECT_EQ(box.shown.size(), 1u) << "the search shows no box";
    ExpectReceivingFrom(5);
    EXPECT_EQ(Probes(2), 1) << "the other device was probed by the start-up only";
}

TEST_F(SearchTest, PortsThatDoNotAnswerAreProbedOnceWhileTheyStay) {
    MainForm::Form_Load();
    ports.SetPresent(9, true);  // appears: a device that answers nothing
    ports.ScriptReply(9, 3, "OK\r\n");
    TickUntil(0, 20);
    EXPECT_EQ(ports.Writes().size(), 2u) << "one output packet and one parameters request, once";
    EXPECT_EQ(ports.PortsWritten(), Ports{9});

    ports.SetPresent(9, false);  // gone, then back: one probe more
    TickUntil(20, 23);
    ports.SetPresent(9, true);
    TickUntil(23, 30);
    EXPECT_EQ(ports.Writes().size(), 4u);
    EXPECT_EQ(window.devList, (Lines{"Com 9", "Com 9"}));
}

TEST_F(SearchTest, NoPortIsOpenedBetweenLooksAndNoneWhileNothingAppears) {
    MainForm::Form_Load();
    TickUntil(0, 30.1);  // the last look at 30
    EXPECT_TRUE(ports.Writes().empty());
    ports.SetPresent(7, true);
    clock.now = 31.9;
    MainForm::SearchTMR_Timer();
    EXPECT_EQ(ports.Opens(7), 0) << "a look came less than 2 s ago";
    TickUntil(32, 32.1);
    EXPECT_EQ(Probes(7), 1);
}

TEST_F(SearchTest, AWidgetThatCameBackOnAnotherPortIsUsedThere) {
    AddWidget(4, 2, 4);
    ports.SetPresent(12, true);  // another device, present throughout
    MainForm::Form_Load();
    ASSERT_EQ(ports.CommPort(), 4);
    ports.ClearWrites();
    TickAt(0.1);
    ports.Unplug(4);
    TickUntil(0.2, 2.9);
    EXPECT_TRUE(ports.Writes().empty()) << "nothing else is looked at for the first seconds";
    AddWidget(17, 2, 4);
    TickUntil(3.0, 5.5);
    ExpectReceivingFrom(17);
    EXPECT_EQ(Probes(12), 0) << "only the port that appeared is probed";

    ports.Replug(4);  // the old port coming back is no longer the widget's
    ports.ClearWrites();
    TickUntil(5.5, 10);
    EXPECT_EQ(ports.CommPort(), 17);
    EXPECT_TRUE(ports.Writes().empty());
}

TEST_F(SearchTest, AWidgetBackOnItsOwnPortIsReopenedWithoutASearch) {
    AddWidget(4, 2, 4);
    MainForm::Form_Load();
    TickAt(0.1);
    ports.Unplug(4);
    TickAt(0.2);
    ports.Replug(4);
    TickUntil(0.25, 2);
    EXPECT_TRUE(ports.PortOpen());
    EXPECT_EQ(ports.CommPort(), 4);
    EXPECT_EQ(window.devList.size(), 2u) << "no probe";
}

TEST_F(SearchTest, AWidgetWhosePortWouldNotOpenIsLookedForAgain) {
    AddWidget(7, 2, 4);
    ports.throwOnFailedOpen = false;
    window.onDeliverWaitingMessages = [&] { ports.SetPresent(7, false); };  // taken by another program
    MainForm::Form_Load();
    ASSERT_EQ(window.caption, "Failed to open Comm port!");
    AddWidget(8, 1, 0);
    TickUntil(0, 3);
    ExpectReceivingFrom(8);
    EXPECT_EQ(window.caption, "Firmware Version: 1.0");
}

}  // namespace
