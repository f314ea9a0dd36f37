#include <cstring>

#include "tests/widget/widget_fixture.h"

namespace proVCPdriver {
namespace {

class RequestsTest : public WidgetTest {
protected:
    void SetUp() override {
        WidgetTest::SetUp();
        OpenPort(3);
    }
    Bytes LastWrite() const {
        if (port.Writes().empty()) return {};
        return Bytes(port.Writes().back().bytes.begin(), port.Writes().back().bytes.end());
    }
};

Bytes OutputPacketOnTheWire(std::uint8_t label) {
    return Join({{0x7E, label, 0x01, 0x02}, Bytes(513, 0x00), {0xE7}});
}

TEST_F(RequestsTest, AfterTheResetTheRequestsGoOutByteForByte) {
    ResetWidgetState();
    SendOutputPacket();
    EXPECT_EQ(LastWrite(), OutputPacketOnTheWire(0x06));
    EXPECT_EQ(LastWrite().size(), 518u);
    SendParamsRequest();
    EXPECT_EQ(LastWrite(), (Bytes{0x7E, 0x03, 0x02, 0x00, 0x00, 0x00, 0xE7}));
    SendReceiveMode(0);
    EXPECT_EQ(LastWrite(), (Bytes{0x7E, 0x08, 0x01, 0x00, 0x00, 0xE7}));
    EXPECT_EQ(port.Writes().size(), 3u);
    EXPECT_EQ(LinkStatusText(linkStatus), "Waiting...");
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(RequestsTest, TheOutputPacketCarriesOnlyLabelSixOrSeven) {
    const struct {
        std::uint8_t asked, sent;
    } cases[] = {{0, 6}, {5, 6}, {6, 6}, {7, 7}, {8, 6}, {255, 6}};
    for (const auto& c : cases) {
        FillOutputPacket(c.asked);
        SendOutputPacket();
        EXPECT_EQ(LastWrite(), OutputPacketOnTheWire(c.sent)) << int(c.asked);
    }
}

TEST_F(RequestsTest, TheUserDataSizeIsCappedAt508FromAboveOnly) {
    const struct {
        std::int16_t asked;
        std::uint8_t low, high;
    } cases[] = {{0, 0x00, 0x00},   {508, 0xFC, 0x01},  {509, 0xFC, 0x01},
                 {1000, 0xFC, 0x01}, {-1, 0xFF, 0xFF}, {-32768, 0x00, 0x80}};
    for (const auto& c : cases) {
        FillParamsRequest(c.asked);
        SendParamsRequest();
        EXPECT_EQ(LastWrite(), (Bytes{0x7E, 0x03, 0x02, 0x00, c.low, c.high, 0xE7})) << c.asked;
    }
}

TEST_F(RequestsTest, TheStartupOutputStartsTheRateWindow) {
    clock.now = 12.5;
    PrepareStartupOutput();
    SendOutputPacket();
    EXPECT_EQ(LastWrite(), OutputPacketOnTheWire(0x07));
    EXPECT_EQ(rateClockStart, 12.5);
    PrepareDmxOutput();
    SendOutputPacket();
    EXPECT_EQ(LastWrite(), OutputPacketOnTheWire(0x06));
}

TEST_F(RequestsTest, AModeThatIsNotAByteIsRefusedAndNothingIsSent) {
    for (std::int16_t mode : {std::int16_t{256}, std::int16_t{-1}}) {
        rxModeRequest = RxModeRequest{};
        rxModeRequest.mode = 5;
        SendReceiveMode(mode);
        EXPECT_TRUE(port.Writes().empty()) << mode;
        EXPECT_EQ(box.shown, std::vector<std::string>{"Overflow"}) << mode;
        // Start, label and length are written before the mode fails; the mode byte stays.
        EXPECT_EQ(rxModeRequest.start, 0x7E);
        EXPECT_EQ(rxModeRequest.label, 0x08);
        EXPECT_EQ(rxModeRequest.length[0], 0x01);
        EXPECT_EQ(rxModeRequest.mode, 5);
        box.shown.clear();
    }
}

TEST_F(RequestsTest, ASendOnAClosedPortShowsThePortsErrorAndChangesNoRecord) {
    ResetWidgetState();
    SendReceiveMode(0);
    port.SetPortOpen(false);
    port.ClearWrites();
    const OutputPacket output = outPacket;
    const ParamsRequest params = paramsRequest;
    const RxModeRequest rxMode = rxModeRequest;

    SendOutputPacket();
    SendParamsRequest();
    SendReceiveMode(0);

    EXPECT_TRUE(port.Writes().empty());
    EXPECT_EQ(box.shown, std::vector<std::string>(3, "Operation valid only when the port is open"));
    EXPECT_EQ(std::memcmp(&output, &outPacket, sizeof output), 0);
    EXPECT_EQ(std::memcmp(&params, &paramsRequest, sizeof params), 0);
    EXPECT_EQ(std::memcmp(&rxMode, &rxModeRequest, sizeof rxMode), 0);
}

TEST_F(RequestsTest, TheResetLeavesTheReceivedRecordsAndTheRateAlone) {
    framesPerSecond = 44.0f;
    rateClockStart = 3.0;
    frameCount = 17;
    ParsePacket(Text(ReceivedDmx(SameLevels(512, 0x33))));
    const Bytes received = DmxIn();
    ResetWidgetState();
    EXPECT_EQ(linkStatus, 255);
    EXPECT_EQ(frameCount, 0);
    EXPECT_EQ(framesPerSecond, 44.0f);
    EXPECT_EQ(rateClockStart, 3.0);
    EXPECT_EQ(DmxIn(), received);
}

}  // namespace
}  // namespace proVCPdriver
