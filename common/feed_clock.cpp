#include "common/feed_clock.h"

#include <algorithm>
#include <cmath>

namespace FeedClock {

namespace {

// A wait that comes out a hair above a whole millisecond through rounding is not worth one
// more millisecond.
constexpr double ROUNDING_SLACK_MS = 1e-6;

Clock* clock = nullptr;
OneShotTimer* timer = nullptr;
Pace pace;

double SlotTime(const Pace& p) { return p.start + static_cast<double>(p.slot) * PERIOD; }

}  // namespace

unsigned NextWait(Pace& p, double delivered, double now) {
    ++p.slot;
    if (SlotTime(p) <= delivered)
        p.slot = static_cast<std::int64_t>(std::floor((delivered - p.start) / PERIOD)) + 1;
    double due = std::max(SlotTime(p), delivered + MIN_SPACING);
    double wait = std::ceil((due - now) * 1000.0 - ROUNDING_SLACK_MS);
    return wait > 0.0 ? static_cast<unsigned>(wait) : 0u;
}

void Start(Clock& c, OneShotTimer& t) {
    clock = &c;
    timer = &t;
    pace = Pace{clock->Seconds(), 1};
    timer->Arm(static_cast<unsigned>(PERIOD * 1000.0 + 0.5));
}

void Tick(void (*deliver)()) {
    double delivered = clock->Seconds();
    deliver();
    timer->Arm(NextWait(pace, delivered, clock->Seconds()));
}

}  // namespace FeedClock
