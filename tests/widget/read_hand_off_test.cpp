#include "widget/read_hand_off.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

using ReadHandOff::PortRead;

PortRead Bytes(const std::string& bytes, std::uint32_t generation = 1) {
    return PortRead{generation, false, false, bytes};
}

class ReadHandOffTest : public ::testing::Test {
protected:
    void SetUp() override { ReadHandOff::Clear(); }
    void TearDown() override { ReadHandOff::Clear(); }
};

TEST_F(ReadHandOffTest, TheWindowIsToldOnlyWhenNothingWasWaiting) {
    EXPECT_TRUE(ReadHandOff::Put(Bytes("a")));
    EXPECT_FALSE(ReadHandOff::Put(Bytes("b")));
    EXPECT_FALSE(ReadHandOff::Put(PortRead{1, true, false, {}}));
    auto taken = ReadHandOff::TakeAll();
    ASSERT_EQ(taken.size(), 3u);
    EXPECT_EQ(taken[0].bytes, "a");
    EXPECT_EQ(taken[1].bytes, "b");
    EXPECT_TRUE(taken[2].failed);
    EXPECT_TRUE(ReadHandOff::TakeAll().empty());
    EXPECT_TRUE(ReadHandOff::Put(Bytes("c"))) << "after a take the next read is told again";
}

TEST_F(ReadHandOffTest, TooMuchWaitingDropsTheOldestAndMarksTheGap) {
    const std::string chunk(4096, '\x7E');
    const std::size_t fit = ReadHandOff::MaxWaitingBytes / chunk.size();
    for (std::size_t i = 0; i < fit; ++i) ReadHandOff::Put(Bytes(chunk));
    EXPECT_FALSE(ReadHandOff::Put(Bytes("newest"))) << "a notice is still on its way";
    auto taken = ReadHandOff::TakeAll();
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0].bytes, "newest");
    EXPECT_TRUE(taken[0].afterGap);
}

// One thread reads, the other takes whenever it is told, as the window thread does: every read
// arrives once, in order, and no notice is missed.
TEST_F(ReadHandOffTest, ReadsFromAnotherThreadArriveOnceAndInOrder) {
    constexpr int reads = 20000;
    std::atomic<int> notices{0};
    std::thread reader([&] {
        for (int n = 0; n < reads; ++n)
            if (ReadHandOff::Put(Bytes(std::to_string(n)))) ++notices;
    });
    std::vector<std::string> received;
    int taken = 0;
    auto takeAll = [&] {
        for (auto& read : ReadHandOff::TakeAll()) received.push_back(read.bytes);
    };
    while (received.size() < static_cast<std::size_t>(reads)) {
        if (notices > taken) {
            ++taken;
            takeAll();
        } else {
            std::this_thread::yield();
        }
    }
    reader.join();
    takeAll();
    ASSERT_EQ(received.size(), static_cast<std::size_t>(reads));
    for (int n = 0; n < reads; ++n) ASSERT_EQ(received[static_cast<std::size_t>(n)], std::to_string(n));
}

}  // namespace
