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
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tools/windrive/windrive.h"
#include "win32/control_ids.h"

namespace {

using windrive::Control;
using windrive::Text;
using Levels = std::vector<uint8_t>;
using Lines = std::vector<std::string>;

constexpr const char* SerialCommKey = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

// The levels of every label-5 packet the emulator sent, from its log ("TIME dmx seq=N sc=SS HEX"),
// cut to the 511 channels LightJockey is handed.
std::vector<Levels> EmulatorFrames(const std::string& logPath) {
    std::vector<Levels> frames;
    std::ifstream log(logPath);
    std::string line;
    while (std::getline(log, line)) {
        std::istringstream fields(line);
        std::string time, kind, seq, startCode, hex;
        fields >> time >> kind >> seq >> startCode >> hex;
        if (kind != "dmx" || startCode != "sc=00" || hex.size() != 1024) continue;
        Levels levels(511);
        for (size_t n = 0; n < 511; ++n) levels[n] = static_cast<uint8_t>(std::stoi(hex.substr(2 * n, 2), nullptr, 16));
        frames.push_back(levels);
    }
    return frames;
}

// Requests the emulator received ("TIME rx ..."): what the bridge wrote to it.
int RequestsReceived(const std::string& logPath) {
    std::ifstream log(logPath);
    std::string line;
    int count = 0;
    while (std::getline(log, line)) count += line.find(" rx ") != std::string::npos;
    return count;
}

bool LogHas(const std::string& logPath, const std::string& text) {
    std::ifstream log(logPath);
    std::string line;
    while (std::getline(log, line))
        if (line.find(text) != std::string::npos) return true;
    return false;
}

void AppendLine(const std::string& path, const std::string& line) {
    std::ofstream(path, std::ios::app) << line << "\n";
}

// Windows lists a serial port in SERIALCOMM while its device is present; the test takes COM5 out
// of the list and puts it back, as a USB adapter's driver does when it is unplugged and plugged.
// Returns the value's name ("" if COM5 was not listed).
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
    static windrive::Process bridge, standIn;
    static HWND form;
    static std::string standInLog;

    static void TearDownTestSuite() {
        bridge.Close();
        standIn.Close();
    }

    std::string Label(int id) const { return Text(Control(form, id)); }

    static void StartStandIn(const std::string& logName) {
        standIn.Close();
        standInLog = windrive::WorkPath(logName);
        standIn = windrive::Launch(windrive::BinPath("LJStandIn.exe"), "--log \"" + standInLog + "\"");
        ASSERT_TRUE(windrive::WaitUntil([] { return windrive::ReadStandInLog(standInLog).ready != 0; }, 20000));
    }

    static bool Shown() {
        return windrive::WaitUntil([] { return IsWindowVisible(form) != FALSE; }, 60000);
    }
};

windrive::Process BridgeRun::bridge;
windrive::Process BridgeRun::standIn;
HWND BridgeRun::form = nullptr;
std::string BridgeRun::standInLog;

using HighPortBridge = BridgeRun;
using PluggedInLater = BridgeRun;

TEST_F(HighPortBridge, AWidgetOnlyOnCom23IsFoundAndItsLevelsDelivered) {
    bridge = windrive::Launch(windrive::BinPath("Tevrin.exe"), "");
    form = windrive::WaitForWindow(WindowClass::Bridge, 60000);
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(Shown());
    EXPECT_EQ(Text(form), "Firmware Version: 2.4");
    EXPECT_EQ(windrive::ListLines(Control(form, ControlId::DevList)), (Lines{"Com 23", "Pro Widget - Com:  23"}));

    StartStandIn("standin23.log");
    windrive::Click(Control(form, ControlId::cmdFind_LJ));
    ASSERT_TRUE(windrive::WaitUntil([] { return windrive::ReadStandInLog(standInLog).frames.size() >= 30; }, 30000));
    const auto sent = EmulatorFrames(windrive::WorkPath("widget23.log"));
    const std::set<Levels> expected(sent.begin(), sent.end());
    const auto delivered = windrive::ReadStandInLog(standInLog).frames;
    size_t matching = 0;
    for (const auto& frame : delivered) matching += expected.count(frame.bytes);
    EXPECT_EQ(matching, delivered.size()) << "every frame delivered is one the widget sent";
}

TEST_F(HighPortBridge, ASecondBridgeWritesNothingAndLeavesTheFirstFeeding) {
    ASSERT_TRUE(bridge.Running());
    const std::string widgetLog = windrive::WorkPath("widget23.log");
    const int requestsBefore = RequestsReceived(widgetLog);
    const int64_t secondStarted = windrive::NowMicros();
    windrive::Process second = windrive::Launch(windrive::BinPath("Tevrin.exe"), "");
    ASSERT_TRUE(second.Started());
    EXPECT_EQ(second.Wait(20000), 0u) << "the second bridge ends by itself";
    Sleep(1500);

    EXPECT_EQ(RequestsReceived(widgetLog), requestsBefore) << "nothing was written to the widget";
    const auto log = windrive::ReadStandInLog(standInLog);
    const auto sent = EmulatorFrames(widgetLog);
    ASSERT_GE(sent.size(), 20u);
    const std::set<Levels> lastSent(sent.end() - 20, sent.end());
    size_t after = 0;
    for (const auto& frame : log.frames) after += frame.time > secondStarted;
    EXPECT_GE(after, 15u) << "the first bridge goes on feeding";
    ASSERT_FALSE(log.frames.empty());
    EXPECT_EQ(lastSent.count(log.frames.back().bytes), 1u) << "with the widget's current levels";
    EXPECT_EQ(GetForegroundWindow(), form) << "the running bridge was brought to the front";
    EXPECT_TRUE(bridge.Running());
}

TEST_F(PluggedInLater, AWidgetPluggedInAfterTheStartIsFoundWithinSeconds) {
    const std::string com5 = UnlistPort("COM5");
    ASSERT_FALSE(com5.empty()) << "Wine lists every mapped port";

    bridge = windrive::Launch(windrive::BinPath("Tevrin.exe"), "");
    HWND box = windrive::WaitForMessageBox("Tevrin", 60000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(windrive::MessageBoxText(box), "No Enttec DMX USB Pro widgets found");
    windrive::Click(windrive::MessageBoxButton(box));
    form = windrive::WaitForWindow(WindowClass::Bridge, 20000);
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(Shown());
    StartStandIn("standin5.log");
    windrive::Click(Control(form, ControlId::cmdFind_LJ));
    Sleep(3000);  // a few looks find nothing

    const std::string widgetLog = windrive::WorkPath("widget5.log");
    AppendLine(windrive::WorkPath("widget5.ctl"), "replug");
    ASSERT_TRUE(windrive::WaitUntil([&] { return LogHas(widgetLog, "state plugged"); }, 5000));
    ASSERT_TRUE(ListPort(com5, "COM5"));
    const int64_t appeared = windrive::NowMicros();

    int64_t firstFrame = 0;
    windrive::WaitUntil([&] {
        const auto sent = EmulatorFrames(widgetLog);
        const std::set<Levels> widgetFrames(sent.begin(), sent.end());
        for (const auto& frame : windrive::ReadStandInLog(standInLog).frames) {
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
    EXPECT_EQ(Text(form), "Firmware Version: 1.44");
    EXPECT_EQ(windrive::ListLines(Control(form, ControlId::DevList)), (Lines{"Com 5", "Pro Widget - Com:  5"}));
    EXPECT_TRUE(windrive::WaitUntil([&] { return Label(ControlId::lblError) == "0 Ready"; }, 5000))
        << Label(ControlId::lblError);
}

}  // namespace
