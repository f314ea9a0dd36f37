// Tevrin.exe finding its widget wherever and whenever it is plugged in, and one bridge at a
// time, against widget emulators on pseudo-terminals and the LightJockey stand-in.
// Two runs of this program, each in a Wine prefix of its own:
// - HighPortBridge: COM23 mapped to a widget (firmware 2.4) there from the start; the bridge
//   finds it, and a second bridge started beside it ends without touching the widget.
// - PluggedInLater: COM5 mapped from the start to the link path of a widget (firmware 1.44) that
//   starts unplugged, so the path does not exist and the bridge finds nothing; the widget is
//   plugged in while it runs (its pty and the link appear), as a USB adapter's /dev/ttyUSB0 does.
// (Two prefixes rather than one: unplugging a pty that Wine's server has opened first hangs up
// its controlling terminal, and the server answers with a dump of all its objects.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "tools/conductor/conductor.h"
#include "tools/widget_emulator/event_log_reader.h"
#include "widget/win32_port_list.h"
#include "win32/control_ids.h"

namespace {

using windrive::Control;
using windrive::Text;
using Levels = std::vector<uint8_t>;
using Lines = std::vector<std::string>;

// The levels of the frames the emulator sent, cut to the 511 channels LightJockey is handed.
std::vector<Levels> SentLevels(const std::string& logPath) {
    std::vector<Levels> sent;
    for (const auto& frame : widgetEmulator::ReadSentFrames(logPath)) {
        if (frame.startCode != 0 || frame.stalled || frame.levels.size() != 512) continue;
        sent.emplace_back(frame.levels.begin(), frame.levels.begin() + 511);
    }
    return sent;
}

// Requests the emulator received: what a bridge wrote to it.
int RequestsReceived(const std::string& logPath) {
    int requests = 0;
    for (const std::string& event : widgetEmulator::ReadEvents(logPath)) requests += event.rfind("rx ", 0) == 0;
    return requests;
}

bool Plugged(const std::string& logPath) {
    for (const std::string& event : widgetEmulator::ReadEvents(logPath))
        if (event.rfind("state plugged", 0) == 0) return true;
    return false;
}

bool Com5Present(Win32SerialPortList& ports) { return ports.PresentPorts()[5]; }

// What the bridge's search pays for one look at the 255 mapped ports, printed (no limit: the
// machine is shared). The first look also reads the registry's list.
void PrintLookCost(Win32SerialPortList& ports) {
    std::vector<double> ms;
    for (int look = 0; look < 21; ++look) {
        const int64_t start = conductor::NowMicros();
        ports.PresentPorts();
        ms.push_back(static_cast<double>(conductor::NowMicros() - start) / 1000.0);
    }
    const double first = ms.front();
    std::sort(ms.begin() + 1, ms.end());
    std::printf("one look at 255 mapped ports: first %.2f ms, then median %.2f ms, max %.2f ms\n", first, ms[11],
                ms.back());
}

class BridgeRun : public ::testing::Test {
protected:
    static conductor::Program bridge;
    static conductor::StandIn standIn;

    static void TearDownTestSuite() {
        bridge.Stop();
        standIn.Stop();
    }
    static std::string Label(int id) { return Text(Control(bridge.window, id)); }
};

conductor::Program BridgeRun::bridge;
conductor::StandIn BridgeRun::standIn;

using HighPortBridge = BridgeRun;
using PluggedInLater = BridgeRun;

const std::string widget23Log = conductor::WorkPath("widget23.log");

TEST_F(HighPortBridge, AWidgetOnlyOnCom23IsFoundAndItsLevelsDelivered) {
    bridge = conductor::Start("Tevrin.exe", WindowClass::Bridge);
    ASSERT_NE(bridge.window, nullptr) << "the bridge window did not open";
    EXPECT_EQ(Text(bridge.window), "Firmware Version: 2.4");
    EXPECT_EQ(windrive::ListLines(Control(bridge.window, ControlId::DevList)),
              (Lines{"Com 23", "Pro Widget - Com:  23"}));

    standIn = conductor::StartStandIn("standin23.log");
    ASSERT_TRUE(standIn.ready);
    EXPECT_EQ(conductor::Connect(bridge.window), "LJ READY !");
    ASSERT_TRUE(windrive::WaitUntil([] { return standIn.Read().frames.size() >= 30; }, 30000));
    const auto sent = SentLevels(widget23Log);
    const std::set<Levels> expected(sent.begin(), sent.end());
    const auto delivered = standIn.Read().frames;
    size_t matching = 0;
    for (const auto& frame : delivered) matching += expected.count(frame.bytes);
    EXPECT_EQ(matching, delivered.size()) << "every frame delivered is one the widget sent";
}

TEST_F(HighPortBridge, ASecondBridgeWritesNothingAndLeavesTheFirstFeeding) {
    ASSERT_TRUE(bridge.process.Running());
    const int requestsBefore = RequestsReceived(widget23Log);
    const int64_t secondStarted = conductor::NowMicros();
    conductor::Program second = conductor::Launch("Tevrin.exe");
    ASSERT_TRUE(second.process.Started());
    EXPECT_EQ(second.process.Wait(20000), 0u) << "the second bridge ends by itself";
    Sleep(1500);

    EXPECT_EQ(RequestsReceived(widget23Log), requestsBefore) << "nothing was written to the widget";
    const auto delivered = standIn.Read().frames;
    const auto sent = SentLevels(widget23Log);
    ASSERT_GE(sent.size(), 20u);
    const std::set<Levels> lastSent(sent.end() - 20, sent.end());
    size_t after = 0;
    for (const auto& frame : delivered) after += frame.time > secondStarted;
    EXPECT_GE(after, 15u) << "the first bridge goes on feeding";
    ASSERT_FALSE(delivered.empty());
    EXPECT_EQ(lastSent.count(delivered.back().bytes), 1u) << "with the widget's current levels";
    EXPECT_EQ(GetForegroundWindow(), bridge.window) << "the running bridge was brought to the front";
    EXPECT_TRUE(bridge.process.Running());
}

TEST_F(PluggedInLater, AWidgetPluggedInAfterTheStartIsFoundWithinSeconds) {
    // Not named com5: Windows takes that name in any folder for the port itself.
    const std::string linkPath = conductor::WorkPath("widget5.tty");
    ASSERT_EQ(GetFileAttributesA(linkPath.c_str()), INVALID_FILE_ATTRIBUTES) << "COM5's device is there before the plug";
    Win32SerialPortList ports;
    PrintLookCost(ports);
    EXPECT_FALSE(Com5Present(ports)) << "a mapped port without its device counts as absent";

    bridge = conductor::Launch("Tevrin.exe");
    HWND box = windrive::WaitForMessageBox("Tevrin", conductor::StartTimeoutMs);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(windrive::MessageBoxText(box), "No Enttec DMX USB Pro widgets found");
    windrive::Click(windrive::MessageBoxButton(box));
    ASSERT_TRUE(conductor::WaitForWindow(bridge, WindowClass::Bridge));
    standIn = conductor::StartStandIn("standin5.log");
    ASSERT_TRUE(standIn.ready);
    EXPECT_EQ(conductor::Connect(bridge.window), "LJ READY !");
    Sleep(3000);  // a few looks that find nothing

    const std::string widget5Log = conductor::WorkPath("widget5.log");
    const int64_t plugged = conductor::NowMicros();
    conductor::SendEmulatorCommand(conductor::WorkPath("widget5.ctl"), "replug");
    ASSERT_TRUE(windrive::WaitUntil([&] { return Plugged(widget5Log); }, 5000));
    EXPECT_TRUE(Com5Present(ports)) << "and as present once its device is there";

    int64_t firstFrame = 0;
    windrive::WaitUntil([&] {
        const auto sent = SentLevels(widget5Log);
        const std::set<Levels> widgetFrames(sent.begin(), sent.end());
        for (const auto& frame : standIn.Read().frames) {
            if (frame.time > plugged && widgetFrames.count(frame.bytes)) {
                firstFrame = frame.time;
                return true;
            }
        }
        return false;
    }, 15000);
    ASSERT_NE(firstFrame, 0) << "the widget's levels never reached the stand-in";
    const double seconds = static_cast<double>(firstFrame - plugged) / 1e6;
    std::printf("widget plugged in on COM5 -> its first frame at the stand-in: %.2f s\n", seconds);
    EXPECT_LT(seconds, 4.0);
    EXPECT_EQ(Text(bridge.window), "Firmware Version: 1.44");
    EXPECT_EQ(windrive::ListLines(Control(bridge.window, ControlId::DevList)), (Lines{"Com 5", "Pro Widget - Com:  5"}));
    EXPECT_TRUE(windrive::WaitUntil([] { return Label(ControlId::lblError) == "0 Ready"; }, 5000))
        << Label(ControlId::lblError);
}

}  // namespace
