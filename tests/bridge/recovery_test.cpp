#include <gtest/gtest.h>

#include "tests/bridge/bridge_fixture.h"

namespace {

class UnpluggedWidgetTest : public BridgeTest {
protected:
    void SetUp() override {
        BridgeTest::SetUp();
        AddWidget(4, 2, 4);
        MainForm::Form_Load();
        ports.ClearWrites();
    }
    void TickAt(double seconds) {
        clock.now = seconds;
        MainForm::Timer1_Timer();
    }
    void ReadsArrive() { MainForm::MSComm1_OnComm(); }
};

const std::string RX_MODE_0("\x7E\x08\x01\x00\x00\xE7", 6);

TEST_F(UnpluggedWidgetTest, PortThatFailsIsClosedAndReopenedOnceItIsBack) {
    ports.Deliver(4, DmxPacket({10, 20}));
    ReadsArrive();
    TickAt(0.1);
    ports.Unplug(4);  // the reader's read fails
    clock.now = 0.2;
    EXPECT_NO_THROW(ReadsArrive());
    EXPECT_FALSE(ports.PortOpen()) << "a failed port is closed";
    EXPECT_EQ(window.lblError, "0 Ready") << "a failed read is no parse";

    for (double t = 0.3; t < 3.0; t += 0.1) TickAt(t);  // still unplugged: attempts fail quietly
    EXPECT_FALSE(ports.PortOpen());
    EXPECT_EQ(window.lblFPS, "0") << "no frames while the widget is gone";
    EXPECT_TRUE(ports.Writes().empty());

    ports.Replug(4);
    TickAt(3.5);
    EXPECT_TRUE(ports.PortOpen()) << "reopened within about a second";
    EXPECT_EQ(ports.CommPort(), 4);
    ASSERT_EQ(ports.Writes().size(), 2u);
    EXPECT_EQ(ports.Writes()[0].bytes, RX_MODE_0);
    EXPECT_EQ(ports.Writes()[1].bytes.substr(0, 4), std::string("\x7E\x07\x01\x02", 4));
    EXPECT_TRUE(ports.Reading()) << "and read from again";

    ports.Deliver(4, DmxPacket({99, 98}));
    ReadsArrive();
    EXPECT_EQ(proVCPdriver::dmxIn[6], 99);
    EXPECT_EQ(proVCPdriver::dmxIn[7], 98);
    EXPECT_TRUE(box.shown.empty()) << "recovery never shows a message box";
    EXPECT_TRUE(MainForm::portOpened);
}

TEST_F(UnpluggedWidgetTest, ReopenIsTriedAboutOnceASecond) {
    ports.Unplug(4);
    clock.now = 0.05;
    ReadsArrive();
    ports.Replug(4);
    TickAt(0.5);
    EXPECT_FALSE(ports.PortOpen()) << "too early for another attempt";
    TickAt(1.06);
    EXPECT_TRUE(ports.PortOpen());
}

// A reader stopped while its read was completing may hand that read over after the port was
// closed and opened again: nothing of it may reach the parser or the new port's state.
TEST_F(UnpluggedWidgetTest, ReadsOfAReaderOfAPortSinceClosedAreDropped) {
    const std::uint32_t oldReader = ports.ReadingGeneration();
    ports.Unplug(4);
    ReadsArrive();
    ports.Replug(4);
    TickAt(1.5);
    ASSERT_TRUE(ports.Reading());

    ports.Deliver(4, DmxPacket({77}));
    ReadHandOff::Put(ReadHandOff::PortRead{oldReader, false, false, DmxPacket({66})});
    ReadHandOff::Put(ReadHandOff::PortRead{oldReader, true, false, std::string()});
    ReadsArrive();
    EXPECT_EQ(proVCPdriver::dmxIn[6], 77);
    EXPECT_EQ(lblRec.caption, "Rec: 7E 5 2 2 0 0 4D 0 0 0 ");
    EXPECT_TRUE(ports.PortOpen()) << "an old reader's failure is not the new port's";
    EXPECT_TRUE(ports.Reading());
}

}  // namespace
