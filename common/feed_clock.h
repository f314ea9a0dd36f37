#pragma once
// Paces a feed at one delivery every 70 ms on average, whatever the granularity of the
// system's timers. Window timers on Windows expire on the system clock's ticks (every 15.6 ms
// unless some program asks for finer), so a repeating 70 ms timer fires every 78 ms. Here each
// tick aims the next one at its own slot on the grid t0 + n x 70 ms of a monotonic clock: a tick
// that fires late delays that delivery only, and the next one is aimed at the grid again.
#include <cstdint>

#include "common/clock.h"

// A timer that fires once, no sooner than the wait it is armed with; arming it again replaces
// the wait it had.
class OneShotTimer {
public:
    virtual ~OneShotTimer() = default;
    virtual void Arm(unsigned milliseconds) = 0;
};

namespace FeedClock {

constexpr double PERIOD = 0.070;       // seconds from one slot of the grid to the next
constexpr double MIN_SPACING = 0.050;  // no two deliveries start closer together than this

struct Pace {
    double start = 0.0;         // t0, when the feed started
    std::int64_t slot = 0;      // n of the slot the timer is armed for
};

// Milliseconds from `now` to the delivery that follows one started at `delivered`, and the pace
// moved on to its slot. Slots that a late tick missed are dropped, not made up in a burst.
unsigned NextWait(Pace& pace, double delivered, double now);

// The feed of this program: Start arms the first tick one period from now; Tick runs `deliver`
// and arms the next tick.
void Start(Clock& clock, OneShotTimer& timer);
void Tick(void (*deliver)());

}  // namespace FeedClock
