// The echo peer of the serial class's Wine test: every byte value comes back unchanged and
// is logged raw.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "peer_process.h"

using peerProcess::Bytes;

TEST(PtyEcho, EchoesAndLogsAll256ByteValues) {
    peerProcess::Peer peer;
    peerProcess::Start(peer, PTY_ECHO, {}, false);
    peerProcess::OpenPort(peer);
    Bytes all;
    for (int value = 0; value < 256; ++value) all.push_back(static_cast<std::uint8_t>(value));
    peerProcess::Send(peer, all);
    Bytes echoed;
    ASSERT_TRUE(peerProcess::ReadExactly(peer, all.size(), echoed));
    EXPECT_EQ(echoed, all);
    std::ifstream log(peer.logPath, std::ios::binary);
    EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(log), {}), all);
    EXPECT_EQ(peerProcess::Stop(peer), 0);
}
