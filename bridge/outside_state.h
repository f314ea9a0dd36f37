#pragma once
// What the bridge's handlers share inside the bridge: the outside they were attached to.
#include "bridge/main_form.h"

namespace MainForm {

extern Outside outside;

// Opens or closes MSComm1. Bytes kept from an unfinished packet belong to the port they came
// from, so they are dropped at every open and close.
void SetPortOpen(bool open);

void ResetReceivePoll();
void ResetPortSearch();

// The start-up's end once a widget has answered on widgetPort: opens it, shows its firmware
// version, asks for every frame, starts the receive poll, sends one output packet. Returns
// whether the port opened; an error passes to the caller.
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
