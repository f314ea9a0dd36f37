#include "wire.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace widgetEmulator {
namespace {

constexpr int WriteStallMs = 500;

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n > 0) {
            data += n;
            size -= static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN) {
            pollfd out{fd, POLLOUT, 0};
            if (poll(&out, 1, WriteStallMs) <= 0) return false;
        } else {
            return false;
        }
    }
    return true;
}

void PauseBetweenPieces(std::mt19937& random) {
    const long micros = 1000 + static_cast<long>(random() % 2001);
    const timespec pause{0, micros * 1000};
    clock_nanosleep(CLOCK_MONOTONIC, 0, &pause, nullptr);
}

std::vector<std::size_t> CutPoints(WireFaults& faults, std::size_t size) {
    std::vector<std::size_t> cuts;
    if (size < 2) return cuts;
    if (faults.splitRandom) {
        const int count = 1 + static_cast<int>(faults.random() % 3);
        for (int i = 0; i < count; ++i) cuts.push_back(1 + faults.random() % (size - 1));
        std::sort(cuts.begin(), cuts.end());
        cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    } else {
        for (int offset : faults.splitOffsets)
            if (static_cast<std::size_t>(offset) < size) cuts.push_back(static_cast<std::size_t>(offset));
    }
    return cuts;
}

bool WriteGarbageIfDue(int master, WireFaults& faults, const EventLog& log) {
    if (faults.garbage <= 0 || faults.packetsWritten % static_cast<std::uint64_t>(faults.garbageEvery) != 0)
        return true;
    Bytes garbage(static_cast<std::size_t>(faults.garbage));
    for (std::uint8_t& byte : garbage) byte = static_cast<std::uint8_t>(faults.random() & 0xFF);
    LogEvent(log, "tx garbage " + Hex(garbage.data(), garbage.size(), true));
    return WriteAll(master, garbage.data(), garbage.size());
}

}  // namespace

WireFaults MakeWireFaults(const Options& options) {
    WireFaults faults;
    faults.splitRandom = options.splitRandom;
    faults.splitOffsets = options.splitOffsets;
    faults.garbage = options.garbage;
    faults.garbageEvery = options.garbageEvery;
    faults.random.seed(options.seed ^ 0x9E3779B9u);  // apart from the level pattern's numbers
    return faults;
}

bool WritePacket(int master, WireFaults& faults, const Bytes& packet, const EventLog& log) {
    const bool garbageWritten = WriteGarbageIfDue(master, faults, log);
    ++faults.packetsWritten;
    if (!garbageWritten) return false;
    std::size_t from = 0;
    for (std::size_t cut : CutPoints(faults, packet.size())) {
        if (!WriteAll(master, packet.data() + from, cut - from)) return false;
        PauseBetweenPieces(faults.random);
        from = cut;
    }
    return WriteAll(master, packet.data() + from, packet.size() - from);
}

int QueuedForReader(int slaveHold) {
    int queued = 0;
    if (ioctl(slaveHold, FIONREAD, &queued) != 0) return 0;
    return queued;
}

}  // namespace widgetEmulator
