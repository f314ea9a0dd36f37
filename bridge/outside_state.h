#pragma once
// What the bridge's handlers share inside the bridge: the outside they were attached to.
#include "bridge/main_form.h"

namespace MainForm {

extern Outside outside;

// Opens or closes MSComm1. Bytes kept from an unfinished packet belong to the port they came
// from, so they are dropped at every open and close.
void SetPortOpen(bool open);

void ResetReceivePoll();

// The port scan and the receive poll skip a step that fails and carry on with the next.
template <typename Step>
void Ignoring(Step&& step) {
    try {
        step();
    } catch (...) {
    }
}

}  // namespace MainForm
