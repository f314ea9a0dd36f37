#pragma once
// The bridge's window logic: the start-up search for a widget, the receive poll, the fader
// merge and the LightJockey feed. The window itself (win32_main.cpp) only creates the controls
// and calls these handlers.
#include <cstdint>
#include <string>

#include "widget/outside.h"
#include "widget/serial_port.h"

namespace MainForm {

constexpr int CHANNELS = 16;
constexpr const char* CAPTION = "LJ DMX IN from Enttec USB DMX Pro";
constexpr const char* CONNECT_CAPTION = "Connect to LightJockey";

// The window's controls and services, as the handlers use them.
class BridgeWindow {
public:
    virtual ~BridgeWindow() = default;
    virtual void SetCaption(const std::string& text) = 0;
    virtual void ClearDevList() = 0;
    virtual void AddDevListLine(const std::string& text) = 0;
    virtual void SetErrorCaption(const std::string& text) = 0;         // lblError
    virtual void SetFpsCaption(const std::string& text) = 0;           // lblFPS
    virtual void SetChannelValueCaption(int k, const std::string& text) = 0;  // lblChValue(k)
    virtual void SetConnectCaption(const std::string& text) = 0;       // cmdFind_LJ
    virtual int FaderValue(int k) = 0;  // scrollCh(k).Value, 0 (top) to 255 (bottom)
    virtual bool Minimized() = 0;       // the window's state: minimized to the taskbar
    virtual void EnableTimer1() = 0;
    virtual void DeliverWaitingMessages() = 0;  // once, then returns
    virtual void Sleep(unsigned milliseconds) = 0;
};

// Everything the handlers reach: the window, its serial component MSComm1, the system's list of
// serial ports, the program's message box, the trace label lblRec and the clock.
struct Outside {
    BridgeWindow* window;
    SerialPort* MSComm1;
    SerialPortList* portList;
    MsgBox* box;
    TextLabel* lblRec;
    Clock* clock;
};

void Attach(const Outside& outside);

extern std::int16_t widgetPort;
extern bool portOpened;

void Form_Load();
void Form_Unload(std::int16_t& Cancel);
void Form_Resize();  // minimized or restored
// MSComm1's event: the port's reader has handed reads over; they are parsed in order.
void MSComm1_OnComm();
void Timer1_Timer();
void SendingTMR_Timer();
void SearchTMR_Timer();
void cmdFind_LJ_Click();

// Start-up steps, public for the load handler's sake.
bool init();
void DisplayConfig();

// The search after start-up, while no widget is receiving: about every 2 s, probes the serial
// ports that have appeared since the last look, and starts receiving from the first widget that
// answers. Callable from any tick; does nothing between looks.
constexpr double SEARCH_INTERVAL_S = 2.0;
// A lost widget is looked for on other ports once it has been gone from its own this long.
constexpr double LOST_BEFORE_SEARCH_S = 3.0;
void LookForWidget();

// Back to the state at program start.
void ResetFormState();

}  // namespace MainForm
