#include "widget/read_hand_off.h"

#include <mutex>
#include <utility>

namespace ReadHandOff {

namespace {

struct Waiting {
    std::mutex guard;
    std::vector<PortRead> reads;
    std::size_t bytes = 0;
};

Waiting waiting;

}  // namespace

bool Put(PortRead read) {
    std::lock_guard<std::mutex> lock(waiting.guard);
    const bool nothingWaiting = waiting.reads.empty();
    if (waiting.bytes + read.bytes.size() > MaxWaitingBytes) {
        waiting.reads.clear();
        waiting.bytes = 0;
        read.afterGap = true;
    }
    waiting.bytes += read.bytes.size();
    waiting.reads.push_back(std::move(read));
    return nothingWaiting;
}

std::vector<PortRead> TakeAll() {
    std::vector<PortRead> taken;
    std::lock_guard<std::mutex> lock(waiting.guard);
    taken.swap(waiting.reads);
    waiting.bytes = 0;
    return taken;
}

void Clear() { TakeAll(); }

}  // namespace ReadHandOff
