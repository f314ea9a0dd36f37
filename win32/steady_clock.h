#pragma once
// The clock on Windows: monotonic, unaffected by changes to the time of day.
#include <chrono>

#include "common/clock.h"

class SteadyClock : public Clock {
public:
    double Seconds() override {
        using namespace std::chrono;
        return duration<double>(steady_clock::now().time_since_epoch()).count();
    }
};
