#include "tests/widget/widget_fixture.h"

namespace proVCPdriver {
namespace {

// 512 levels none of which is a start or an end byte.
Bytes PlainLevels(std::uint8_t base) {
    Bytes levels(512);
    for (std::size_t i = 0; i < levels.size(); ++i) levels[i] = static_cast<std::uint8_t>(base + i % 64);
    return levels;
}

// Levels that look like framing: a start byte and a header at channel 1, end bytes at
// channels 20 and 512.
Bytes FramingLookingLevels() {
    Bytes levels = PlainLevels(0x30);
    levels[0] = 0x7E;
    levels[1] = 0x05;
    levels[2] = 0x02;
    levels[3] = 0x02;
    levels[19] = 0xE7;
    levels[511] = 0xE7;
    return levels;
}

// Levels holding a false header at channel 10: a start byte and a length of 16.
Bytes FalseHeaderLevels() {
    Bytes levels = PlainLevels(0x10);
    levels[9] = 0x7E;
    levels[10] = 0x05;
    levels[11] = 0x10;
    levels[12] = 0x00;
    return levels;
}

Bytes LongestDmxPacket() {
    return ReceivedDmx(SameLevels(598, 0x44));  // 600 data bytes
}

Bytes WithLength(std::uint8_t low, std::uint8_t high) {
    Bytes packet = ReceivedDmx(SameLevels(8, 0x44));
    packet[2] = low;
    packet[3] = high;
    return packet;
}

const Bytes A = ReceivedDmx(PlainLevels(0x10));
const Bytes B = ReceivedDmx(PlainLevels(0x20));
const Bytes C = ReceivedDmx(FramingLookingLevels());
const Bytes none(RecordSize, 0x00);

struct ParseCase {
    const char* name;
    std::vector<Bytes> reads;  // handed to ParsePacket one after the other
    std::int32_t result;       // of the last read
    std::uint8_t status;       // after the last read
    std::int32_t counted;
    Bytes dmxIn;
};

std::vector<ParseCase> ParseCases() {
    Bytes wrongEnd = A;
    wrongEnd.back() = 0x00;
    const Bytes falseHeaderPacket = ReceivedDmx(FalseHeaderLevels());
    const Bytes aBefore = ReceivedDmx(SameLevels(512, 0xAA));
    const Bytes short24 = ReceivedDmx(Slice(PlainLevels(0x10), 0, 24));
    return {
        {"a whole packet", {A}, 5, 0, 1, RecordAfter(none, A)},
        {"levels 126 and 231 are levels", {C}, 5, 0, 1, RecordAfter(none, C)},
        {"bytes before the start byte are dropped", {Join({{0x01, 0x02}, A})}, 5, 0, 1, RecordAfter(none, A)},
        {"24 channels leave the others alone", {aBefore, short24}, 5, 0, 2,
         RecordAfter(RecordAfter(none, aBefore), short24)},
        {"the beginning of a packet waits", {Slice(C, 0, 230)}, -1, 0, 0, none},
        {"the rest of it completes it", {Slice(C, 0, 230), Slice(C, 230, C.size())}, 5, 0, 1, RecordAfter(none, C)},
        {"seven bytes of a packet wait", {Slice(A, 0, 7)}, -1, 0, 0, none},
        {"two bytes of a header wait", {{0x7E, 0x05}}, -1, 0, 0, none},
        {"three bytes without a start byte are too short", {{0x01, 0x02, 0x03}}, -1, 2, 0, none},
        {"four bytes without a start byte are invalid", {{0x01, 0x02, 0x03, 0x04}}, -2, 1, 0, none},
        {"nothing read", {{}}, -1, 0, 0, none},
        {"length 600 is accepted", {LongestDmxPacket()}, 5, 0, 1, RecordAfter(none, LongestDmxPacket())},
        {"length 601 is refused", {WithLength(0x59, 0x02)}, -3, 3, 0, none},
        {"length 0x8000 is refused", {WithLength(0x00, 0x80)}, -3, 3, 0, none},
        {"length 0xFFFF is refused", {WithLength(0xFF, 0xFF)}, -3, 3, 0, none},
        {"a wrong end byte is refused", {wrongEnd}, -2, 1, 0, none},
        {"a non-zero start code is counted, not copied", {ReceivedDmx(PlainLevels(0x10), 0x00, 0xCC)}, 5, 0, 1, none},
        {"an overrun is counted, not copied", {ReceivedDmx(PlainLevels(0x10), 0x02, 0x00)}, 5, 0, 1, none},
        {"a queue overflow still carries levels", {ReceivedDmx(PlainLevels(0x10), 0x01, 0x00)}, 5, 0, 1,
         RecordAfter(none, ReceivedDmx(PlainLevels(0x10), 0x01, 0x00))},
        {"no data is no levels", {WidgetPacket(0x05, {})}, 5, 0, 1, none},
        {"two and a half packets in one read", {Join({A, B, Slice(C, 0, 300)})}, 5, 0, 2, RecordAfter(none, B)},
        {"the half is completed by the next read", {Join({A, B, Slice(C, 0, 300)}), Slice(C, 300, C.size())}, 5, 0,
         3, RecordAfter(none, C)},
        {"garbage between packets", {Join({A, {0x00, 0xE7, 0x33}, B})}, 5, 0, 2, RecordAfter(none, B)},
        {"a false start byte before a real packet", {Join({{0x7E, 0x01, 0x00, 0x00}, B})}, 5, 0, 1,
         RecordAfter(none, B)},
        {"a read beginning inside a packet", {Join({Slice(falseHeaderPacket, 10, falseHeaderPacket.size()), B})}, 5,
         0, 1, RecordAfter(none, B)},
        {"a packet then a refused header", {Join({A, {0x7E, 0x05, 0xFF, 0xFF}})}, 5, 3, 1, RecordAfter(none, A)},
        {"a refused header then the beginning of a packet", {Join({{0x7E, 0x05, 0xFF, 0xFF}, Slice(A, 0, 10)})}, -3,
         3, 0, none},
        {"a packet of another label is counted only", {WidgetPacket(0x09, {0x01, 0x02})}, 9, 0, 1, none},
    };
}

TEST_F(WidgetTest, ParsesTheTableOfReads) {
    for (const ParseCase& c : ParseCases()) {
        ResetModuleForTest();
        std::int32_t result = 0;
        for (const Bytes& read : c.reads) result = ParsePacket(Text(read));
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(int(linkStatus), int(c.status)) << c.name;
        EXPECT_EQ(frameCount, c.counted) << c.name;
        EXPECT_EQ(DmxIn(), c.dmxIn) << c.name;
    }
}

// The status after a read is the outcome of the last decision made in it.
TEST_F(WidgetTest, TheStatusIsTheOutcomeOfTheReadsLastDecision) {
    const Bytes noise = {0x00, 0xE7, 0x33};
    const Bytes refused = {0x7E, 0x05, 0xFF, 0xFF};
    Bytes wrongEnd = B;
    wrongEnd.back() = 0x00;
    const struct {
        const char* name;
        Bytes read;
        std::uint8_t status;
    } cases[] = {
        {"a packet", A, 0},
        {"noise then a packet", Join({noise, A}), 0},
        {"a refused header then a packet", Join({refused, A}), 0},
        {"a wrong end byte then a packet", Join({wrongEnd, A}), 0},
        {"a packet then the beginning of one", Join({A, Slice(B, 0, 40)}), 0},
        {"the beginning of a packet", Slice(B, 0, 40), 0},
        {"a packet then noise", Join({A, noise}), 1},
        {"noise, a packet, noise", Join({noise, A, noise}), 1},
        {"noise then the beginning of a packet", Join({noise, Slice(B, 0, 40)}), 1},
        {"a packet then a wrong end byte", Join({A, wrongEnd}), 1},
        {"a packet then a refused header", Join({A, refused}), 3},
        {"a packet, a refused header, the beginning of a packet", Join({A, refused, Slice(B, 0, 40)}), 3},
        {"three bytes that start nothing", {0x01, 0x02, 0x03}, 2},
    };
    for (const auto& c : cases) {
        ResetModuleForTest();
        ParsePacket(Text(c.read));
        EXPECT_EQ(int(linkStatus), int(c.status)) << c.name;
    }
}

TEST_F(WidgetTest, APacketCutAtAnyPointIsHandledOnceWholeAndNeverShowsAFault) {
    const Bytes reply = WidgetPacket(0x03, {0x04, 0x02, 0x09, 0x01, 0x28});
    const Bytes stream = Join({C, reply});
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        ResetModuleForTest();
        const std::int32_t first = ParsePacket(Text(Slice(stream, 0, cut)));
        EXPECT_EQ(int(linkStatus), 0) << "cut at " << cut;
        const std::int32_t second = ParsePacket(Text(Slice(stream, cut, stream.size())));
        EXPECT_EQ(int(linkStatus), 0) << "cut at " << cut;
        EXPECT_EQ(first, cut == stream.size() ? 3 : cut >= C.size() ? 5 : -1) << "cut at " << cut;
        EXPECT_EQ(second, cut == stream.size() ? -1 : 3) << "cut at " << cut;
        EXPECT_EQ(DmxIn(), RecordAfter(none, C)) << "cut at " << cut;
        EXPECT_EQ(ParamsReply(), RecordAfter(none, reply)) << "cut at " << cut;
        EXPECT_EQ(frameCount, 2) << "cut at " << cut;
    }
}

TEST_F(WidgetTest, AReplyCutAtAnyTwoPointsIsStoredOnce) {
    const Bytes reply = WidgetPacket(0x03, {0x04, 0x02, 0x09, 0x01, 0x28});
    for (std::size_t first = 0; first <= reply.size(); ++first) {
        for (std::size_t second = first; second <= reply.size(); ++second) {
            ResetModuleForTest();
            ParsePacket(Text(Slice(reply, 0, first)));
            ParsePacket(Text(Slice(reply, first, second)));
            ParsePacket(Text(Slice(reply, second, reply.size())));
            EXPECT_EQ(paramsRepliesStored, 1) << first << ' ' << second;
            EXPECT_EQ(ParamsReply(), RecordAfter(none, reply)) << first << ' ' << second;
            EXPECT_EQ(int(linkStatus), 0) << first << ' ' << second;
        }
    }
}

TEST_F(WidgetTest, AParamsReplyIsStoredWithTheFirmwareVersion) {
    const Bytes reply = {0x7E, 0x03, 0x05, 0x00, 0x04, 0x02, 0x09, 0x01, 0x28, 0xE7};
    EXPECT_EQ(ParsePacket(Text(reply)), 3);
    EXPECT_EQ(paramsReply[4], 4);
    EXPECT_EQ(paramsReply[5], 2);
    EXPECT_EQ(paramsRepliesStored, 1);
    EXPECT_EQ(trace.caption, "Rec: 7E 3 5 0 4 2 9 1 28 E7 ");
}

TEST_F(WidgetTest, AReplyAmongOtherPacketsIsNoticed) {
    const Bytes reply = {0x7E, 0x03, 0x05, 0x00, 0x2C, 0x01, 0x09, 0x01, 0x28, 0xE7};
    EXPECT_EQ(ParsePacket(Text(Join({A, reply, B, {0x7E, 0x05}}))), 5);
    EXPECT_EQ(paramsRepliesStored, 1);
    EXPECT_EQ(paramsReply[5], 1);
    EXPECT_EQ(paramsReply[4], 44);
    EXPECT_EQ(DmxIn(), RecordAfter(none, B));
}

TEST_F(WidgetTest, TheTraceShowsTheFirstTenBytesOfThePacket) {
    Bytes levels = SameLevels(512, 0x00);
    levels[0] = 255;
    levels[1] = 0;
    levels[2] = 128;
    levels[3] = 10;
    ParsePacket(Text(ReceivedDmx(levels)));
    EXPECT_EQ(trace.caption, "Rec: 7E 5 2 2 0 0 FF 0 80 A ");
}

TEST_F(WidgetTest, TheTraceOfAShortPacketStopsAtItsEnd) {
    ParsePacket(Text({0x7E, 0x09, 0x00, 0x00, 0xE7}));
    EXPECT_EQ(trace.caption, "Rec: 7E 9 0 0 E7 ");
}

TEST_F(WidgetTest, TheTraceKeepsItsCaptionWhenNothingIsHandled) {
    trace.caption = "Rec: 7E ";
    for (const Bytes& read : {Slice(A, 0, 9), WithLength(0x59, 0x02), Bytes{0x01, 0x02, 0x03, 0x04}}) {
        ResetModuleForTest();
        ParsePacket(Text(read));
        EXPECT_EQ(trace.caption, "Rec: 7E ");
    }
}

TEST_F(WidgetTest, TheHeaderOfTheLastPacketOrRefusalIsKept) {
    ParsePacket(Text(A));
    EXPECT_EQ(rxHeader.label, 5);
    EXPECT_EQ(rxHeader.length, 514);
    ParsePacket(Text(WithLength(0xFF, 0xFF)));
    EXPECT_EQ(rxHeader.start, 0x7E);
    EXPECT_EQ(rxHeader.length, 0xFFFF);
}

TEST_F(WidgetTest, ForgettingThePartialPacketJoinsNothingToTheNextRead) {
    ParsePacket(Text(Slice(A, 0, 100)));
    ForgetPartialPacket();
    EXPECT_EQ(ParsePacket(Text(Slice(A, 100, A.size()))), -2);
    EXPECT_EQ(frameCount, 0);
    EXPECT_EQ(ParsePacket(Text(B)), 5);
    EXPECT_EQ(DmxIn(), RecordAfter(none, B));
}

}  // namespace
}  // namespace proVCPdriver
