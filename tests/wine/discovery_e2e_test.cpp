// Tevrin.exe finding its widget wherever and whenever it is plugged in, and one bridge at a
// time, against widget emulators on pseudo-terminals and the LightJockey stand-in.
// Two runs of this program, each in a Wine prefix of its own:
// - HighPortBridge: COM23 mapped to a widget (firmware 2.4) there from the start; the bridge
//   finds it, and a second bridge started beside it ends without touching the widget.
// - PluggedInLater: COM5 mapped to a widget (firmware 1.44) that starts unplugged; the bridge
//   finds nothing, and the widget is plugged in while it runs.
// (Two prefixes rather than one: unplugging a pty that Wine's server has opened first hangs up
// its controlling terminal, and the server answers with a dump of all its objects.)
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "tools/conductor/conductor.h"
#include "tools/widget_emulator/event_log_reader.h"
#include "win32/control_ids.h"

namespace {

using windrive::Control;
using windrive::Text;
using Levels = std::vector<uint8_t>;
using Lines = std::vector<std::string>;

constexpr const char* SerialCommKey = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

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

// Windows lists a serial port in SERIALCOMM while its device is present: a USB adapter's driver
// adds the port when the adapter is plugged in and removes it when it is pulled out. Wine lists
// every mapped port from its start, so the test takes the port out of the list and puts it back.
// Returns the value's name ("" if the port was not listed).
std::string UnlistPort(const char* port) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SerialCommKey, 0, KEY_READ | KEY_SET_VALUE, &key) != ERROR_SUCCESS) return "";
    std::string found;
    for (DWORD index = 0; found.empty(); ++index) {
        char name[256], data[64] = {};
        DWORD nameSize = sizeof name, dataSize = sizeof data - 1, type = 0;
        if (RegEnumValueA(key, index, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize) !=
            ERROR_SUCCESS)
            break;
        if (type == REG_SZ && std::string(data) == port) found = name;
    }
    if (!found.empty()) RegDeleteValueA(key, found.c_str());
    RegCloseKey(key);
    return found;
}

bool ListPort(const std::string& valueName, const char* port) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SerialCommKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return false;
    const LONG result = RegSetValueExA(key, valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(port),
                                       static_cast<DWORD>(std::strlen(port) + 1));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
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
    const std::string com5 = UnlistPort("COM5");
    ASSERT_FALSE(com5.empty()) << "Wine lists every mapped port";

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
    conductor::SendEmulatorCommand(conductor::WorkPath("widget5.ctl"), "replug");
    ASSERT_TRUE(windrive::WaitUntil([&] { return Plugged(widget5Log); }, 5000));
    ASSERT_TRUE(ListPort(com5, "COM5"));
    const int64_t appeared = conductor::NowMicros();

    int64_t firstFrame = 0;
    windrive::WaitUntil([&] {
        const auto sent = SentLevels(widget5Log);
        const std::set<Levels> widgetFrames(sent.begin(), sent.end());
        for (const auto& frame : standIn.Read().frames) {
            if (frame.time > appeared && widgetFrames.count(frame.bytes)) {
                firstFrame = frame.time;
                return true;
            }
        }
        return false;
    }, 15000);
    ASSERT_NE(firstFrame, 0) << "the widget's levels never reached the stand-in";
    const double seconds = static_cast<double>(firstFrame - appeared) / 1e6;
    std::printf("widget listed on COM5 -> its first frame at the stand-in: %.2f s\n", seconds);
    EXPECT_LT(seconds, 4.0);
    EXPECT_EQ(Text(bridge.window), "Firmware Version: 1.44");
    EXPECT_EQ(windrive::ListLines(Control(bridge.window, ControlId::DevList)), (Lines{"Com 5", "Pro Widget - Com:  5"}));
    EXPECT_TRUE(windrive::WaitUntil([] { return Label(ControlId::lblError) == "0 Ready"; }, 5000))
        << Label(ControlId::lblError);
}

}  // namespace
