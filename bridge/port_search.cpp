// The search after start-up. While the start-up found no widget, could not open the one it
// found, or the widget's port has been lost for a few seconds, the bridge looks about every 2 s
// at the list of serial ports and probes only those that have appeared since its last look: a
// port that stays present is written to once at most, so other serial devices do not get a
// stream of packets. The first widget that answers is used as if the start-up had found it.
#include "bridge/main_form.h"
#include "bridge/outside_state.h"
#include "widget/proVCPdriver.h"

namespace MainForm {

namespace {

struct PortSearch {
    bool started = false;   // by the start-up, once it found no usable widget
    double lastLook = 0;    // clock reading
    PortSet present;        // ports listed at the last look
};

PortSearch search;

double Now() { return outside.clock->Seconds(); }

bool Wanted() {
    if (!portOpened) return search.started;
    return WidgetLostFor(LOST_BEFORE_SEARCH_S);
}

PortSet ListPorts() {
    PortSet present;
    Ignoring([&] { present = outside.portList->PresentPorts(); });
    return present;
}

// A failed send in the background is not worth a modal box: the port is simply not a widget.
void ReportRequestFailures(bool report) {
    proVCPdriver::Attach(outside.MSComm1, report ? outside.box : nullptr, outside.clock, outside.lblRec);
}

void UseWidget(std::int16_t port) {
    const std::int16_t before = widgetPort;
    widgetPort = port;
    Ignoring([] { StartReceiving(); });
    if (outside.MSComm1->PortOpen()) {
        portOpened = true;
        ResetReceivePoll();
    } else if (portOpened) {
        widgetPort = before;  // the lost widget may still come back on its own port
    }
}

// Ascending, as at start-up; the first widget that answers ends the look. Neither the probe nor
// UseWidget lets an error out.
void ProbeNewPorts(const PortSet& appeared) {
    ReportRequestFailures(false);
    for (std::int16_t port = 1; port <= HighestPort; ++port) {
        if (!appeared[static_cast<std::size_t>(port)] || !ProbePort(port)) continue;
        UseWidget(port);
        break;
    }
    ReportRequestFailures(true);
}

void Look() {
    search.lastLook = Now();
    const PortSet now = ListPorts();
    const PortSet appeared = now & ~search.present;
    search.present = now;
    if (appeared.any()) ProbeNewPorts(appeared);
}

}  // namespace

void NotePresentPorts() {
    search.present = ListPorts();
    search.lastLook = Now();
}

void StartSearch() {
    search.started = true;
}

void ResetPortSearch() { search = PortSearch{}; }

void LookForWidget() {
    if (Wanted() && Now() - search.lastLook >= SEARCH_INTERVAL_S) Look();
}

void SearchTMR_Timer() { LookForWidget(); }

}  // namespace MainForm
