#include "widget/win32_serial_port.h"

#include "common/numbered_error.h"
#include "widget/read_hand_off.h"

#include <limits>
#include <string>
#include <utility>

namespace {

constexpr long PortAlreadyOpen = 8005;
constexpr long InvalidPropertyValue = 380;

constexpr DWORD InBufferSize = 1024;
constexpr DWORD OutBufferSize = 512;

// One byte at 9600 8N1 takes 1.04 ms on a real line; a port that stops draining fails the
// write after that plus half a second instead of holding the window thread for good.
constexpr DWORD WriteMsPerByte = 2;
constexpr DWORD WriteMsExtra = 500;

std::string SystemDescription(DWORD code) {
    char text[512] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, text, sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' ||
                          text[length - 1] == ' ')) {
        --length;
    }
    if (length == 0) {
        return "System error " + std::to_string(code);
    }
    return std::string(text, length);
}

[[noreturn]] void ThrowSystemError(DWORD code) {
    throw NumberedError(static_cast<long>(code), SystemDescription(code));
}

void CheckSystemCall(BOOL succeeded) {
    if (!succeeded) {
        ThrowSystemError(GetLastError());
    }
}

// The \\.\ form is the only one that names COM10 and above.
std::string DeviceName(std::int16_t port) {
    return "\\\\.\\COM" + std::to_string(port);
}

// Binary clean: nothing replaced, stripped, or taken as flow control.
void SetLineSettings(HANDLE port) {
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    CheckSystemCall(GetCommState(port, &dcb));
    dcb.BaudRate = CBR_9600;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    // Raised, as a terminal would: some adapters stay silent until they see DTR.
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    CheckSystemCall(SetCommState(port, &dcb));
}

enum class ReadMode { AtOnce, Waiting };

void SetTimeouts(HANDLE port, ReadMode mode) {
    COMMTIMEOUTS timeouts = {};
    if (mode == ReadMode::AtOnce) {
        timeouts.ReadIntervalTimeout = MAXDWORD;  // with the totals 0: return what is there, now
    } else {
        timeouts.ReadIntervalTimeout = PortReader::ReadIntervalMs;
        timeouts.ReadTotalTimeoutConstant = PortReader::ReadWaitMs;
    }
    timeouts.WriteTotalTimeoutMultiplier = WriteMsPerByte;
    timeouts.WriteTotalTimeoutConstant = WriteMsExtra;
    CheckSystemCall(SetCommTimeouts(port, &timeouts));
}

// Under Wine a port mapped to nothing opens and only fails here, so this is what makes it a port.
void Configure(HANDLE port) {
    CheckSystemCall(SetupComm(port, InBufferSize, OutBufferSize));
    SetLineSettings(port);
    SetTimeouts(port, ReadMode::AtOnce);
    CheckSystemCall(PurgeComm(port, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR));
}

DWORD BytesWaiting(HANDLE port) {
    DWORD errors = 0;
    COMSTAT status = {};
    CheckSystemCall(ClearCommError(port, &errors, &status));
    return status.cbInQue;
}

}  // namespace

// A synchronous handle serialises its I/O: on Windows a write would wait behind a read that
// waits for bytes. So the reader stops for any other use of the handle and reads on after it;
// if it cannot, the window is told the port failed.
class Win32SerialPort::ReadingPaused {
public:
    explicit ReadingPaused(Win32SerialPort& port)
        : port_(port), wasReading_(port.reader_.Running()), generation_(port.reader_.Generation()) {
        if (!wasReading_) return;
        try {
            port_.StopReading();
        } catch (...) {
        }
    }
    ~ReadingPaused() {
        if (!wasReading_) return;
        try {
            port_.RequireOpen();
            port_.StartReading(generation_);
        } catch (...) {
            TellPortFailed();
        }
    }
    ReadingPaused(const ReadingPaused&) = delete;
    ReadingPaused& operator=(const ReadingPaused&) = delete;

private:
    void TellPortFailed() noexcept {
        try {
            if (ReadHandOff::Put(ReadHandOff::PortRead{generation_, true, false, {}}) && port_.notice_) port_.notice_();
        } catch (...) {
        }
    }

    Win32SerialPort& port_;
    bool wasReading_;
    std::uint32_t generation_;
};

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = other.Release();
    }
    return *this;
}

HANDLE FileHandle::Release() {
    HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return handle;
}

bool FileHandle::Close() {
    if (!Valid()) {
        return true;
    }
    return CloseHandle(Release()) != FALSE;
}

Win32SerialPort::~Win32SerialPort() {
    StopReader();
}

void Win32SerialPort::SetCommPort(std::int16_t port) {
    if (PortOpen()) {
        throw NumberedError(PortAlreadyOpen, "Port already open");
    }
    if (port < 1) {
        throw NumberedError(InvalidPropertyValue, "Invalid property value");
    }
    commPort_ = port;
}

void Win32SerialPort::SetPortOpen(bool open) {
    if (open) {
        Open();
    } else {
        Close();
    }
}

void Win32SerialPort::Open() {
    if (PortOpen()) {
        throw NumberedError(PortAlreadyOpen, "Port already open");
    }
    FileHandle port(CreateFileA(DeviceName(commPort_).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                nullptr, OPEN_EXISTING, 0, nullptr));
    if (!port.Valid()) {
        ThrowSystemError(GetLastError());
    }
    Configure(port.Get());  // a throw here closes the handle and leaves this port closed
    port_ = std::move(port);
}

void Win32SerialPort::Close() {
    StopReader();
    if (PortOpen() && !port_.Close()) {
        ThrowSystemError(GetLastError());
    }
}

void Win32SerialPort::StopReader() {
    if (!reader_.Stop()) {
        port_.Release();
    }
}

void Win32SerialPort::StartReading(std::uint32_t generation) {
    RequireOpen();
    StopReader();
    RequireOpen();
    SetTimeouts(port_.Get(), ReadMode::Waiting);
    reader_.Start(port_.Get(), generation, notice_);
}

void Win32SerialPort::StopReading() {
    if (!reader_.Running()) {
        return;
    }
    StopReader();
    if (PortOpen()) {
        SetTimeouts(port_.Get(), ReadMode::AtOnce);
    }
}

void Win32SerialPort::RequireOpen() const {
    if (!PortOpen()) {
        throw PortNotOpenError();
    }
}

std::int16_t Win32SerialPort::InBufferCount() {
    ReadingPaused paused(*this);
    RequireOpen();
    DWORD waiting = BytesWaiting(port_.Get());
    constexpr DWORD most = std::numeric_limits<std::int16_t>::max();
    return static_cast<std::int16_t>(waiting < most ? waiting : most);
}

std::string Win32SerialPort::Input() {
    ReadingPaused paused(*this);
    RequireOpen();
    std::string received;
    char chunk[InBufferSize];
    DWORD read = 0;
    // A short read means the buffer is empty: the timeouts make ReadFile return at once.
    do {
        CheckSystemCall(ReadFile(port_.Get(), chunk, sizeof chunk, &read, nullptr));
        received.append(chunk, read);
    } while (read == sizeof chunk);
    return received;
}

void Win32SerialPort::Output(const std::string& bytes) {
    ReadingPaused paused(*this);
    RequireOpen();
    if (bytes.size() > MAXDWORD) {
        throw NumberedError(InvalidPropertyValue, "Invalid property value");
    }
    DWORD size = static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    CheckSystemCall(WriteFile(port_.Get(), bytes.data(), size, &written, nullptr));
    if (written != size) {
        ThrowSystemError(ERROR_TIMEOUT);  // the write timeout ran out with bytes unsent
    }
}
