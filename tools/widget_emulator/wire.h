#pragma once
// Writing packets to the pty the way a faulty line delivers them: garbage before a packet,
// and a packet cut into pieces with short pauses between them.
#include <cstdint>
#include <random>
#include <vector>

#include "event_log.h"
#include "options.h"
#include "packets.h"

namespace widgetEmulator {

struct WireFaults {
    bool splitRandom = false;
    std::vector<int> splitOffsets;
    int garbage = 0;
    int garbageEvery = 1;
    std::mt19937 random;
    std::uint64_t packetsWritten = 0;
};

WireFaults MakeWireFaults(const Options& options);

// Garbage first when it is due, then the packet in its pieces. False when the pty would not
// take the bytes (nobody has read it for a long time).
bool WritePacket(int master, WireFaults& faults, const Bytes& packet, const EventLog& log);

// Bytes written to the pty that the other side has not read yet.
int QueuedForReader(int slaveHold);

}  // namespace widgetEmulator
