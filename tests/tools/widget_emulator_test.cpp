// The widget emulator as the Wine end-to-end tests use it: a child process on a pty link,
// driven through the other end of the pty, its control file and signals.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <functional>
#include <random>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "peer_process.h"

using peerProcess::Bytes;
using peerProcess::Peer;

namespace {

const Bytes ParamsRequest = {0x7E, 0x03, 0x02, 0x00, 0x00, 0x00, 0xE7};
const Bytes ReceiveModeSendAlways = {0x7E, 0x08, 0x01, 0x00, 0x00, 0xE7};

Bytes OutputPacket(std::uint8_t label) {
    Bytes packet{0x7E, label, 0x01, 0x02};
    packet.resize(4 + 513, 0x00);
    packet.push_back(0xE7);
    return packet;
}

template <typename Case>
std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    return info.param.name;
}

Bytes WithZeros(Bytes head, size_t zeros, const Bytes& tail) {
    head.resize(head.size() + zeros, 0x00);
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

// Channel n of a label-5 packet sits at offset 5 + n.
std::uint8_t Channel(const Bytes& packet, int n) { return packet[static_cast<size_t>(5 + n)]; }

std::uint32_t CounterAt(const Bytes& packet, int first) {
    return static_cast<std::uint32_t>(Channel(packet, first)) << 24 | Channel(packet, first + 1) << 16 |
           Channel(packet, first + 2) << 8 | Channel(packet, first + 3);
}

void StartEmulator(Peer& peer, const std::vector<std::string>& args) {
    peerProcess::Start(peer, WIDGET_EMULATOR, args);
    peerProcess::OpenPort(peer);
}

void ExpectLabel5Header(const Bytes& packet, std::uint8_t startCode) {
    ASSERT_EQ(packet.size(), 519u);
    EXPECT_EQ(Bytes(packet.begin(), packet.begin() + 6), (Bytes{0x7E, 0x05, 0x02, 0x02, 0x00, startCode}));
    EXPECT_EQ(packet.back(), 0xE7);
}

// Skips packets until the next label-5 one.
bool ReadFrame(Peer& peer, Bytes& frame) {
    while (peerProcess::ReadPacket(peer, frame))
        if (frame[1] == 0x05) return true;
    return false;
}

// Two parameter requests with a pause of many frame periods between them: every packet
// between their replies was sent after the first request was handled, so none of them may be
// a frame while the emulator is quiet. (A slow machine only makes the check weaker.)
void ExpectNoFramesBetweenTwoReplies(Peer& peer) {
    Bytes packet;
    peerProcess::Send(peer, ParamsRequest);
    do ASSERT_TRUE(peerProcess::ReadPacket(peer, packet));
    while (packet[1] != 0x03);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    peerProcess::Send(peer, ParamsRequest);
    ASSERT_TRUE(peerProcess::ReadPacket(peer, packet));
    EXPECT_EQ(packet[1], 0x03) << "a frame came while the emulator should be quiet";
}

struct ReplyCase {
    const char* name;
    std::vector<std::string> args;
    Bytes request;
    Bytes reply;
};

void PrintTo(const ReplyCase& c, std::ostream* os) { *os << c.name; }

class ParamsReplyTest : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(ParamsReplyTest, AnswersTheParametersRequest) {
    Peer peer;
    StartEmulator(peer, GetParam().args);
    peerProcess::Send(peer, GetParam().request);
    Bytes reply;
    EXPECT_TRUE(peerProcess::ReadExactly(peer, GetParam().reply.size(), reply));
    EXPECT_EQ(reply, GetParam().reply);
    EXPECT_EQ(peerProcess::Stop(peer), 0);
}

INSTANTIATE_TEST_SUITE_P(
    WidgetEmulator, ParamsReplyTest,
    ::testing::Values(
        ReplyCase{"Default", {}, ParamsRequest, {0x7E, 0x03, 0x05, 0x00, 0x04, 0x02, 0x09, 0x01, 0x28, 0xE7}},
        ReplyCase{"Firmware1_44", {"--firmware", "1.44"}, ParamsRequest, {0x7E, 0x03, 0x05, 0x00, 0x2C, 0x01, 0x09, 0x01, 0x28, 0xE7}},
        ReplyCase{"UserData3", {},
                  {0x7E, 0x03, 0x02, 0x00, 0x03, 0x00, 0xE7},
                  {0x7E, 0x03, 0x08, 0x00, 0x04, 0x02, 0x09, 0x01, 0x28, 0x00, 0x00, 0x00, 0xE7}},
        ReplyCase{"UserDataAtMost508", {},  // 512 bytes of user data asked, 508 given
                  {0x7E, 0x03, 0x02, 0x00, 0x00, 0x02, 0xE7},
                  WithZeros({0x7E, 0x03, 0x01, 0x02, 0x04, 0x02, 0x09, 0x01, 0x28}, 508, {0xE7})},
        ReplyCase{"AfterJunkAndFalseStart", {"--split", "1,4"},  // junk and a false start byte before the request
                  {0x55, 0x7E, 0xFF, 0xFF, 0x7E, 0x03, 0x02, 0x00, 0x00, 0x00, 0xE7},
                  {0x7E, 0x03, 0x05, 0x00, 0x04, 0x02, 0x09, 0x01, 0x28, 0xE7}},
        ReplyCase{"OtherDevice", {"--answer", "other"}, ParamsRequest, {'O', 'K', '\r', '\n'}}),
    CaseName<ReplyCase>);

TEST(WidgetEmulator, SilentDeviceNeverAnswers) {
    Peer peer;
    StartEmulator(peer, {"--answer", "none"});
    peerProcess::Send(peer, ParamsRequest);
    peerProcess::Send(peer, ParamsRequest);
    ASSERT_TRUE(peerProcess::WaitForLog(peer, "rx label=3", 2));
    Bytes nothing;
    EXPECT_FALSE(peerProcess::ReadExactly(peer, 1, nothing, 200));
    EXPECT_EQ(peerProcess::Stop(peer), 0);
}

struct PatternCase {
    const char* name;
    std::vector<std::string> args;
    std::function<std::uint8_t(int channel, std::uint32_t seq, std::mt19937& random)> level;
};

void PrintTo(const PatternCase& c, std::ostream* os) { *os << c.name; }

class PatternTest : public ::testing::TestWithParam<PatternCase> {};

// Channels 20 and 21 are fixed at 231 and 126 and 100..103 carry the sequence number over
// every pattern.
TEST_P(PatternTest, Label6ThenLabel8SendsFramesWithTheLevelsAsked) {
    std::vector<std::string> args{"--rate", "100", "--level", "20=231", "--level", "21=126", "--counter", "100"};
    args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
    Peer peer;
    StartEmulator(peer, args);
    peerProcess::Send(peer, OutputPacket(0x06));
    peerProcess::Send(peer, ReceiveModeSendAlways);
    std::mt19937 random(7);
    std::uint32_t expectedSeq = 1;
    for (int frameIndex = 0; frameIndex < 3; ++frameIndex) {
        Bytes frame;
        ASSERT_TRUE(ReadFrame(peer, frame));
        ExpectLabel5Header(frame, 0x00);
        const std::uint32_t seq = CounterAt(frame, 100);
        ASSERT_GE(seq, expectedSeq);  // a slow reader may have made it skip frames
        ASSERT_LT(seq, expectedSeq + 1000);
        for (; expectedSeq <= seq; ++expectedSeq)
            for (int n = 1; n <= 512; ++n) {
                const std::uint8_t level = GetParam().level(n, expectedSeq, random);
                if (expectedSeq != seq || n == 20 || n == 21 || (n >= 100 && n <= 103)) continue;
                ASSERT_EQ(Channel(frame, n), level) << "channel " << n << " seq " << seq;
            }
        EXPECT_EQ(Channel(frame, 20), 231);
        EXPECT_EQ(Channel(frame, 21), 126);
    }
    EXPECT_EQ(peerProcess::Stop(peer), 0);
}

INSTANTIATE_TEST_SUITE_P(
    WidgetEmulator, PatternTest,
    ::testing::Values(
        PatternCase{"Ramp", {"--pattern", "ramp"},
                    [](int n, std::uint32_t seq, std::mt19937&) { return static_cast<std::uint8_t>((n + seq) & 0xFF); }},
        PatternCase{"Random", {"--pattern", "random", "--seed", "7"},
                    [](int, std::uint32_t, std::mt19937& random) { return static_cast<std::uint8_t>(random() & 0xFF); }},
        PatternCase{"Fixed", {"--pattern", "fixed", "--level", "1=255", "--level", "512=10"},
                    [](int n, std::uint32_t, std::mt19937&) -> std::uint8_t {
                        return n == 1 ? 255 : n == 512 ? 10 : 0;
                    }}),
    CaseName<PatternCase>);

TEST(WidgetEmulator, Label6StopsFramesUntilAnotherLabelTurnsTheDmxPortBackToInput) {
    Peer peer;
    StartEmulator(peer, {"--rate", "100"});
    peerProcess::Send(peer, ReceiveModeSendAlways);
    Bytes frame;
    ASSERT_TRUE(ReadFrame(peer, frame));
    peerProcess::Send(peer, OutputPacket(0x06));
    ExpectNoFramesBetweenTwoReplies(peer);
    peerProcess::Send(peer, OutputPacket(0x07));
    ASSERT_TRUE(ReadFrame(peer, frame));
    ExpectLabel5Header(frame, 0x00);
    EXPECT_EQ(peerProcess::Stop(peer), 0);
}

TEST(WidgetEmulator, StopAndStartFromControlFileAndSignal) {
    Peer peer;
    StartEmulator(peer, {"--rate", "100", "--stream-at-start"});
    Bytes frame;
    ASSERT_TRUE(ReadFrame(peer, frame));
    peerProcess::AppendControl(peer, "stop");
    ASSERT_TRUE(peerProcess::WaitForLog(peer, "state stopped"));
    ExpectNoFramesBetweenTwoReplies(peer);
    kill(peer.pid, SIGUSR1);
    ASSERT_TRUE(ReadFrame(peer, frame));
    EXPECT_EQ(peerProcess::Stop(peer), 0);
}

struct FaultCase {
    const char* name;
    std::vector<std::string> args;
    bool garbage;
    int altStartEvery;
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

class FaultTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FaultTest, LengthFramedReaderRecoversEveryFrame) {
    std::vector<std::string> args{"--rate", "100", "--pattern", "random", "--counter", "1", "--stream-at-start"};
    args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
    Peer peer;
    StartEmulator(peer, args);
    std::uint32_t lastSeq = 0;
    for (int frameIndex = 0; frameIndex < 8; ++frameIndex) {
        Bytes frame;
        ASSERT_TRUE(ReadFrame(peer, frame));
        const std::uint32_t seq = CounterAt(frame, 1);
        EXPECT_GT(seq, lastSeq);
        lastSeq = seq;
        const int every = GetParam().altStartEvery;
        ExpectLabel5Header(frame, every > 0 && seq % static_cast<std::uint32_t>(every) == 0 ? 0xCC : 0x00);
    }
    EXPECT_EQ(peer.junkBytes > 0, GetParam().garbage);
    EXPECT_EQ(peerProcess::Stop(peer), 0);
}

INSTANTIATE_TEST_SUITE_P(
    WidgetEmulator, FaultTest,
    ::testing::Values(FaultCase{"SplitRandom", {"--split", "random"}, false, 0},
                      FaultCase{"SplitRandomGarbage", {"--split", "random", "--garbage", "7", "--seed", "3"}, true, 0},
                      FaultCase{"SplitAtOffsetsGarbageEvery2", {"--split", "1,4,300", "--garbage", "3", "--garbage-every", "2"}, true, 0},
                      FaultCase{"AltStartEvery3", {"--alt-start", "3"}, false, 3}),
                  CaseName<FaultCase>);

bool LinkExists(const Peer& peer) {
    struct stat info {};
    return lstat(peer.linkPath.c_str(), &info) == 0;
}

void ExpectWidgetAnswers(Peer& peer) {
    peerProcess::OpenPort(peer);
    peerProcess::Send(peer, ParamsRequest);
    Bytes reply;
    ASSERT_TRUE(peerProcess::ReadExactly(peer, 10, reply));
    EXPECT_EQ(reply, (Bytes{0x7E, 0x03, 0x05, 0x00, 0x04, 0x02, 0x09, 0x01, 0x28, 0xE7}));
}

TEST(WidgetEmulator, UnplugRemovesTheLinkAndReplugRecreatesIt) {
    Peer peer;
    StartEmulator(peer, {});
    peerProcess::AppendControl(peer, "unplug");
    ASSERT_TRUE(peerProcess::WaitForLog(peer, "state unplugged"));
    EXPECT_FALSE(LinkExists(peer));
    std::uint8_t byte = 0;
    const ssize_t n = read(peer.port, &byte, 1);
    EXPECT_TRUE(n == 0 || (n < 0 && errno == EIO)) << "the old port must be hung up";
    peerProcess::AppendControl(peer, "replug");
    ASSERT_TRUE(peerProcess::WaitForLog(peer, "state plugged", 2));
    EXPECT_TRUE(LinkExists(peer));
    ExpectWidgetAnswers(peer);
    EXPECT_EQ(peerProcess::Stop(peer), 0);
}

TEST(WidgetEmulator, StartedUnpluggedItHasNoLinkUntilReplugged) {
    Peer peer;
    peerProcess::Start(peer, WIDGET_EMULATOR, {"--unplugged"});
    ASSERT_TRUE(peerProcess::WaitForLog(peer, "state unplugged"));
    EXPECT_FALSE(LinkExists(peer));
    peerProcess::AppendControl(peer, "replug");
    ASSERT_TRUE(peerProcess::WaitForLog(peer, "state plugged"));
    ExpectWidgetAnswers(peer);
    EXPECT_EQ(peerProcess::Stop(peer), 0);
}

TEST(WidgetEmulator, Sigusr2UnplugsAndReplugsAtTheSamePath) {
    Peer peer;
    StartEmulator(peer, {});
    kill(peer.pid, SIGUSR2);
    ASSERT_TRUE(peerProcess::WaitForLog(peer, "state unplugged"));
    ASSERT_TRUE(peerProcess::WaitForLog(peer, "state plugged", 2));
    ExpectWidgetAnswers(peer);
    EXPECT_EQ(peerProcess::Stop(peer), 0);
}

TEST(WidgetEmulator, QuitCommandEndsItAndRemovesTheLink) {
    Peer peer;
    StartEmulator(peer, {});
    peerProcess::AppendControl(peer, "quit");
    ASSERT_TRUE(peerProcess::WaitForLog(peer, "state quit"));
    EXPECT_FALSE(LinkExists(peer));
    EXPECT_EQ(peerProcess::Stop(peer), 0);
}

}  // namespace
