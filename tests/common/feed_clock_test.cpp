#include "common/feed_clock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "tests/fakes/fake_outside.h"

namespace {

// Window timers as Windows runs them: a wait never shorter than USER_TIMER_MINIMUM (10 ms),
// rounded up to whole ticks of the system clock.
struct CoarseTimer : OneShotTimer {
    CoarseTimer(FakeClock& clock, double tickMs) : clock(clock), tick(tickMs / 1000.0) {}
    void Arm(unsigned milliseconds) override {
        double wait = std::max(milliseconds, 10u) / 1000.0;
        firesAt = clock.now + std::ceil(wait / tick - 1e-9) * tick;
    }
    FakeClock& clock;
    double tick;
    double firesAt = 0.0;
};

FakeClock clock;
double deliverySeconds = 0.0;  // how long LightJockey takes to take a frame
std::vector<double> deliveries;

void Deliver() {
    deliveries.push_back(clock.now);
    clock.now += deliverySeconds;
}

struct Figures {
    double perSecond;
    double minIntervalMs;
};

// Runs the feed for `seconds` of simulated time from t = 1000 s; tick number `lateTick` (if
// any) comes `lateBy` seconds after its timer fired, as when the window thread was busy.
Figures RunFeed(double tickMs, double deliveryMs, double seconds, int lateTick = -1, double lateBy = 0) {
    const double start = 1000.0;
    clock.now = start;
    deliverySeconds = deliveryMs / 1000.0;
    deliveries.clear();
    CoarseTimer timer(clock, tickMs);
    FeedClock::Start(clock, timer);
    for (int tick = 0; timer.firesAt <= start + seconds; ++tick) {
        clock.now = timer.firesAt + (tick == lateTick ? lateBy : 0.0);
        FeedClock::Tick(Deliver);
    }
    double minInterval = 1e9;
    for (size_t i = 1; i < deliveries.size(); ++i)
        minInterval = std::min(minInterval, deliveries[i] - deliveries[i - 1]);
    return {deliveries.size() / seconds, minInterval * 1000.0};
}

struct PaceCase {
    const char* name;
    double tickMs;
    double deliveryMs;
};

class FeedPace : public ::testing::TestWithParam<PaceCase> {};

TEST_P(FeedPace, HoldsFourteenPointThreeFramesASecondOverAMinute) {
    Figures f = RunFeed(GetParam().tickMs, GetParam().deliveryMs, 60.0);
    EXPECT_NEAR(f.perSecond, 1.0 / FeedClock::PERIOD, 0.1);
    EXPECT_GE(f.minIntervalMs, 50.0);
}

INSTANTIATE_TEST_SUITE_P(
    Timers, FeedPace,
    ::testing::Values(PaceCase{"WindowsSystemClock", 15.625, 0.5}, PaceCase{"SlowLightJockey", 15.625, 30.0},
                      PaceCase{"ExactTimers", 1.0, 0.5}, PaceCase{"TenMillisecondClock", 10.0, 0.1}),
    [](const ::testing::TestParamInfo<PaceCase>& info) { return info.param.name; });

TEST(FeedPaceLateTick, DelaysTheNextDeliveriesRatherThanBunchingThenBackOnTheGrid) {
    const double tick = 0.015625;
    for (double lateBy : {0.030, 0.065, 0.300, 2.0}) {
        Figures f = RunFeed(tick * 1000.0, 0.5, 10.0, 20, lateBy);
        EXPECT_GE(f.minIntervalMs, 50.0) << "late by " << lateBy;
        // The slots that passed while the tick was late are dropped; every other one is delivered.
        double missed = std::floor((lateBy + tick) / FeedClock::PERIOD);
        EXPECT_NEAR(deliveries.size(), 10.0 / FeedClock::PERIOD - missed, 1.5) << "late by " << lateBy;
        // Five ticks on, every delivery comes within a system clock tick (and the millisecond
        // the wait is rounded up to) of its slot again.
        for (size_t i = 25; i < deliveries.size(); ++i) {
            double sinceSlot = std::fmod(deliveries[i] - 1000.0 + 1e-9, FeedClock::PERIOD);
            EXPECT_LT(sinceSlot, tick + 0.001) << "delivery " << i << ", late by " << lateBy;
        }
    }
}

TEST(FeedPaceNextWait, AimsAtTheNextSlotKeepingFiftyMillisecondsFromTheLastDelivery) {
    struct {
        double delivered, now;
        unsigned wait;
        std::int64_t slot;
    } cases[] = {
        {0.070, 0.0712, 69, 2},  // on time: the rest of the way to slot 2 at 140 ms
        {0.078, 0.078, 62, 2},   // a coarse timer's 8 ms late: the next wait is shorter
        {0.100, 0.101, 49, 2},   // 30 ms late: slot 2 would come 40 ms after, so 50 ms after
        {0.360, 0.360, 60, 6},   // 290 ms late: slots 2 to 5 are dropped
    };
    for (const auto& c : cases) {
        FeedClock::Pace pace{0.0, 1};
        EXPECT_EQ(FeedClock::NextWait(pace, c.delivered, c.now), c.wait) << "delivered at " << c.delivered;
        EXPECT_EQ(pace.slot, c.slot) << "delivered at " << c.delivered;
    }
}

}  // namespace
