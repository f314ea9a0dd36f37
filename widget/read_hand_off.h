#pragma once
// The hand-off between the serial port's reader, a thread of its own blocked in the read, and
// the window thread, which parses. The reader puts each read here as it completes; the window
// thread is told once for every stretch of reads and takes them all, in order. Nothing else is
// shared between the two threads. Reads carry the generation of the reader that made them, so
// the window thread can drop those of a port it has since closed.
#include <cstdint>
#include <string>
#include <vector>

namespace ReadHandOff {

struct PortRead {
    std::uint32_t generation;
    bool failed;     // the read failed: the port is lost, and this reader has stopped
    bool afterGap;   // reads before this one were dropped (too much was waiting)
    std::string bytes;
};

// Waiting reads beyond this are dropped, oldest first: a window thread that stalls this long
// behind a stream of levels only needs the newest.
constexpr std::size_t MaxWaitingBytes = 256 * 1024;

// From the reader's thread. True when the window thread must be told: nothing was waiting, so
// no notice is on its way.
bool Put(PortRead read);

// On the window thread: every read put since the last take, in the order they were put.
std::vector<PortRead> TakeAll();

// Empty, for a fresh start of the tests.
void Clear();

}  // namespace ReadHandOff
