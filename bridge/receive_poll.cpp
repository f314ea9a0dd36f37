// The receive poll: every 10 ms, shows the widget link status, hands everything the widget
// has sent to the parser and shows the received frame rate. When the widget's port fails (the
// widget was unplugged), the poll closes it and opens it again about once a second, and once
// it is back asks the widget for its frames again, as the start-up did. After a few seconds the
// search after start-up also looks for the widget on other ports (port_search.cpp).
#include <cmath>
#include <cstdio>
#include <string>

#include "bridge/main_form.h"
#include "bridge/outside_state.h"
#include "widget/proVCPdriver.h"

namespace MainForm {

namespace {

constexpr double REOPEN_INTERVAL_S = 1.0;

struct WidgetLink {
    bool lost = false;        // the port failed and is closed until it opens again
    double lostAt = 0;        // when it failed
    double lastReopen = 0;    // when the last attempt to open it again was made
};

WidgetLink link;

double Now() { return outside.clock->Seconds(); }

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

void LoseWidget() {
    Ignoring([] { SetPortOpen(false); });
    link.lost = true;
    link.lostAt = Now();
    link.lastReopen = link.lostAt;
}

// The same end of the start-up as when the bridge started: receive every frame, then one
// output packet.
void TryReopen() {
    if (Now() - link.lastReopen < REOPEN_INTERVAL_S) return;
    link.lastReopen = Now();
    bool open = false;
    Ignoring([&] {
        outside.MSComm1->SetCommPort(widgetPort);
        SetPortOpen(true);
        open = outside.MSComm1->PortOpen();
    });
    if (!open) return;
    link.lost = false;
    proVCPdriver::SendReceiveMode(0);
    proVCPdriver::PrepareStartupOutput();
    proVCPdriver::SendOutputPacket();
}

std::string ReadWaiting() {
    SerialPort& comm = *outside.MSComm1;
    return comm.InBufferCount() > 0 ? comm.Input() : std::string();
}

// True when something was handed to the parser. A port that fails is lost.
bool Receive() {
    std::string text;
    try {
        text = ReadWaiting();
    } catch (...) {
        LoseWidget();
        return false;
    }
    if (text.empty()) return false;
    Ignoring([&] { proVCPdriver::ParsePacket(text); });
    return true;
}

}  // namespace

void ResetReceivePoll() { link = WidgetLink{}; }

bool WidgetLostFor(double seconds) { return link.lost && Now() - link.lostAt >= seconds; }

void Timer1_Timer() {
    Ignoring([] { outside.window->SetErrorCaption(StatusCaption()); });
    if (!portOpened) return;
    if (link.lost) Ignoring(TryReopen);
    bool read = !link.lost && Receive();
    // A rate window that ran out without a packet closes here, so the rate falls to 0 when
    // the widget goes quiet instead of showing the last rate for ever.
    double windowStart = proVCPdriver::rateClockStart;
    Ignoring([] { proVCPdriver::CloseRateWindowIfDue(); });
    bool closed = proVCPdriver::rateClockStart != windowStart;
    if (read || closed) Ignoring([] { outside.window->SetFpsCaption(RateCaption(proVCPdriver::framesPerSecond)); });
}

}  // namespace MainForm
