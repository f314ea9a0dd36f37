#pragma once
// The simulator's window logic: eight faders feed DMX channels 1 to 8 of the LightJockey
// frame on every tick of the feed timer.
#include <string>

#include "widget/outside.h"

namespace MainForm {

constexpr int CHANNELS = 8;
constexpr const char* CAPTION = "Dravenly LJ DMX IN Simulator";
constexpr const char* CONNECT_CAPTION = "Press To Connect";

// The window's controls, as the handlers use them.
class SimulatorWindow {
public:
    virtual ~SimulatorWindow() = default;
    virtual int FaderValue(int k) = 0;  // scrollCh(k).Value, 0 (top) to 255 (bottom)
    virtual void SetChannelValueCaption(int k, const std::string& text) = 0;  // lblChValue(k)
    virtual void SetConnectCaption(const std::string& text) = 0;             // cmdFind_LJ
};

// The clock lets the feed look for LightJockey again about once a second.
void Attach(SimulatorWindow* window, Clock* clock);

void SendingTMR_Timer();
void cmdFind_LJ_Click();

}  // namespace MainForm
