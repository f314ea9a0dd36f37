#pragma once
// The reader of MSComm1 while the widget is in use: a thread of its own blocked in ReadFile on
// the port's handle, which puts every read into ReadHandOff and has the window told. It owns
// its thread, its wake-up event and its buffer; the handle stays the port's, and the port stops
// the reader before it closes the handle or does any other I/O on it.
//
// Why a blocking read on a synchronous handle: under Wine it waits inside the program (a poll
// of the line, no wineserver request while nothing comes), where an overlapped read goes
// through the wineserver and cost more than the 10 ms poll it would replace (measured). On
// Windows a synchronous handle serialises its I/O: a write would wait behind a read that waits
// for bytes, so the port stops the reader around any other use of the handle.
//
// The read waits at most ReadWaitMs for a first byte: Wine cannot cancel a blocking read
// (CancelSynchronousIo fails there), so this bounds how long a stop takes; on Windows the
// cancel ends the read at once.
#include <windows.h>

#include <cstdint>
#include <memory>

// A kernel object handle whose "none" is NULL (a thread, an event), unlike a file's.
class KernelHandle {
public:
    KernelHandle() = default;
    explicit KernelHandle(HANDLE handle) : handle_(handle) {}
    ~KernelHandle() { Close(); }
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;
    KernelHandle(KernelHandle&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
    KernelHandle& operator=(KernelHandle&& other) noexcept;

    bool Valid() const { return handle_ != nullptr; }
    HANDLE Get() const { return handle_; }
    // Forgets the handle without closing it.
    void Abandon() { handle_ = nullptr; }
    void Close();

private:
    HANDLE handle_ = nullptr;
};

class PortReader {
public:
    // Tells the window that reads are waiting; called on the reader's thread.
    using Notice = void (*)();

    // The line quiet this long after a byte ends a read; nothing at all this long ends it empty.
    static constexpr DWORD ReadIntervalMs = 4;
    static constexpr DWORD ReadWaitMs = 100;

    PortReader();
    ~PortReader();
    PortReader(const PortReader&) = delete;
    PortReader& operator=(const PortReader&) = delete;

    // Reads `port` until stopped or until a read fails, the port's timeouts already set for it.
    // Throws NumberedError when the thread cannot be started.
    void Start(HANDLE port, std::uint32_t generation, Notice notice);
    // True once the thread has ended (or none ran). False when it is still inside a read after
    // StopWaitMs: it is left to finish on its own with what it uses, and the handle must then
    // stay open.
    bool Stop();
    bool Running() const { return thread_.Valid(); }
    std::uint32_t Generation() const { return generation_; }

    // What the thread uses: the handle, the tag, the stop signal, the buffer.
    struct Reading;

private:
    static constexpr DWORD StopWaitMs = 2000;

    static DWORD WINAPI Run(void* reading);

    std::unique_ptr<Reading> reading_;
    KernelHandle thread_;
    std::uint32_t generation_ = 0;
};
