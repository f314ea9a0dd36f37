// Both programs against a LightJockey stand-in that hangs, closes and starts again, driven and
// read from this process by window messages only. The runner maps COM3 to a widget emulator
// that streams random levels with a sequence number in channels 33 to 36.
//
// The figures an operator would ask about are printed (how long the bridge's window thread was
// held during a hang, how soon the button shows a closed LightJockey, how soon a new one is
// fed); the checks use generous bounds, since the machine may be loaded.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "link/lj_link.h"
#include "tests/wine/bridge_suite.h"
#include "tools/conductor/conductor.h"
#include "tools/widget_emulator/event_log_reader.h"
#include "win32/control_ids.h"

namespace {

using windrive::Control;
using windrive::Text;

constexpr int FIRST_COUNTER_CHANNEL = 33;

double MillisSince(int64_t micros) { return (conductor::NowMicros() - micros) / 1000.0; }

// When the emulator wrote each sequence number.
std::map<uint32_t, int64_t> EmulatorFrameTimes() {
    std::map<uint32_t, int64_t> times;
    for (const auto& frame : widgetEmulator::ReadSentFrames(conductor::WorkPath("widget3.log")))
        times[frame.seq] = frame.time;
    return times;
}

uint32_t SequenceOf(const StandInLog::Delivery& frame) {
    const auto& b = frame.bytes;
    size_t at = FIRST_COUNTER_CHANNEL - 1;
    if (b.size() < at + 4) return 0;
    return (uint32_t{b[at]} << 24) | (uint32_t{b[at + 1]} << 16) | (uint32_t{b[at + 2]} << 8) | b[at + 3];
}

// A stand-in started now, and its window.
struct StandIn {
    int64_t launched = conductor::NowMicros();
    conductor::StandIn peer;
    HWND window = nullptr;

    StandIn(const std::string& name, const std::string& args) : peer(conductor::StartStandIn(name + ".log", args)) {
        EXPECT_TRUE(peer.ready) << name;
        window = FindWindowA(Brenoth::LJ_WINDOW_CLASS, nullptr);
    }
    StandInLog::Contents Read() const { return peer.Read(); }
};

// Posts WM_CLOSE to the stand-in's window and waits until the connect button reads "LJ not
// READY !"; prints how long that took after the window was gone.
void CloseStandInAndWaitForNotReady(StandIn& standIn, HWND button, const char* program) {
    ASSERT_NE(standIn.window, nullptr);
    int64_t posted = conductor::NowMicros();
    PostMessageA(standIn.window, WM_CLOSE, 0, 0);
    int64_t gone = 0, notReady = 0;
    windrive::WaitUntil([&] {
        if (!gone && !IsWindow(standIn.window)) gone = conductor::NowMicros();
        if (!notReady && Text(button) == "LJ not READY !") notReady = conductor::NowMicros();
        return gone && notReady;
    }, 10000);
    ASSERT_NE(gone, 0) << "the stand-in's window did not close";
    ASSERT_NE(notReady, 0) << "the button still reads " << Text(button);
    double afterGone = (notReady - gone) / 1000.0;
    std::printf("%s: stand-in window gone %.0f ms after WM_CLOSE; button \"LJ not READY !\" %.0f ms after that\n",
                program, (gone - posted) / 1000.0, afterGone);
    EXPECT_LT(afterGone, 2000.0);
    EXPECT_TRUE(standIn.peer.process.Wait(10000) != STILL_ACTIVE);
}

// Starts a new stand-in and waits, without a click, for its first frame and "LJ READY !".
void StartStandInAndWaitForFrames(const std::string& name, HWND button, const char* program) {
    StandIn standIn(name, "");
    bool fed = windrive::WaitUntil([&] { return !standIn.Read().frames.empty(); }, 10000);
    ASSERT_TRUE(fed) << "no frame reached the new stand-in";
    auto log = standIn.Read();
    double fromReady = (log.frames[0].time - log.ready) / 1000.0;
    std::printf("%s: new stand-in ready %.0f ms after its launch; first frame %.0f ms after it was ready\n",
                program, (log.ready - standIn.launched) / 1000.0, fromReady);
    EXPECT_LT(fromReady, 3000.0);
    ASSERT_EQ(log.asks.size(), 2u) << "the handshake, asked by itself";
    EXPECT_TRUE(windrive::WaitUntil([&] { return Text(button) == "LJ READY !"; }, 2000)) << Text(button);
    standIn.peer.Stop();
}

class BridgeWithLightJockey : public BridgeSuite {
protected:
    static void SetUpTestSuite() {
        BridgeSuite::SetUpTestSuite();
        if (form) conductor::WaitForShownRate(form, 20000);
    }

    void SetUp() override {
        BridgeSuite::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(bridge.process.Running());
    }
    HWND Button() const { return Control(form, ControlId::cmdFind_LJ); }
    static void Desk(const std::string& command) {
        conductor::SendEmulatorCommand(conductor::WorkPath("widget3.ctl"), command);
    }
};

// How long a message posted to the bridge waited for its window thread: a line step of fader 16,
// timed until the fader shows it. Fader 16 only ever moves between level 0 and level 1.
double PostedMessageWaitMs(HWND form, HWND fader) {
    int before = windrive::ScrollPos(fader);
    bool up = before == 255;
    int64_t posted = conductor::NowMicros();
    PostMessageA(form, WM_VSCROLL, MAKEWPARAM(up ? SB_LINEUP : SB_LINEDOWN, 0), reinterpret_cast<LPARAM>(fader));
    int target = up ? 254 : 255;
    while (windrive::ScrollPos(fader) != target && MillisSince(posted) < 20000) Sleep(1);
    return MillisSince(posted);
}

TEST_F(BridgeWithLightJockey, KeepsReadingTheDeskWhileLightJockeyHangsForFiveSeconds) {
    StandIn standIn("hang5", "--hang 30:5000");
    windrive::Click(Button());
    ASSERT_EQ(Label(ControlId::cmdFind_LJ), "LJ READY !");
    ASSERT_TRUE(windrive::WaitUntil([&] { return standIn.Read().hang != 0; }, 20000)) << "the stand-in did not hang";

    HWND fader = Control(form, ControlId::scrollCh + 15);
    double longestWait = 0;
    int probes = 0;
    std::vector<std::string> rates;
    double followedMs = -1;
    int64_t levelSet = 0;
    int64_t nextRate = conductor::NowMicros();
    while (standIn.Read().resume == 0 && MillisSince(standIn.Read().hang) < 20000) {
        longestWait = std::max(longestWait, PostedMessageWaitMs(form, fader));
        ++probes;
        if (conductor::NowMicros() >= nextRate) {
            rates.push_back(Label(ControlId::lblFPS));
            nextRate += 500000;
        }
        if (!levelSet && MillisSince(standIn.Read().hang) > 1000) {
            Desk("level 1 201");
            levelSet = conductor::NowMicros();
        }
        if (levelSet && followedMs < 0 && Label(ControlId::lblChValue) == "201") followedMs = MillisSince(levelSet);
        Sleep(5);
    }
    auto log = standIn.Read();
    ASSERT_NE(log.resume, 0) << "the hang did not end";
    std::string shown;
    for (const auto& r : rates) shown += r + " ";
    std::printf("bridge, 5 s hang (%.1f s measured): longest wait of a posted message %.1f ms over %d probes; "
                "lblFPS every 0.5 s: %s; value label 1 followed the desk after %.0f ms\n",
                (log.resume - log.hang) / 1e6, longestWait, probes, shown.c_str(), followedMs);
    EXPECT_LT(longestWait, 1000.0) << "the window thread is never held for long";
    EXPECT_GE(followedMs, 0.0) << "value label 1 did not follow the desk";
    EXPECT_LT(followedMs, 2000.0);
    ASSERT_GE(rates.size(), 4u);
    for (size_t i = 2; i < rates.size(); ++i) {  // the first second's rate may count from before
        int rate = std::atoi(rates[i].c_str());
        EXPECT_GE(rate, 30) << "lblFPS " << rates[i];
        EXPECT_LE(rate, 50) << "lblFPS " << rates[i];
    }

    // The first frame after the hang is the desk's newest, not one from before it.
    ASSERT_TRUE(windrive::WaitUntil([&] {
        auto l = standIn.Read();
        return std::count_if(l.frames.begin(), l.frames.end(), [&](const StandInLog::Delivery& f) {
            return f.time > l.resume;
        }) >= 3;
    }, 5000));
    log = standIn.Read();
    auto times = EmulatorFrameTimes();
    auto first = std::find_if(log.frames.begin(), log.frames.end(),
                              [&](const StandInLog::Delivery& f) { return f.time > log.resume; });
    ASSERT_NE(first, log.frames.end());
    auto written = times.find(SequenceOf(*first));
    ASSERT_NE(written, times.end()) << "the first frame after the hang is not one the desk sent";
    double age = (first->time - written->second) / 1000.0;
    // Frames left queued from the hang would arrive as a burst right after it.
    auto burst = std::count_if(log.frames.begin(), log.frames.end(), [&](const StandInLog::Delivery& f) {
        return f.time > log.resume && f.time <= log.resume + 200000;
    });
    std::printf("bridge: first frame after the hang reached LightJockey %.0f ms after the hang ended, "
                "holding the desk's frame of %.0f ms before; %d frames in the first 200 ms after the hang\n",
                (first->time - log.resume) / 1000.0, age, static_cast<int>(burst));
    EXPECT_LE(burst, 5) << "frames not taken during the hang were queued";
    EXPECT_LT(age, 1000.0) << "the first frame after the hang is current";
    EXPECT_EQ(first->bytes[0], 201);
    EXPECT_EQ(Label(ControlId::cmdFind_LJ), "LJ READY !");
    Desk("level 1 0");
    CloseStandInAndWaitForNotReady(standIn, Button(), "bridge");
}

TEST_F(BridgeWithLightJockey, ANewLightJockeyIsConnectedAndFedWithoutAClick) {
    StandIn standIn("restart-a", "");
    // Connected by itself when an earlier test connected once; a click otherwise.
    if (!windrive::WaitUntil([&] { return Label(ControlId::cmdFind_LJ) == "LJ READY !"; }, 3000))
        windrive::Click(Button());
    ASSERT_TRUE(windrive::WaitUntil([&] { return !standIn.Read().frames.empty(); }, 10000));
    CloseStandInAndWaitForNotReady(standIn, Button(), "bridge");
    StartStandInAndWaitForFrames("restart-b", Button(), "bridge");
}

// Last: this one ends the bridge.
TEST_F(BridgeWithLightJockey, ALightJockeyHungForGoodNeitherFreezesTheButtonNorKeepsTheWindowOpen) {
    StandIn standIn("hung", "--hang 3:forever");
    ASSERT_TRUE(windrive::WaitUntil([&] { return standIn.Read().hang != 0; }, 10000))
        << "not fed by itself, or the stand-in did not hang";

    int64_t clicked = conductor::NowMicros();
    windrive::Click(Button());
    double clickMs = MillisSince(clicked);
    std::printf("bridge: a click with LightJockey hung for good took %.0f ms and shows \"%s\"\n", clickMs,
                Label(ControlId::cmdFind_LJ).c_str());
    EXPECT_EQ(Label(ControlId::cmdFind_LJ), "LJ not READY !");
    EXPECT_LT(clickMs, 2000.0);

    // Hung for more than 5 s: the system takes the window for hung and does not wait at all.
    auto log = standIn.Read();
    Sleep(static_cast<DWORD>(std::max(0.0, 6000.0 - MillisSince(log.hang))));
    clicked = conductor::NowMicros();
    windrive::Click(Button());
    std::printf("bridge: the same click once LightJockey had been hung for 6 s took %.0f ms\n", MillisSince(clicked));
    EXPECT_EQ(Label(ControlId::cmdFind_LJ), "LJ not READY !");

    int64_t closing = conductor::NowMicros();
    PostMessageA(form, WM_CLOSE, 0, 0);
    int64_t gone = 0;
    windrive::WaitUntil([&] {
        if (!gone && !IsWindow(form)) gone = conductor::NowMicros();
        return !bridge.process.Running();
    }, 20000);
    double total = MillisSince(closing);
    std::printf("bridge: closed with LightJockey hung: window gone %.0f ms after WM_CLOSE, process ended %.0f ms "
                "after WM_CLOSE\n", gone ? (gone - closing) / 1000.0 : -1.0, total);
    EXPECT_FALSE(bridge.process.Running()) << "the bridge did not end";
    EXPECT_LT(total, 10000.0);
    standIn.peer.process.Kill();
}

TEST(SimulatorWithLightJockey, ANewLightJockeyIsConnectedAndFedWithoutAClick) {
    conductor::Program simulator = conductor::Start("Brenoth.exe", WindowClass::Simulator);
    ASSERT_NE(simulator.window, nullptr);
    HWND button = Control(simulator.window, ControlId::cmdFind_LJ);
    {
        StandIn standIn("simulator-a", "");
        windrive::Click(button);
        ASSERT_EQ(Text(button), "LJ READY !");
        ASSERT_TRUE(windrive::WaitUntil([&] { return !standIn.Read().frames.empty(); }, 10000));
        CloseStandInAndWaitForNotReady(standIn, button, "simulator");
    }
    StartStandInAndWaitForFrames("simulator-b", button, "simulator");
}

}  // namespace
