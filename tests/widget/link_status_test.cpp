#include "tests/widget/widget_fixture.h"

namespace proVCPdriver {
namespace {

TEST_F(WidgetTest, EachLinkStatusHasItsText) {
    const struct {
        std::uint8_t code;
        const char* text;
    } cases[] = {
        {0, "Ready"},
        {1, "Not Valid Packet, Recieved data seems invalid"},
        {2, "Packet length is too short"},
        {3, "The packet specified an invalid data field length"},
        {4, "Failed to flash firmware page"},
        {5, "The data length did not match the actual size in the packet"},
        {6, "Unknown Error"},
        {254, "Unknown Error"},
        {255, "Waiting..."},
    };
    for (const auto& c : cases) EXPECT_EQ(LinkStatusText(c.code), c.text) << int(c.code);
}

const Bytes shortPacket = {0x7E, 0x09, 0x00, 0x00, 0xE7};

TEST_F(WidgetTest, TheFrameCountWrapsAfterAMillion) {
    frameCount = 999999;
    ParsePacket(Text(shortPacket));
    EXPECT_EQ(frameCount, 1000000);
    ParsePacket(Text(shortPacket));
    EXPECT_EQ(frameCount, 0);
}

TEST_F(WidgetTest, TheRateIsTheCountOfAWindowOfASecondOrMore) {
    clock.now = 100.0;
    PrepareStartupOutput();
    clock.now = 100.5;
    ParsePacket(Text(Join({shortPacket, shortPacket})));
    EXPECT_EQ(frameCount, 2);
    EXPECT_EQ(framesPerSecond, 0.0f);
    clock.now = 101.75;
    ParsePacket(Text(shortPacket));
    EXPECT_EQ(framesPerSecond, 3.0f);  // not divided by the window's 1.75 seconds
    EXPECT_EQ(frameCount, 0);
    EXPECT_EQ(rateClockStart, 101.75);
}

TEST_F(WidgetTest, TheRateWindowClosesWithoutANewPacket) {
    clock.now = 10.0;
    PrepareStartupOutput();
    ParsePacket(Text(Join({shortPacket, shortPacket})));
    clock.now = 10.999;
    CloseRateWindowIfDue();
    EXPECT_EQ(framesPerSecond, 0.0f);
    EXPECT_EQ(frameCount, 2);
    clock.now = 11.0;
    CloseRateWindowIfDue();
    EXPECT_EQ(framesPerSecond, 2.0f);
    EXPECT_EQ(frameCount, 0);
    EXPECT_EQ(rateClockStart, 11.0);
    clock.now = 12.5;
    CloseRateWindowIfDue();
    EXPECT_EQ(framesPerSecond, 0.0f);  // packets stopped
}

}  // namespace
}  // namespace proVCPdriver
