#include "link/lj_link.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using Brenoth::WindowHandle;

struct SentMessage {
    WindowHandle window;
    unsigned message;
    std::uintptr_t wParam;
    std::int32_t variableAtSend;             // for questions: what the 32-bit variable held
    Brenoth::CopyDataRecord record{};        // for frames: the record as handed over
    std::vector<std::uint8_t> block;         // for frames: the bytes it points at
};

// A window system with at most one "TLJMainForm" window, answering the two questions.
class FakeWindows : public Brenoth::WindowMessaging {
public:
    WindowHandle lightJockey = 0;
    std::intptr_t answer0 = 1;
    std::intptr_t answer1 = Brenoth::LJ_MIN_VERSION;
    std::vector<std::string> lookups;
    std::vector<SentMessage> sent;

    WindowHandle FindWindowByClass(const char* className) override {
        lookups.push_back(className);
        return std::string(className) == "TLJMainForm" ? lightJockey : 0;
    }
    std::intptr_t Send(WindowHandle window, unsigned message, std::uintptr_t wParam,
                       std::intptr_t lParam) override {
        SentMessage m{window, message, wParam, 0, {}, {}};
        if (message == Brenoth::LJ_QUESTION) {
            m.variableAtSend = *reinterpret_cast<const std::int32_t*>(lParam);
            *reinterpret_cast<std::int32_t*>(lParam) = 0x5A5A;  // a peer may scribble on it
        } else {
            m.record = *reinterpret_cast<const Brenoth::CopyDataRecord*>(lParam);
            auto bytes = static_cast<const std::uint8_t*>(m.record.lpData);
            m.block.assign(bytes, bytes + m.record.cbData);
        }
        sent.push_back(m);
        if (message != Brenoth::LJ_QUESTION) return 0;
        return wParam == 0 ? answer0 : answer1;
    }
    std::vector<std::uintptr_t> QuestionsAsked() const {
        std::vector<std::uintptr_t> asked;
        for (auto& m : sent)
            if (m.message == Brenoth::LJ_QUESTION) asked.push_back(m.wParam);
        return asked;
    }
};

class LinkTest : public ::testing::Test {
protected:
    FakeWindows windows;
    void SetUp() override {
        Brenoth::ResetLinkState();
        Brenoth::UseWindowMessaging(&windows);
    }
    void TearDown() override { Brenoth::UseWindowMessaging(nullptr); }
};

TEST_F(LinkTest, NoLightJockeyWindowFailsAndAsksNothing) {
    Brenoth::ljWindow = 0x99;  // a window known from an earlier connect
    EXPECT_FALSE(Brenoth::ConnectLJ());
    EXPECT_EQ(Brenoth::ljWindow, 0u);
    EXPECT_EQ(windows.lookups, std::vector<std::string>{"TLJMainForm"});
    EXPECT_TRUE(windows.sent.empty());
}

struct HandshakeCase {
    const char* name;
    std::intptr_t answer0, answer1;
    bool ready;
    std::vector<std::uintptr_t> asked;
};

TEST_F(LinkTest, HandshakeOutcomes) {
    const HandshakeCase cases[] = {
        {"question 0 answered 0", 0, 0x02060000, false, {0}},
        {"question 0 answered 2", 2, 0x02060000, false, {0}},
        {"question 1 one below the threshold", 1, 0x02060000 - 1, false, {0, 1}},
        {"question 1 exactly the threshold", 1, 0x02060000, true, {0, 1}},
        {"question 1 above the threshold", 1, 0x7FFFFFFF, true, {0, 1}},
        {"question 1 negative", 1, -1, false, {0, 1}},
        {"question 1 with bit 31 set", 1, static_cast<std::intptr_t>(0x80000000u), false, {0, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        windows = FakeWindows{};
        windows.lightJockey = 0x1234;
        windows.answer0 = c.answer0;
        windows.answer1 = c.answer1;
        EXPECT_EQ(Brenoth::ConnectLJ(), c.ready);
        EXPECT_EQ(Brenoth::ljWindow, 0x1234u) << "the window found is kept either way";
        EXPECT_EQ(windows.QuestionsAsked(), c.asked);
        for (auto& m : windows.sent) {
            EXPECT_EQ(m.window, 0x1234u);
            EXPECT_EQ(m.variableAtSend, 0) << "the variable is 0 before each question";
        }
    }
}

TEST_F(LinkTest, SecondConnectLooksUpAgainAndReplacesTheWindow) {
    windows.lightJockey = 0x1111;
    EXPECT_TRUE(Brenoth::ConnectLJ());
    windows.lightJockey = 0x2222;
    EXPECT_TRUE(Brenoth::ConnectLJ());
    EXPECT_EQ(Brenoth::ljWindow, 0x2222u);
    EXPECT_EQ(windows.lookups.size(), 2u);
    EXPECT_EQ(windows.QuestionsAsked(), (std::vector<std::uintptr_t>{0, 1, 0, 1}));
    windows.lightJockey = 0;
    EXPECT_FALSE(Brenoth::ConnectLJ());
    EXPECT_EQ(Brenoth::ljWindow, 0u);
}

TEST_F(LinkTest, FrameGoesInPlaceAsChannels1To511) {
    for (int k = 0; k < 512; ++k) Brenoth::dmxFrame[k] = static_cast<std::uint8_t>(k);
    Brenoth::ljWindow = 0x4321;
    Brenoth::SendDmxFrame();

    ASSERT_EQ(windows.sent.size(), 1u);
    const auto& m = windows.sent[0];
    EXPECT_EQ(m.window, 0x4321u);
    EXPECT_EQ(m.message, 74u);
    EXPECT_EQ(m.wParam, 0u);
    EXPECT_EQ(m.record.dwData, 256u);
    EXPECT_EQ(m.record.cbData, 511u);
    EXPECT_EQ(m.record.lpData, static_cast<const void*>(&Brenoth::dmxFrame[0]));
    std::vector<std::uint8_t> expected(Brenoth::dmxFrame, Brenoth::dmxFrame + 511);
    EXPECT_EQ(m.block, expected);
}

}  // namespace
