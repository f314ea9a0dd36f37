#include "link/lj_link.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fakes/fake_light_jockey.h"

namespace {

class LinkTest : public ::testing::Test {
protected:
    FakeLightJockey lightJockey;
    UsingFakeLightJockey using_{lightJockey};

    // One feed tick as both programs run it: tend the link, then send while a window is known.
    void Tick(double now) {
        Brenoth::TendLink(now);
        if (Brenoth::ljWindow != 0) Brenoth::SendDmxFrame();
    }
};

TEST_F(LinkTest, NoLightJockeyWindowFailsAndAsksNothing) {
    Brenoth::ljWindow = 0x99;  // a window known from an earlier connect
    EXPECT_FALSE(Brenoth::ConnectLJ());
    EXPECT_EQ(Brenoth::ljWindow, 0u);
    EXPECT_FALSE(Brenoth::ljReady);
    EXPECT_EQ(lightJockey.lookups, std::vector<std::string>{"TLJMainForm"});
    EXPECT_TRUE(lightJockey.sent.empty());
}

struct HandshakeCase {
    const char* name;
    std::intptr_t answer0, answer1;
    bool hung;
    bool ready;
    std::vector<std::uintptr_t> asked;
};

TEST_F(LinkTest, HandshakeOutcomes) {
    const HandshakeCase cases[] = {
        {"question 0 answered 0", 0, 0x02060000, false, false, {0}},
        {"question 0 answered 2", 2, 0x02060000, false, false, {0}},
        {"question 1 one below the threshold", 1, 0x02060000 - 1, false, false, {0, 1}},
        {"question 1 exactly the threshold", 1, 0x02060000, false, true, {0, 1}},
        {"question 1 above the threshold", 1, 0x7FFFFFFF, false, true, {0, 1}},
        {"question 1 negative", 1, -1, false, false, {0, 1}},
        {"question 1 with bit 31 set", 1, static_cast<std::intptr_t>(0x80000000u), false, false, {0, 1}},
        {"a hung window does not answer question 0", 1, 0x02060000, true, false, {0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        lightJockey = FakeLightJockey{0x1234};
        lightJockey.answer0 = c.answer0;
        lightJockey.answer1 = c.answer1;
        lightJockey.hung = c.hung;
        EXPECT_EQ(Brenoth::ConnectLJ(), c.ready);
        EXPECT_EQ(Brenoth::ljReady, c.ready);
        EXPECT_EQ(Brenoth::ljWindow, 0x1234u) << "the window found is kept either way";
        EXPECT_EQ(lightJockey.QuestionsAsked(), c.asked);
        for (auto& m : lightJockey.sent) {
            EXPECT_EQ(m.window, 0x1234u);
            EXPECT_EQ(m.variableAtSend, 0) << "the variable is 0 before each question";
            EXPECT_LE(m.timeoutMs, 500u) << "a hung window gives its answer within a second";
        }
    }
}

TEST_F(LinkTest, SecondConnectLooksUpAgainAndReplacesTheWindow) {
    lightJockey.Start(0x1111);
    EXPECT_TRUE(Brenoth::ConnectLJ());
    lightJockey.Start(0x2222);
    EXPECT_TRUE(Brenoth::ConnectLJ());
    EXPECT_EQ(Brenoth::ljWindow, 0x2222u);
    EXPECT_EQ(lightJockey.lookups.size(), 2u);
    EXPECT_EQ(lightJockey.QuestionsAsked(), (std::vector<std::uintptr_t>{0, 1, 0, 1}));
    lightJockey.Close();
    EXPECT_FALSE(Brenoth::ConnectLJ());
    EXPECT_EQ(Brenoth::ljWindow, 0u);
}

TEST_F(LinkTest, FrameGoesInPlaceAsChannels1To511WithinAFractionOfATick) {
    for (int k = 0; k < 512; ++k) Brenoth::dmxFrame[k] = static_cast<std::uint8_t>(k);
    lightJockey.Start(0x4321);
    Brenoth::ljWindow = 0x4321;
    Brenoth::SendDmxFrame();

    ASSERT_EQ(lightJockey.sent.size(), 1u);
    const auto& m = lightJockey.sent[0];
    EXPECT_EQ(m.window, 0x4321u);
    EXPECT_EQ(m.message, 74u);
    EXPECT_EQ(m.wParam, 0u);
    EXPECT_EQ(m.record.dwData, 256u);
    EXPECT_EQ(m.record.cbData, 511u);
    EXPECT_EQ(m.record.lpData, static_cast<const void*>(&Brenoth::dmxFrame[0]));
    EXPECT_LE(m.timeoutMs, 35u) << "well under one 70 ms tick";
    std::vector<std::uint8_t> expected(Brenoth::dmxFrame, Brenoth::dmxFrame + 511);
    EXPECT_EQ(m.block, expected);
}

TEST_F(LinkTest, FrameNotTakenInTimeIsDroppedAndTheNextTickSendsTheNewest) {
    lightJockey.Start(0x10);
    ASSERT_TRUE(Brenoth::ConnectLJ());
    lightJockey.hung = true;
    Brenoth::dmxFrame[0] = 1;
    Tick(0.0);
    lightJockey.hung = false;
    Brenoth::dmxFrame[0] = 2;
    Tick(0.07);

    auto frames = lightJockey.Frames();
    ASSERT_EQ(frames.size(), 1u) << "the frame not taken is not sent again";
    EXPECT_EQ(frames[0][0], 2);
    EXPECT_EQ(Brenoth::ljWindow, 0x10u) << "a busy window is kept";
    EXPECT_TRUE(Brenoth::ljReady);
}

TEST_F(LinkTest, WindowGoneIsForgottenAndGetsNothingMore) {
    lightJockey.Start(0x10);
    ASSERT_TRUE(Brenoth::ConnectLJ());
    Tick(0.0);
    lightJockey.Close();
    Tick(0.07);
    EXPECT_EQ(Brenoth::ljWindow, 0u);
    EXPECT_FALSE(Brenoth::ljReady);
    for (int n = 2; n < 40; ++n) Tick(n * 0.07);
    EXPECT_EQ(lightJockey.SentToGoneWindows(), 0u);
    EXPECT_EQ(lightJockey.Frames().size(), 1u);
}

TEST_F(LinkTest, AfterAHandshakePassedANewWindowIsConnectedByItselfAndFed) {
    lightJockey.Start(0x10);
    ASSERT_TRUE(Brenoth::ConnectLJ());
    lightJockey.Close();
    lightJockey.lookups.clear();
    double now = 0;
    for (; now < 3.0; now += 0.07) Tick(now);
    EXPECT_GE(lightJockey.lookups.size(), 2u) << "about once a second";
    EXPECT_LE(lightJockey.lookups.size(), 4u) << "about once a second";

    lightJockey.Start(0x20);
    lightJockey.sent.clear();
    for (double until = now + 1.1; now < until; now += 0.07) Tick(now);
    EXPECT_EQ(Brenoth::ljWindow, 0x20u);
    EXPECT_TRUE(Brenoth::ljReady);
    EXPECT_EQ(lightJockey.QuestionsAsked(), (std::vector<std::uintptr_t>{0, 1}));
    EXPECT_FALSE(lightJockey.Frames().empty());
}

TEST_F(LinkTest, NothingIsLookedForOrSentBeforeAHandshakePassed) {
    lightJockey.Start(0x10);
    for (double now = 0; now < 5; now += 0.07) Tick(now);
    EXPECT_TRUE(lightJockey.lookups.empty());
    EXPECT_TRUE(lightJockey.sent.empty());

    lightJockey.answer0 = 0;  // a click that finds a window failing the handshake still feeds it
    EXPECT_FALSE(Brenoth::ConnectLJ());
    Tick(5.0);
    EXPECT_EQ(lightJockey.Frames().size(), 1u);
    lightJockey.Close();
    lightJockey.lookups.clear();
    for (double now = 5.07; now < 8; now += 0.07) Tick(now);
    EXPECT_TRUE(lightJockey.lookups.empty()) << "no handshake has passed yet";
}

}  // namespace
