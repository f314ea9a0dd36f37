#include "standin_log.h"

#include <cinttypes>
#include <cstdio>

#include "tools/conductor/clock.h"

namespace StandInLog {
namespace {

HANDLE logFile = INVALID_HANDLE_VALUE;

// "copydata", four numbers with blanks, two hex digits a byte and the newline.
constexpr size_t maxHeader = 96;
constexpr size_t maxBlock = 1 << 16;
char lineBuffer[maxHeader + 2 * maxBlock + 2];

void WriteLine(const char* text, size_t length) {
    if (logFile == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(logFile, text, static_cast<DWORD>(length), &written, nullptr);
}

void WriteEvent(const char* name) {
    char line[64];
    int n = std::snprintf(line, sizeof line, "%s %" PRId64 "\n", name, conductor::NowMicros());
    WriteLine(line, static_cast<size_t>(n));
}

}  // namespace

bool Open(const char* path) {
    if (!path || !*path) return true;
    logFile = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return logFile != INVALID_HANDLE_VALUE;
}

void Close() {
    if (logFile != INVALID_HANDLE_VALUE) CloseHandle(logFile);
    logFile = INVALID_HANDLE_VALUE;
}

void Ready() { WriteEvent("ready"); }

void Quit() { WriteEvent("quit"); }

void Event(const char* name) { WriteEvent(name); }

void Ask(WPARAM wParam, int32_t answer) {
    char line[96];
    int n = std::snprintf(line, sizeof line, "ask %" PRId64 " %" PRIu64 " %" PRId32 "\n", conductor::NowMicros(),
                          static_cast<uint64_t>(wParam), answer);
    WriteLine(line, static_cast<size_t>(n));
}

// Called ~14 times a second in a soak, timed by the latency benchmark: the time is read first,
// and the bytes go out through a table, not through printf.
void CopyData(const COPYDATASTRUCT& cds) {
    int64_t now = conductor::NowMicros();
    static const char digits[] = "0123456789abcdef";
    size_t count = cds.lpData ? cds.cbData : 0;
    if (count > maxBlock) count = maxBlock;
    int n = std::snprintf(lineBuffer, maxHeader, "copydata %" PRId64 " %" PRIu64 " %lu ", now,
                          static_cast<uint64_t>(cds.dwData), static_cast<unsigned long>(cds.cbData));
    char* out = lineBuffer + n;
    const auto* bytes = static_cast<const unsigned char*>(cds.lpData);
    for (size_t i = 0; i < count; ++i) {
        *out++ = digits[bytes[i] >> 4];
        *out++ = digits[bytes[i] & 0x0F];
    }
    *out++ = '\n';
    WriteLine(lineBuffer, static_cast<size_t>(out - lineBuffer));
}

}  // namespace StandInLog
