#pragma once
// The one clock of every peer's log: microseconds since the Unix epoch. Windows programs read it
// with GetSystemTimePreciseAsFileTime, the Linux peers (widget emulator, process sampler) with
// CLOCK_REALTIME, so the logs on both sides of Wine share one time line.
#include <windows.h>

#include <cstdint>

namespace conductor {

inline std::int64_t NowMicros() {
    // 1601-01-01 to 1970-01-01 in FILETIME's 100 ns units.
    constexpr std::int64_t unixEpochAsFileTime = 116444736000000000LL;
    FILETIME ft;
    GetSystemTimePreciseAsFileTime(&ft);
    std::int64_t ticks = (static_cast<std::int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return (ticks - unixEpochAsFileTime) / 10;
}

}  // namespace conductor
