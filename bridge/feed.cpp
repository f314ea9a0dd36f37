// The feed: every 70 ms, merges the received levels with the sixteen faders (the higher level
// wins), shows the merged levels of channels 1 to 16 and hands the frame to LightJockey.
#include <string>

#include "bridge/main_form.h"
#include "bridge/outside_state.h"
#include "link/lj_link.h"
#include "widget/proVCPdriver.h"

namespace MainForm {

namespace {
constexpr int FIRST_LEVEL_OFFSET = 5;  // channel n is at dmxIn[5 + n]
}

void SendingTMR_Timer() {
    for (int channel = 1; channel <= 512; ++channel) {
        int level = proVCPdriver::dmxIn[FIRST_LEVEL_OFFSET + channel];
        if (channel <= CHANNELS) {
            int fader = 255 - outside.window->FaderValue(channel - 1);
            if (fader > level) level = fader;
            outside.window->SetChannelValueCaption(channel - 1, std::to_string(level));
        }
        Brenoth::dmxFrame[channel - 1] = static_cast<std::uint8_t>(level);
    }
    if (Brenoth::ljWindow != 0) Brenoth::SendDmxFrame();
}

void cmdFind_LJ_Click() {
    outside.window->SetConnectCaption(Brenoth::ConnectLJ() ? "LJ READY !" : "LJ not READY !");
}

}  // namespace MainForm
