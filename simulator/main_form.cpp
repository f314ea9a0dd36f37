#include "simulator/main_form.h"

#include <cstdint>

#include "link/lj_link.h"

namespace MainForm {

namespace {
SimulatorWindow* window = nullptr;
}

void Attach(SimulatorWindow* w) { window = w; }

void SendingTMR_Timer() {
    for (int k = 0; k < CHANNELS; ++k) {
        int level = 255 - window->FaderValue(k);
        Brenoth::dmxFrame[k] = static_cast<std::uint8_t>(level);
        window->SetChannelValueCaption(k, std::to_string(level));
    }
    if (Brenoth::ljWindow != 0) Brenoth::SendDmxFrame();
}

void cmdFind_LJ_Click() {
    window->SetConnectCaption(Brenoth::ConnectLJ() ? "LJ READY !" : "LJ not READY !");
}

}  // namespace MainForm
