// The feed: every 70 ms, merges the received levels with the sixteen faders (the higher level
// wins), shows the merged levels of channels 1 to 16 and hands the frame to LightJockey. The
// connect button shows the link's state: set by a click, and by a tick when the link lost its
// window or connected again by itself.
#include <string>

#include "bridge/main_form.h"
#include "bridge/outside_state.h"
#include "link/lj_link.h"
#include "widget/proVCPdriver.h"

namespace MainForm {

namespace {
constexpr int FIRST_LEVEL_OFFSET = 5;  // channel n is at dmxIn[5 + n]

void ShowLinkState(bool ready) { outside.window->SetConnectCaption(ready ? "LJ READY !" : "LJ not READY !"); }
}  // namespace

void SendingTMR_Timer() {
    for (int channel = 1; channel <= 512; ++channel) {
        int level = proVCPdriver::dmxIn[FIRST_LEVEL_OFFSET + channel];
        if (channel <= CHANNELS) {
            int fader = 255 - outside.window->FaderValue(channel - 1);
            if (fader > level) level = fader;
            ShowChannelValue(channel - 1, level);
        }
        Brenoth::dmxFrame[channel - 1] = static_cast<std::uint8_t>(level);
    }
    if (Brenoth::TendLink(outside.clock->Seconds())) ShowLinkState(Brenoth::ljReady);
    if (Brenoth::ljWindow != 0) Brenoth::SendDmxFrame();
}

void cmdFind_LJ_Click() { ShowLinkState(Brenoth::ConnectLJ()); }

}  // namespace MainForm
