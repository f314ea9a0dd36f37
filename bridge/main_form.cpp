#include "bridge/main_form.h"

#include "bridge/outside_state.h"
#include "widget/proVCPdriver.h"

namespace MainForm {

Outside outside{};

void Attach(const Outside& o) {
    outside = o;
    outside.lblRec = TraceWhileShown(o.lblRec);
    proVCPdriver::Attach(outside.MSComm1, outside.box, outside.clock, outside.lblRec);
}

void SetPortOpen(bool open) {
    proVCPdriver::ForgetPartialPacket();
    ForgetReads();
    outside.MSComm1->SetPortOpen(open);
}

void ResetFormState() {
    widgetPort = 0;
    portOpened = false;
    ResetReceivePoll();
    ResetPortSearch();
    ResetShownLabels();
}

}  // namespace MainForm
