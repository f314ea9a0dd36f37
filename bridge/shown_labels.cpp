// What nobody can see is not drawn: while the window is minimized the feed leaves the value
// labels as they are and the parser's trace is kept instead of written to lblRec. Restoring
// the window brings both up to date at once. Under Wine every caption written costs the
// bridge a good share of its time, and at 44 frames a second these are most of them.
#include <string>

#include "bridge/main_form.h"
#include "bridge/outside_state.h"
#include "link/lj_link.h"

namespace MainForm {

namespace {

struct HiddenLabels {
    bool minimized = false;
    bool valuesHeld = false;  // the feed ran while minimized: dmxFrame holds the levels to show
    bool traceHeld = false;
    std::string trace;        // the parser's last trace while minimized
};

HiddenLabels hidden;

class TraceLabel : public TextLabel {
public:
    void SetCaption(const std::string& text) override {
        if (!hidden.minimized) {
            lblRec->SetCaption(text);
            return;
        }
        hidden.trace = text;
        hidden.traceHeld = true;
    }
    TextLabel* lblRec = nullptr;
};

TraceLabel traceLabel;

void ShowHeldLabels() {
    if (hidden.valuesHeld) {
        hidden.valuesHeld = false;
        for (int k = 0; k < CHANNELS; ++k) outside.window->SetChannelValueCaption(k, std::to_string(Brenoth::dmxFrame[k]));
    }
    if (hidden.traceHeld) {
        hidden.traceHeld = false;
        traceLabel.lblRec->SetCaption(hidden.trace);
    }
}

}  // namespace

void ResetShownLabels() { hidden = HiddenLabels{}; }

TextLabel* TraceWhileShown(TextLabel* lblRec) {
    traceLabel.lblRec = lblRec;
    return &traceLabel;
}

void ShowChannelValue(int k, int level) {
    if (hidden.minimized) {
        hidden.valuesHeld = true;
        return;
    }
    outside.window->SetChannelValueCaption(k, std::to_string(level));
}

void Form_Resize() {
    const bool minimized = outside.window->Minimized();
    if (minimized == hidden.minimized) return;
    hidden.minimized = minimized;
    if (!minimized) ShowHeldLabels();
}

}  // namespace MainForm
