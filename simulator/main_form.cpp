#include "simulator/main_form.h"

#include <cstdint>

#include "link/lj_link.h"

namespace MainForm {

namespace {
SimulatorWindow* window = nullptr;
Clock* feedClock = nullptr;

void ShowLinkState(bool ready) { window->SetConnectCaption(ready ? "LJ READY !" : "LJ not READY !"); }
}  // namespace

void Attach(SimulatorWindow* w, Clock* c) {
    window = w;
    feedClock = c;
}

void SendingTMR_Timer() {
    for (int k = 0; k < CHANNELS; ++k) {
        int level = 255 - window->FaderValue(k);
        Brenoth::dmxFrame[k] = static_cast<std::uint8_t>(level);
        window->SetChannelValueCaption(k, std::to_string(level));
    }
    if (Brenoth::TendLink(feedClock->Seconds())) ShowLinkState(Brenoth::ljReady);
    if (Brenoth::ljWindow != 0) Brenoth::SendDmxFrame();
}

void cmdFind_LJ_Click() { ShowLinkState(Brenoth::ConnectLJ()); }

}  // namespace MainForm
