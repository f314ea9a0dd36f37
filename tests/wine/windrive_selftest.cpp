// The window driver and the LightJockey stand-in, proved under Wine from another process:
// the stand-in's answers and log as the conductor reads it, and every driver operation on
// WindrivePeer.exe's controls.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>
#include <windows.h>

#include "tools/conductor/conductor.h"

namespace {

constexpr UINT ljQuestion = 2526;
constexpr DWORD startTimeoutMs = 15000;

struct StandInCase {
    const char* args;
    LRESULT answer0;
    LRESULT answer1;
};

class StandIn : public ::testing::TestWithParam<StandInCase> {};

LRESULT Ask(HWND window, WPARAM which) {
    int32_t variable = 0;  // as the link sends it: an address the stand-in must not read
    return SendMessageA(window, ljQuestion, which, reinterpret_cast<LPARAM>(&variable));
}

LRESULT Deliver(HWND window, ULONG_PTR dwData, std::vector<uint8_t>& block) {
    COPYDATASTRUCT cds = {dwData, static_cast<DWORD>(block.size()), block.empty() ? nullptr : block.data()};
    return SendMessageA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds));
}

TEST_P(StandIn, AnswersAsToldAndLogsEveryMessageOnTheSharedClock) {
    const StandInCase& c = GetParam();
    static int run = 0;
    std::string log = "standin-" + std::to_string(++run) + ".log";
    int64_t launched = conductor::NowMicros();
    conductor::StandIn standIn = conductor::StartStandIn(log, c.args);
    ASSERT_TRUE(standIn.ready);
    HWND window = windrive::WaitForWindow("TLJMainForm", startTimeoutMs);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(windrive::Text(window), "LightJockey stand-in");

    int64_t asked = conductor::NowMicros();
    EXPECT_EQ(Ask(window, 0), c.answer0);
    EXPECT_EQ(Ask(window, 1), c.answer1);
    std::vector<uint8_t> frame(511), empty;
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(i);
    EXPECT_EQ(Deliver(window, 256, frame), TRUE);
    EXPECT_EQ(Deliver(window, 7, empty), TRUE);
    int64_t delivered = conductor::NowMicros();
    standIn.Stop();
    EXPECT_EQ(standIn.process.Wait(0), 0u);

    StandInLog::Contents got = standIn.Read();
    ASSERT_EQ(got.asks.size(), 2u);
    EXPECT_EQ(got.asks[0].wParam, 0u);
    EXPECT_EQ(got.asks[0].answer, static_cast<int32_t>(c.answer0));
    EXPECT_EQ(got.asks[1].wParam, 1u);
    EXPECT_EQ(got.asks[1].answer, static_cast<int32_t>(c.answer1));
    ASSERT_EQ(got.frames.size(), 2u);
    EXPECT_EQ(got.frames[0].dwData, 256u);
    EXPECT_EQ(got.frames[0].cbData, 511u);
    EXPECT_EQ(got.frames[0].bytes, frame);
    EXPECT_EQ(got.frames[1].dwData, 7u);
    EXPECT_EQ(got.frames[1].cbData, 0u);
    EXPECT_TRUE(got.frames[1].bytes.empty());
    // One clock on both sides: each line falls between the moments this process saw around it.
    EXPECT_LE(launched, got.ready);
    EXPECT_LE(got.ready, asked);
    EXPECT_LE(asked, got.asks[0].time);
    EXPECT_LE(got.asks[0].time, got.asks[1].time);
    EXPECT_LE(got.asks[1].time, got.frames[0].time);
    EXPECT_LE(got.frames[1].time, delivered);
    EXPECT_LE(delivered, got.quit);
}

INSTANTIATE_TEST_SUITE_P(Answers, StandIn,
                         ::testing::Values(StandInCase{"", 1, 0x02060000},
                                           StandInCase{"--q0 0 --q1 33947647", 0, 33947647},
                                           StandInCase{"--q0 2 --q1 -1", 2, -1},
                                           StandInCase{"--q1 0xFFFFFFFF --q0 0x1", 1, -1}));

TEST(StandInCommandLine, RefusesWhatItCannotRead) {
    for (const char* args : {"--q0 abc", "--q1 0x1FFFFFFFF", "--q0", "--colour red", "--q1 12z"}) {
        conductor::Program standIn = conductor::Launch("LJStandIn.exe", args);
        ASSERT_TRUE(standIn.process.Started());
        EXPECT_EQ(standIn.process.Wait(startTimeoutMs), 2u) << args;
    }
}

TEST(StandInLogReader, LeavesOutALineStillBeingWritten) {
    std::string path = conductor::WorkPath("partial.log");
    const char text[] = "ready 10\nask 11 0 1\ncopydata 12 256 3 00ff7e\ncopydata 13 256 511 0102";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, text, sizeof text - 1, &written, nullptr);
    CloseHandle(file);
    StandInLog::Contents got = StandInLog::Read(path);
    EXPECT_EQ(got.ready, 10);
    ASSERT_EQ(got.asks.size(), 1u);
    ASSERT_EQ(got.frames.size(), 1u);
    EXPECT_EQ(got.frames[0].bytes, (std::vector<uint8_t>{0x00, 0xFF, 0x7E}));
    EXPECT_EQ(got.quit, 0);
}

TEST(Png, EncodesOneRedPixelByteForByte) {
    const std::vector<uint8_t> expected = {
        0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
        0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x02, 0x00, 0x00, 0x00, 0x90, 0x77, 0x53, 0xDE, 0x00, 0x00, 0x00,
        0x0F, 0x49, 0x44, 0x41, 0x54, 0x78, 0x01, 0x01, 0x04, 0x00, 0xFB, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x03, 0x01,
        0x01, 0x00, 0x8D, 0x1D, 0xE5, 0x82, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
    EXPECT_EQ(windrive::EncodePng(1, 1, {0xFF, 0x00, 0x00}), expected);
}

// ---- the driver on WindrivePeer.exe's standard controls, from this process

constexpr int buttonId = 100, labelId = 101, listId = 102, tickId = 103, boxButtonId = 105, barId = 200;

class Driver : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        peer = new windrive::Process(windrive::Launch(conductor::BinPath("WindrivePeer.exe"), "\"driven peer\""));
        top = windrive::WaitForWindow("WindrivePeer", startTimeoutMs, "driven peer");
    }
    static void TearDownTestSuite() {
        delete peer;
        peer = nullptr;
    }
    void SetUp() override { ASSERT_NE(top, nullptr); }
    static windrive::Process* peer;
    static HWND top;
};
windrive::Process* Driver::peer = nullptr;
HWND Driver::top = nullptr;

TEST_F(Driver, ReadsCaptionsAndClicksButtons) {
    EXPECT_EQ(windrive::Text(top), "driven peer");
    HWND button = windrive::Control(top, buttonId);
    std::string before = windrive::Text(button);
    windrive::Click(button);
    std::string once = windrive::Text(button);
    windrive::Click(button);
    EXPECT_NE(before, once);
    EXPECT_EQ(once.substr(0, 8), "Pressed ");
    EXPECT_EQ(windrive::Text(button), "Pressed " + std::to_string(std::stoi(once.substr(8)) + 1));
}

TEST_F(Driver, MovesAScrollBarWithItsKeys) {
    HWND bar = windrive::Control(top, barId);
    ASSERT_TRUE(windrive::ScrollTo(bar, 255));
    struct Step {
        UINT vk;
        int pos;
    };
    const Step steps[] = {{VK_UP, 254}, {VK_PRIOR, 253}, {VK_HOME, 0}, {VK_UP, 0}, {VK_DOWN, 1},
                          {VK_NEXT, 2}, {VK_END, 255}, {VK_DOWN, 255}};
    for (const Step& step : steps) {
        windrive::ScrollKey(bar, step.vk);
        EXPECT_EQ(windrive::ScrollPos(bar), step.pos) << "key " << step.vk;
    }
}

TEST_F(Driver, ScrollsToAValueAndStopsAtTheEnds) {
    HWND bar = windrive::Control(top, barId);
    for (int value : {128, 0, 1, 255, 127})
        EXPECT_TRUE(windrive::ScrollTo(bar, value)) << value;
    EXPECT_EQ(windrive::ScrollPos(bar), 127);
    EXPECT_FALSE(windrive::ScrollTo(bar, 300));
    EXPECT_EQ(windrive::ScrollPos(bar), 255);
    EXPECT_FALSE(windrive::ScrollTo(bar, -1));
    EXPECT_EQ(windrive::ScrollPos(bar), 0);
    EXPECT_TRUE(IsWindowVisible(bar));  // painting is back on
}

TEST_F(Driver, ReadsEveryLineOfAListBox) {
    std::string longLine;
    for (int i = 0; i < 300; ++i) longLine += static_cast<char>('a' + i % 26);
    std::vector<std::string> expected = {"Com 1", "Pro Widget - Com:  3", "", "Com 16", longLine};
    EXPECT_EQ(windrive::ListLines(windrive::Control(top, listId)), expected);
}

TEST_F(Driver, WaitsForACaptionThatAnotherProcessChanges) {
    HWND ticks = windrive::Control(top, tickId);
    std::string first = windrive::Text(ticks);
    EXPECT_TRUE(windrive::WaitUntil([&] { return windrive::Text(ticks) != first; }, 5000));
}

TEST_F(Driver, AnswersAMessageBoxThatAClickOpened) {
    windrive::PostClick(windrive::Control(top, boxButtonId));
    HWND box = windrive::WaitForMessageBox("windrive peer box", 5000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(windrive::MessageBoxText(box), "Hello from the peer");
    windrive::Click(windrive::MessageBoxButton(box));
    EXPECT_TRUE(windrive::WaitUntil([&] { return windrive::Text(windrive::Control(top, labelId)) == "box closed"; }, 5000));
}

// Reads back a PNG of EncodePng's kind: stored deflate blocks, filter 0 on every row.
struct Image {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
};

uint32_t BigEndian(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t{b[at]} << 24 | uint32_t{b[at + 1]} << 16 | uint32_t{b[at + 2]} << 8 | b[at + 3];
}

Image DecodeStoredPng(const std::vector<uint8_t>& png) {
    Image image;
    std::vector<uint8_t> z;
    for (size_t at = 8; at + 12 <= png.size();) {
        uint32_t length = BigEndian(png, at);
        std::string type(png.begin() + at + 4, png.begin() + at + 8);
        if (type == "IHDR") {
            image.width = static_cast<int>(BigEndian(png, at + 8));
            image.height = static_cast<int>(BigEndian(png, at + 12));
        }
        if (type == "IDAT") z.insert(z.end(), png.begin() + at + 8, png.begin() + at + 8 + length);
        at += 12 + length;
    }
    std::vector<uint8_t> raw;
    for (size_t at = 2; at + 5 <= z.size();) {
        bool last = z[at] & 1;
        size_t n = z[at + 1] | z[at + 2] << 8;
        raw.insert(raw.end(), z.begin() + at + 5, z.begin() + at + 5 + n);
        at += 5 + n;
        if (last) break;
    }
    size_t row = static_cast<size_t>(image.width) * 3;
    for (size_t y = 0; (y + 1) * (row + 1) <= raw.size(); ++y)
        image.rgb.insert(image.rgb.end(), raw.begin() + y * (row + 1) + 1, raw.begin() + (y + 1) * (row + 1));
    return image;
}

std::vector<uint8_t> FileBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    bytes.resize(GetFileSize(file, nullptr));
    DWORD n = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
    CloseHandle(file);
    return bytes;
}

TEST_F(Driver, SavesTheWindowAsItIsOnTheScreen) {
    std::string path = conductor::WorkPath("peer.png");
    ASSERT_TRUE(windrive::SaveWindowPng(top, path));
    Image image = DecodeStoredPng(FileBytes(path));
    RECT frame;
    GetWindowRect(top, &frame);
    ASSERT_EQ(image.width, frame.right - frame.left);
    ASSERT_EQ(image.height, frame.bottom - frame.top);
    ASSERT_EQ(image.rgb.size(), static_cast<size_t>(image.width) * image.height * 3);
    // The peer's red square, client (150,150)-(250,250), and its grey face beside it.
    POINT inside = {200, 200}, beside = {280, 200};
    ClientToScreen(top, &inside);
    ClientToScreen(top, &beside);
    auto pixel = [&](POINT p) {
        size_t at = (static_cast<size_t>(p.y - frame.top) * image.width + (p.x - frame.left)) * 3;
        return std::vector<uint8_t>(image.rgb.begin() + at, image.rgb.begin() + at + 3);
    };
    EXPECT_EQ(pixel(inside), (std::vector<uint8_t>{0xFF, 0x00, 0x00}));
    EXPECT_NE(pixel(beside), (std::vector<uint8_t>{0xFF, 0x00, 0x00}));
}

TEST(Process, CloseEndsAProgramThroughItsWindowAndKillEndsItAnyway) {
    windrive::Process closed = windrive::Launch(conductor::BinPath("WindrivePeer.exe"), "closed");
    windrive::Process killed = windrive::Launch(conductor::BinPath("WindrivePeer.exe"), "killed");
    ASSERT_NE(windrive::WaitForWindow("WindrivePeer", startTimeoutMs, "closed"), nullptr);
    ASSERT_NE(windrive::WaitForWindow("WindrivePeer", startTimeoutMs, "killed"), nullptr);
    EXPECT_TRUE(closed.Running());
    closed.Close();
    EXPECT_FALSE(closed.Running());
    EXPECT_EQ(closed.Wait(0), 0u);
    killed.Kill();
    EXPECT_FALSE(killed.Running());
    EXPECT_EQ(killed.Wait(0), 1u);
    EXPECT_FALSE(windrive::Launch("Z:\\no\\such\\program.exe", "").Started());
}

}  // namespace
