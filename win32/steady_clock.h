#pragma once
// The programs' clock on Windows: seconds of the steady clock, which never goes backwards.
#include <chrono>

#include "widget/outside.h"

class SteadyClock : public Clock {
public:
    double Seconds() override {
        using namespace std::chrono;
        return duration<double>(steady_clock::now().time_since_epoch()).count();
    }
};
