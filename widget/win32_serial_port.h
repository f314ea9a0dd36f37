#pragma once
// MSComm1 over the Windows comm API: \\.\COMn, fixed at 9600 8N1, no flow control, binary clean,
// reads that return at once with what is waiting; while reading, a PortReader blocked in the
// read instead (win32_port_reader.h), stopped around every other use of the handle.
//
// Errors: the system's own code and text (FormatMessage) for a failing call; for misuse the
// numbers and texts MSComm gave, so the bridge's message boxes read as they always did:
//   8005 "Port already open"  (opening an open port, renumbering an open port)
//   8018 "Operation valid only when the port is open"  (PortNotOpenError)
//   380  "Invalid property value"  (a port number below 1)
// An open throws when the port cannot be opened or configured; PortOpen() then reads false.
#include "widget/serial_port.h"

#include <windows.h>

#include "widget/win32_port_reader.h"

// A handle from CreateFile: its "none" is INVALID_HANDLE_VALUE, not NULL.
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle(FileHandle&& other) noexcept : handle_(other.Release()) {}
    FileHandle& operator=(FileHandle&& other) noexcept;

    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    HANDLE Release();
    // False when CloseHandle itself failed; the handle is gone either way.
    bool Close();

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

class Win32SerialPort : public SerialPort {
public:
    ~Win32SerialPort() override;

    // How the reader tells the window that reads are waiting. Set before the first read.
    void SetReadNotice(PortReader::Notice notice) { notice_ = notice; }

    void SetCommPort(std::int16_t port) override;
    std::int16_t CommPort() const override { return commPort_; }

    void SetPortOpen(bool open) override;
    bool PortOpen() const override { return port_.Valid(); }

    std::int16_t InBufferCount() override;
    std::string Input() override;
    void Output(const std::string& bytes) override;

    void StartReading(std::uint32_t generation) override;
    void StopReading() override;

private:
    class ReadingPaused;

    void Open();
    void Close();
    void RequireOpen() const;
    // Stops the reader. If it is stuck inside a read, the handle is left to it, never closed
    // (it might be reused while the read still holds it), and the port counts as closed.
    void StopReader();

    std::int16_t commPort_ = 1;
    FileHandle port_;
    PortReader reader_;
    PortReader::Notice notice_ = nullptr;
};
