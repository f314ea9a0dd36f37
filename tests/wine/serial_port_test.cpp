// The real serial port under Wine: COM3 is a pty whose far side (pty_echo) sends every byte
// back and logs it; every other port is mapped to a path that does not exist.
#include "common/numbered_error.h"
#include "tools/conductor/conductor.h"
#include "widget/win32_serial_port.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>

namespace {

constexpr std::int16_t EchoPort = 3;
// Generous: these wait for Wine and a pty, they measure nothing.
constexpr DWORD LinkDeadlineMs = 20000;
constexpr DWORD EchoDeadlineMs = 20000;

// pty_echo starts just before this program; its link may not be there yet.
bool EchoLinkExists() {
    const std::string link = conductor::WorkPath("com3");
    return windrive::WaitUntil([&] { return GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES; },
                               LinkDeadlineMs);
}

std::string FileContents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string AllByteValues() {
    std::string bytes;
    for (int value = 0; value < 256; ++value) {
        bytes += static_cast<char>(value);
    }
    return bytes;
}

std::string OutputPacket() {
    return std::string{'\x7E', '\x06', '\x01', '\x02'} + std::string(513, '\0') + '\xE7';
}

class EchoPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(EchoLinkExists()) << "no pty_echo link at " << conductor::WorkPath("com3");
        port.SetCommPort(EchoPort);
        port.SetPortOpen(true);
        ASSERT_TRUE(port.PortOpen());
    }

    // Reads until `count` bytes have come back, or the deadline passes.
    std::string ReadEcho(std::size_t count) {
        std::string received;
        windrive::WaitUntil([&] {
            if (port.InBufferCount() > 0) {
                received += port.Input();
            }
            return received.size() >= count;
        }, EchoDeadlineMs);
        return received;
    }

    Win32SerialPort port;
};

TEST_F(EchoPortTest, OpensAndCloses) {
    EXPECT_EQ(port.CommPort(), EchoPort);
    port.SetPortOpen(false);
    EXPECT_FALSE(port.PortOpen());
    port.SetPortOpen(false);  // closing a closed port does nothing
    port.SetPortOpen(true);
    EXPECT_TRUE(port.PortOpen());
}

TEST_F(EchoPortTest, RefusesToReopenOrRenumberWhileOpen) {
    const std::function<void()> misuses[] = {
        [&] { port.SetPortOpen(true); },
        [&] { port.SetCommPort(4); },
    };
    for (const auto& misuse : misuses) {
        try {
            misuse();
            ADD_FAILURE() << "no error";
        } catch (const NumberedError& error) {
            EXPECT_EQ(error.number, 8005);
            EXPECT_STREQ(error.what(), "Port already open");
        }
        EXPECT_TRUE(port.PortOpen());
        EXPECT_EQ(port.CommPort(), EchoPort);
    }
}

TEST_F(EchoPortTest, CarriesEveryByteValueBothWays) {
    const std::string sent = AllByteValues();
    port.Output(sent);
    EXPECT_EQ(ReadEcho(sent.size()), sent);
    EXPECT_EQ(port.InBufferCount(), 0);
}

TEST_F(EchoPortTest, WritesAnOutputPacketExactly) {
    const std::string packet = OutputPacket();
    ASSERT_EQ(packet.size(), 518u);
    const std::size_t loggedBefore = FileContents(conductor::WorkPath("echo.log")).size();
    port.Output(packet);
    EXPECT_EQ(ReadEcho(packet.size()), packet);
    // pty_echo logs a read before echoing it, so the log is complete once the echo is back.
    EXPECT_EQ(FileContents(conductor::WorkPath("echo.log")).substr(loggedBefore), packet);
}

TEST_F(EchoPortTest, ReopeningDropsWhatWasWaiting) {
    port.Output({'\x7E', '\x03', '\x02', '\x00', '\x00', '\x00', '\xE7'});
    ASSERT_TRUE(windrive::WaitUntil([&] { return port.InBufferCount() == 7; }, EchoDeadlineMs));
    port.SetPortOpen(false);
    port.SetPortOpen(true);
    EXPECT_EQ(port.InBufferCount(), 0);
    EXPECT_EQ(port.Input(), "");
}

// 5 is below ten, 12 needs the \\.\ form of the name: both must reach Wine's device, which
// opens and then refuses the first comm call.
TEST(UnmappedPort, OpenFailsAndLeavesPortClosed) {
    for (std::int16_t number : {5, 12}) {
        Win32SerialPort port;
        port.SetCommPort(number);
        try {
            port.SetPortOpen(true);
            ADD_FAILURE() << "COM" << number << " opened";
        } catch (const NumberedError& error) {
            EXPECT_EQ(error.number, ERROR_INVALID_FUNCTION) << "COM" << number << ": " << error.what();
            EXPECT_STRNE(error.what(), "");
        }
        EXPECT_FALSE(port.PortOpen());
    }
}

TEST(ClosedPort, EveryOperationFailsWithADescription) {
    Win32SerialPort port;
    const std::function<void()> operations[] = {
        [&] { port.Output(OutputPacket()); },
        [&] { port.Input(); },
        [&] { port.InBufferCount(); },
    };
    for (const auto& operation : operations) {
        try {
            operation();
            ADD_FAILURE() << "no error";
        } catch (const NumberedError& error) {
            EXPECT_EQ(error.number, 8018);
            EXPECT_STREQ(error.what(), "Operation valid only when the port is open");
        }
    }
}

TEST(PortNumber, BelowOneIsRefused) {
    Win32SerialPort port;
    EXPECT_THROW(port.SetCommPort(0), NumberedError);
    EXPECT_EQ(port.CommPort(), 1);
}

}  // namespace
