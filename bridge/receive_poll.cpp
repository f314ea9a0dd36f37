// The receive side: the widget's bytes are parsed as they come. The port's reader hands each
// read over (read_hand_off.h) and the window is told (MSComm1_OnComm); the parse and the
// status it leaves are shown there. Timer1, every 100 ms, shows the widget link status, closes
// a rate window that ran out without a packet, and looks after a lost port: when the widget's
// port fails (the widget was unplugged), it is closed and opened again about once a second,
// and once it is back the widget is asked for its frames again, as the start-up did. After a
// few seconds the search after start-up also looks for the widget on other ports
// (port_search.cpp).
#include <cmath>
#include <cstdio>
#include <string>

#include "bridge/main_form.h"
#include "bridge/outside_state.h"
#include "widget/proVCPdriver.h"
#include "widget/read_hand_off.h"

namespace MainForm {

namespace {

constexpr double REOPEN_INTERVAL_S = 1.0;

struct WidgetLink {
    bool lost = false;        // the port failed and is closed until it opens again
    double lostAt = 0;        // when it failed
    double lastReopen = 0;    // when the last attempt to open it again was made
};

// What lblError and lblFPS show, as last written here: a read changes them only when its
// parse changed what they should show.
struct Shown {
    std::string status;
    std::string rate;
};

WidgetLink link;
Shown shown;
// Tags the reads of the port as it is now; moves on at every open and close, so that reads
// still waiting from a port since closed are never parsed.
std::uint32_t readGeneration = 0;

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

void ShowStatus() {
    shown.status = StatusCaption();
    outside.window->SetErrorCaption(shown.status);
}

void ShowRate() {
    shown.rate = RateCaption(proVCPdriver::framesPerSecond);
    outside.window->SetFpsCaption(shown.rate);
}

void LoseWidget() {
    Ignoring([] { SetPortOpen(false); });
    link.lost = true;
    link.lostAt = Now();
    link.lastReopen = link.lostAt;
}

// The same end of the start-up as when the bridge started: receive every frame, then one
// output packet, then wait for the bytes.
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
    WaitForBytes();
}

// Parses every read handed over, in order, and tells whether something was parsed. A read
// that failed loses the port, and with it the reads after it.
bool ParseHandedOverReads() {
    bool parsed = false;
    for (const ReadHandOff::PortRead& read : ReadHandOff::TakeAll()) {
        if (read.generation != readGeneration) continue;  // a port since closed
        if (read.failed) {
            LoseWidget();
            continue;
        }
        if (read.afterGap) proVCPdriver::ForgetPartialPacket();
        Ignoring([&] { proVCPdriver::ParsePacket(read.bytes); });
        parsed = true;
    }
    return parsed;
}

}  // namespace

void ResetReceivePoll() {
    link = WidgetLink{};
    shown = Shown{};
}

void ForgetReads() { ++readGeneration; }

void WaitForBytes() {
    try {
        outside.MSComm1->StartReading(readGeneration);
    } catch (...) {
        LoseWidget();  // a port that cannot be read is as good as gone
    }
}

bool WidgetLostFor(double seconds) { return link.lost && Now() - link.lostAt >= seconds; }

void MSComm1_OnComm() {
    if (!ParseHandedOverReads()) return;
    if (StatusCaption() != shown.status) Ignoring(ShowStatus);
    if (RateCaption(proVCPdriver::framesPerSecond) != shown.rate) Ignoring(ShowRate);
}

void Timer1_Timer() {
    Ignoring(ShowStatus);
    if (!portOpened) return;
    if (link.lost) Ignoring(TryReopen);
    // Reads whose notice went astray are not left waiting for the next one.
    MSComm1_OnComm();
    // A rate window that ran out without a packet closes here, so the rate falls to 0 when
    // the widget goes quiet instead of showing the last rate for ever.
    double windowStart = proVCPdriver::rateClockStart;
    Ignoring([] { proVCPdriver::CloseRateWindowIfDue(); });
    if (proVCPdriver::rateClockStart != windowStart) Ignoring(ShowRate);
}

}  // namespace MainForm
