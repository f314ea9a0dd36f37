#include "bridge/main_form.h"

#include "bridge/outside_state.h"
#include "widget/proVCPdriver.h"

namespace MainForm {

Outside outside{};

void Attach(const Outside& o) {
    outside = o;
    proVCPdriver::Attach(o.MSComm1, o.box, o.clock, o.lblRec);
}

void SetPortOpen(bool open) {
    proVCPdriver::ForgetPartialPacket();
    outside.MSComm1->SetPortOpen(open);
}

void ResetFormState() {
    widgetPort = 0;
    portOpened = false;
    ResetReceivePoll();
    ResetPortSearch();
}

}  // namespace MainForm
