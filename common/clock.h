#pragma once
// The clock seam: a monotonic clock, read through this class so that tests can set the time.

class Clock {
public:
    virtual ~Clock() = default;
    // Seconds from an arbitrary fixed origin, never going backwards.
    virtual double Seconds() = 0;
};
