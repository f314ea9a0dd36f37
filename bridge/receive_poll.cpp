// The receive poll: every 10 ms, shows the widget link status, hands everything the widget
// has sent to the parser and shows the received frame rate.
#include <cmath>
#include <cstdio>
#include <string>

#include "bridge/main_form.h"
#include "bridge/outside_state.h"
#include "widget/proVCPdriver.h"

namespace MainForm {

namespace {

// Each step that fails is skipped; the tick goes on with the next.
template <typename Step>
void Ignoring(Step&& step) {
    try {
        step();
    } catch (...) {
    }
}

std::string StatusCaption() {
    return std::to_string(proVCPdriver::linkStatus) + " " + proVCPdriver::LinkStatusText(proVCPdriver::linkStatus);
}

// The shortest decimal form; a whole number of frames shows as digits only.
std::string RateCaption(float rate) {
    if (std::nearbyint(rate) == rate && std::fabs(rate) < 1e9f) return std::to_string(static_cast<long>(rate));
    char text[32];
    std::snprintf(text, sizeof text, "%.7g", static_cast<double>(rate));
    return text;
}

}  // namespace

void ResetReceivePoll() {}

void Timer1_Timer() {
    Ignoring([] { outside.window->SetErrorCaption(StatusCaption()); });
    if (!portOpened) return;
    bool read = false;
    Ignoring([&] {
        if (outside.MSComm1->InBufferCount() > 0) {
            read = true;
            proVCPdriver::ParsePacket(outside.MSComm1->Input());
        }
    });
    // A rate window that ran out without a packet closes here, so the rate falls to 0 when
    // the widget goes quiet instead of showing the last rate for ever.
    double windowStart = proVCPdriver::rateClockStart;
    Ignoring([] { proVCPdriver::CloseRateWindowIfDue(); });
    bool closed = proVCPdriver::rateClockStart != windowStart;
    if (read || closed) Ignoring([] { outside.window->SetFpsCaption(RateCaption(proVCPdriver::framesPerSecond)); });
}

}  // namespace MainForm
