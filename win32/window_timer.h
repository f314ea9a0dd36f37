#pragma once
// A window timer used as a one-shot: each arming replaces the wait of the timer with the same
// id, and the tick's handler arms it again. The system's timer resolution is left as it is (no
// timeBeginPeriod): the feed's pace holds the average rate at any resolution, and raising it
// would make the whole machine's clock tick faster on the older Windows versions that lighting
// PCs run, for nothing but a smaller jitter of each delivery.
#include <windows.h>

#include "common/feed_clock.h"

class WindowTimer : public OneShotTimer {
public:
    WindowTimer(HWND* window, UINT_PTR id) : window(window), id(id) {}
    void Arm(unsigned milliseconds) override { SetTimer(*window, id, milliseconds, nullptr); }

private:
    HWND* window;
    UINT_PTR id;
};
