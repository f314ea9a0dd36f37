#pragma once
// The simulator's window logic: eight faders feed DMX channels 1 to 8 of the LightJockey
// frame on every tick of the feed timer.
#include <string>

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

void Attach(SimulatorWindow* window);

void SendingTMR_Timer();
void cmdFind_LJ_Click();

}  // namespace MainForm
