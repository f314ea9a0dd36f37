// Brenoth.exe: the simulator's window, MainForm. The window procedure hands each message to
// one handler; the handlers' logic lives in main_form.cpp.
#include <windows.h>

#include "simulator/layout.h"
#include "simulator/main_form.h"
#include "win32/control_ids.h"
#include "win32/controls.h"
#include "win32/fatal_error.h"
#include "win32/main_window.h"
#include "win32/message_loop.h"
#include "win32/steady_clock.h"
#include "win32/window_timer.h"

namespace {

constexpr const char* PROGRAM = "Brenoth";
constexpr UINT_PTR SENDING_TMR = 1;

struct Controls {
    HWND form = nullptr;
    HWND cmdFind_LJ = nullptr;
    HWND scrollCh[MainForm::CHANNELS] = {};
    HWND lblChValue[MainForm::CHANNELS] = {};
};

Controls controls;

class Win32SimulatorWindow : public MainForm::SimulatorWindow {
public:
    int FaderValue(int k) override { return ::FaderValue(controls.scrollCh[k]); }
    void SetChannelValueCaption(int k, const std::string& text) override {
        SetCaption(controls.lblChValue[k], text);
    }
    void SetConnectCaption(const std::string& text) override { SetCaption(controls.cmdFind_LJ, text); }
};

Win32SimulatorWindow simulatorWindow;
SteadyClock steadyClock;
WindowTimer sendingTimer(&controls.form, SENDING_TMR);

void CreateControls(HWND form) {
    int dpi = ScreenDpi();
    controls.form = form;
    using namespace SimulatorLayout;
    controls.cmdFind_LJ =
        CreateButton(form, ControlId::cmdFind_LJ, MainForm::CONNECT_CAPTION, SimulatorLayout::cmdFind_LJ, dpi);
    for (int k = 0; k < MainForm::CHANNELS; ++k)
        controls.scrollCh[k] = CreateFader(form, ControlId::scrollCh + k, Fader(k), dpi);
    for (int k = 0; k < MainForm::CHANNELS; ++k)
        controls.lblChValue[k] = CreateLabel(form, ControlId::lblChValue + k, "0", ValueLabel(k), dpi, SS_LEFT);
}

LRESULT OnCreate(HWND form) {
    CreateControls(form);
    MainForm::Attach(&simulatorWindow, &steadyClock);
    FeedClock::Start(steadyClock, sendingTimer);
    return 0;
}

void OnCommand(WPARAM wParam) {
    if (LOWORD(wParam) == ControlId::cmdFind_LJ && HIWORD(wParam) == BN_CLICKED)
        RunHandler(PROGRAM, MainForm::cmdFind_LJ_Click);
}

void OnTimer(WPARAM id) {
    if (id == SENDING_TMR) FeedClock::Tick([] { RunHandler(PROGRAM, MainForm::SendingTMR_Timer); });
}

LRESULT CALLBACK WindowProc(HWND form, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: return OnCreate(form);
        case WM_COMMAND: OnCommand(wParam); return 0;
        case WM_TIMER: OnTimer(wParam); return 0;
        case WM_VSCROLL: MoveFader(reinterpret_cast<HWND>(lParam), wParam); return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
        default: return DefWindowProcA(form, message, wParam, lParam);
    }
}

HWND CreateMainForm(HINSTANCE instance) {
    return CreateMainWindow(instance, WindowClass::Simulator, MainForm::CAPTION, SimulatorLayout::CLIENT_WIDTH,
                            SimulatorLayout::CLIENT_HEIGHT, WindowProc);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    HWND form = CreateMainForm(instance);
    if (!form) return 1;
    ShowWindow(form, show);
    UpdateWindow(form);
    SetFocus(controls.cmdFind_LJ);
    return RunMessageLoop(form);
}
