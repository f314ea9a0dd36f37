#include "widget/win32_port_reader.h"

#include <atomic>
#include <string>
#include <utility>

#include "common/numbered_error.h"
#include "widget/read_hand_off.h"

struct PortReader::Reading {
    static constexpr DWORD BufferSize = 4096;

    HANDLE port;
    std::uint32_t generation;
    Notice notice;
    std::atomic<bool> stopping{false};
    KernelHandle wake;  // set to stop
    char buffer[BufferSize] = {};
};

namespace {

using Reading = PortReader::Reading;

[[noreturn]] void CannotStart() {
    throw NumberedError(static_cast<long>(GetLastError()), "The port's reader could not start");
}

// Wine hands an unplugged device's reads back empty (after their time limit); the line's status
// then fails, as it does on Windows.
bool LineAlive(HANDLE port) {
    DWORD errors = 0;
    COMSTAT status = {};
    return ClearCommError(port, &errors, &status) != FALSE;
}

void HandOver(Reading& reading, bool failed, std::string bytes) {
    ReadHandOff::PortRead read{reading.generation, failed, false, std::move(bytes)};
    if (ReadHandOff::Put(std::move(read)) && reading.notice) reading.notice();
}

void ReadUntilStopped(Reading& reading) {
    while (!reading.stopping) {
        DWORD read = 0;
        const DWORD started = GetTickCount();
        if (!ReadFile(reading.port, reading.buffer, Reading::BufferSize, &read, nullptr)) {
            if (!reading.stopping) HandOver(reading, true, std::string());  // a cancel is no failure
            return;
        }
        if (read > 0) {
            HandOver(reading, false, std::string(reading.buffer, read));
            continue;
        }
        if (reading.stopping) return;
        if (!LineAlive(reading.port)) {
            HandOver(reading, true, std::string());
            return;
        }
        // An empty read that came back at once would spin: wait out the rest of its time.
        if (GetTickCount() - started < PortReader::ReadWaitMs / 2)
            WaitForSingleObject(reading.wake.Get(), PortReader::ReadWaitMs);
    }
}

}  // namespace

KernelHandle& KernelHandle::operator=(KernelHandle&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = other.handle_;
        other.handle_ = nullptr;
    }
    return *this;
}

void KernelHandle::Close() {
    if (Valid()) CloseHandle(handle_);
    handle_ = nullptr;
}

PortReader::PortReader() = default;

PortReader::~PortReader() { Stop(); }

void PortReader::Start(HANDLE port, std::uint32_t generation, Notice notice) {
    Stop();
    auto reading = std::make_unique<Reading>();
    reading->port = port;
    reading->generation = generation;
    reading->notice = notice;
    KernelHandle wake(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!wake.Valid()) CannotStart();
    reading->wake = std::move(wake);
    KernelHandle thread(CreateThread(nullptr, 0, Run, reading.get(), 0, nullptr));
    if (!thread.Valid()) CannotStart();
    thread_ = std::move(thread);
    reading_ = std::move(reading);
    generation_ = generation;
}

bool PortReader::Stop() {
    if (!thread_.Valid()) return true;
    reading_->stopping = true;
    SetEvent(reading_->wake.Get());
    CancelSynchronousIo(thread_.Get());
    if (WaitForSingleObject(thread_.Get(), StopWaitMs) != WAIT_OBJECT_0) {
        thread_.Abandon();
        (void)reading_.release();  // still the thread's
        return false;
    }
    thread_.Close();
    reading_.reset();
    return true;
}

DWORD WINAPI PortReader::Run(void* reading) {
    auto& self = *static_cast<Reading*>(reading);
    try {
        ReadUntilStopped(self);
    } catch (...) {
        try {
            HandOver(self, true, std::string());  // out of memory: the port counts as lost
        } catch (...) {
        }
    }
    return 0;
}
