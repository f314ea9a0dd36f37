// Tevrin.exe: the bridge's window, MainForm. The window procedure hands each message to one
// handler; the handlers' logic lives in main_form.h.
#include <windows.h>

#include <string>

#include "bridge/layout.h"
#include "bridge/main_form.h"
#include "widget/win32_port_list.h"
#include "widget/win32_serial_port.h"
#include "win32/control_ids.h"
#include "win32/controls.h"
#include "win32/fatal_error.h"
#include "win32/main_window.h"
#include "win32/message_loop.h"
#include "win32/steady_clock.h"
#include "win32/window_timer.h"

namespace {

constexpr const char* PROGRAM = "Tevrin";
constexpr UINT_PTR TIMER1 = 1, SENDING_TMR = 2, SEARCH_TMR = 3;
constexpr UINT TIMER1_INTERVAL = 100;  // the bytes are parsed as they come, not by this timer
// Posted by the port's reader thread when it has handed reads over (MSComm1's OnComm event).
constexpr UINT WM_MSCOMM1 = WM_APP + 1;
constexpr UINT SEARCH_TMR_INTERVAL = 250;  // the search itself looks about every 2 s
constexpr const char* ONE_BRIDGE_MUTEX = "Local\\Tevrin.Bridge";

struct Controls {
    HWND form = nullptr;
    HWND cmdFind_LJ = nullptr, lblFPS = nullptr, DevList = nullptr, lblError = nullptr, lblRec = nullptr;
    HWND scrollCh[MainForm::CHANNELS] = {};
    HWND lblChValue[MainForm::CHANNELS] = {};
    HWND lblChan[MainForm::CHANNELS] = {};
};

Controls controls;

class Win32BridgeWindow : public MainForm::BridgeWindow {
public:
    void SetCaption(const std::string& text) override { ::SetCaption(controls.form, text); }
    void ClearDevList() override { SendMessageA(controls.DevList, LB_RESETCONTENT, 0, 0); }
    void AddDevListLine(const std::string& text) override {
        SendMessageA(controls.DevList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    void SetErrorCaption(const std::string& text) override { ::SetCaption(controls.lblError, text); }
    void SetFpsCaption(const std::string& text) override { ::SetCaption(controls.lblFPS, text); }
    void SetChannelValueCaption(int k, const std::string& text) override {
        ::SetCaption(controls.lblChValue[k], text);
    }
    void SetConnectCaption(const std::string& text) override { ::SetCaption(controls.cmdFind_LJ, text); }
    int FaderValue(int k) override { return ::FaderValue(controls.scrollCh[k]); }
    bool Minimized() override { return IsIconic(controls.form) != FALSE; }
    void EnableTimer1() override { SetTimer(controls.form, TIMER1, TIMER1_INTERVAL, nullptr); }
    void DeliverWaitingMessages() override {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    void Sleep(unsigned milliseconds) override { ::Sleep(milliseconds); }
};

class Win32MsgBox : public MsgBox {
public:
    void Show(const std::string& text) override {
        MessageBoxA(controls.form, text.c_str(), PROGRAM, MB_OK);
    }
};

class Win32Label : public TextLabel {
public:
    explicit Win32Label(HWND* label) : label(label) {}
    void SetCaption(const std::string& text) override { ::SetCaption(*label, text); }
private:
    HWND* label;
};

Win32BridgeWindow bridgeWindow;
Win32SerialPort MSComm1;
Win32SerialPortList portList;
Win32MsgBox msgBox;
Win32Label lblRecLabel(&controls.lblRec);
SteadyClock steadyClock;
WindowTimer sendingTimer(&controls.form, SENDING_TMR);

// On the reader's thread: the one thing it does with the window.
void NoticeReads() { PostMessageA(controls.form, WM_MSCOMM1, 0, 0); }

void CreateControls(HWND form) {
    using namespace BridgeLayout;
    int dpi = ScreenDpi();
    controls.form = form;
    controls.cmdFind_LJ = CreateButton(form, ControlId::cmdFind_LJ, MainForm::CONNECT_CAPTION, BridgeLayout::cmdFind_LJ, dpi);
    for (int k = 0; k < MainForm::CHANNELS; ++k)
        controls.scrollCh[k] = CreateFader(form, ControlId::scrollCh + k, Fader(k), dpi);
    controls.DevList = CreateListBox(form, ControlId::DevList, BridgeLayout::DevList, dpi);
    controls.lblFPS = CreateLabel(form, ControlId::lblFPS, "FPS", BridgeLayout::lblFPS, dpi, SS_LEFT);
    controls.lblError = CreateLabel(form, ControlId::lblError, "", BridgeLayout::lblError, dpi, SS_LEFT);
    controls.lblRec = CreateLabel(form, ControlId::lblRec, "", BridgeLayout::lblRec, dpi, SS_LEFT);
    HFONT small = ValueLabelFont(dpi);
    for (int k = 0; k < MainForm::CHANNELS; ++k) {
        std::string channel = std::to_string(k + 1);
        controls.lblChValue[k] =
            CreateLabel(form, ControlId::lblChValue + k, channel.c_str(), ValueLabel(k), dpi, SS_CENTER, small);
        controls.lblChan[k] = CreateLabel(form, ControlId::lblChan + k, channel.c_str(), ChannelLabel(k), dpi, SS_CENTER);
    }
}

LRESULT OnCreate(HWND form) {
    CreateControls(form);
    MSComm1.SetReadNotice(NoticeReads);
    MainForm::Attach({&bridgeWindow, &MSComm1, &portList, &msgBox, &lblRecLabel, &steadyClock});
    FeedClock::Start(steadyClock, sendingTimer);
    SetTimer(form, SEARCH_TMR, SEARCH_TMR_INTERVAL, nullptr);
    return 0;
}

void OnCommand(WPARAM wParam) {
    if (LOWORD(wParam) == ControlId::cmdFind_LJ && HIWORD(wParam) == BN_CLICKED)
        RunHandler(PROGRAM, MainForm::cmdFind_LJ_Click);
}

void OnTimer(WPARAM id) {
    if (id == TIMER1) RunHandler(PROGRAM, MainForm::Timer1_Timer);
    if (id == SENDING_TMR) FeedClock::Tick([] { RunHandler(PROGRAM, MainForm::SendingTMR_Timer); });
    if (id == SEARCH_TMR) RunHandler(PROGRAM, MainForm::SearchTMR_Timer);
}

void OnClose(HWND form) {
    std::int16_t cancel = 0;
    RunHandler(PROGRAM, [&] { MainForm::Form_Unload(cancel); });
    if (cancel == 0) DestroyWindow(form);
}

LRESULT CALLBACK WindowProc(HWND form, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: return OnCreate(form);
        case WM_COMMAND: OnCommand(wParam); return 0;
        case WM_TIMER: OnTimer(wParam); return 0;
        case WM_MSCOMM1: RunHandler(PROGRAM, MainForm::MSComm1_OnComm); return 0;
        case WM_SIZE: RunHandler(PROGRAM, MainForm::Form_Resize); return 0;
        case WM_VSCROLL: MoveFader(reinterpret_cast<HWND>(lParam), wParam); return 0;
        case WM_CLOSE: OnClose(form); return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
        default: return DefWindowProcA(form, message, wParam, lParam);
    }
}

HWND CreateMainForm(HINSTANCE instance) {
    return CreateMainWindow(instance, WindowClass::Bridge, MainForm::CAPTION, BridgeLayout::CLIENT_WIDTH, BridgeLayout::CLIENT_HEIGHT, WindowProc);
}

// Two bridges would fight over the widget and both feed LightJockey. A bridge started while one
// runs touches no port: it brings the running one's window to the front and ends. The mutex is
// held until the process ends.
bool AnotherBridgeRuns() {
    CreateMutexA(nullptr, FALSE, ONE_BRIDGE_MUTEX);
    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
    if (HWND running = FindWindowA(WindowClass::Bridge, nullptr)) {
        if (IsIconic(running)) ShowWindow(running, SW_RESTORE);
        SetForegroundWindow(running);
    }
    return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    if (AnotherBridgeRuns()) return 0;
    HWND form = CreateMainForm(instance);
    if (!form) return 1;
    RunHandler(PROGRAM, MainForm::Form_Load);  // before the window is first shown
    ShowWindow(form, show);
    UpdateWindow(form);
    SetFocus(controls.cmdFind_LJ);
    return RunMessageLoop(form);
}
