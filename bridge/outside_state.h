#pragma once
// What the bridge's handlers share inside the bridge: the outside they were attached to.
#include "bridge/main_form.h"

namespace MainForm {

extern Outside outside;

// Opens or closes MSComm1. Bytes kept from an unfinished packet, and reads still waiting to be
// parsed, belong to the port they came from, so they are dropped at every open and close.
void SetPortOpen(bool open);

// Reads handed over before this are not parsed.
void ForgetReads();
// The widget's port, open and asked for its frames, is read from now on: each read is parsed
// as it comes (MSComm1_OnComm). A port that cannot be read counts as lost.
void WaitForBytes();

void ResetReceivePoll();
void ResetPortSearch();
void ResetShownLabels();

// The value label of fader k shows the level, unless the window is minimized: then it is
// written when the window is restored (shown_labels.cpp).
void ShowChannelValue(int k, int level);
// lblRec as the parser is given it: written at once while the window can be seen, kept for the
// restore while it is minimized.
TextLabel* TraceWhileShown(TextLabel* lblRec);

// The start-up's end once a widget has answered on widgetPort: opens it, shows its firmware
// version, asks for every frame, starts Timer1, sends one output packet and waits for the
// widget's bytes. Returns whether the port opened; an error passes to the caller.
bool StartReceiving();

// Probes one port: output packet, parameters request, reply, and the DevList lines. True when a
// widget answered. Leaves the port closed and never fails.
bool ProbePort(std::int16_t port);

// The search after start-up: the ports present now become the last look's, and the search
// begins (it ends by itself once a widget receives).
void NotePresentPorts();
void StartSearch();

// Whether the widget's port failed and has stayed closed for at least that long.
bool WidgetLostFor(double seconds);

// The port scan, the probes and the receive poll skip a step that fails and carry on with the
// next.
template <typename Step>
void Ignoring(Step&& step) {
    try {
        step();
    } catch (...) {
    }
}

// Runs the steps in order, each as if it were alone: an error ends only its own step.
template <typename... Steps>
void EachIgnoringErrors(Steps&&... steps) {
    (Ignoring(steps), ...);
}

}  // namespace MainForm
