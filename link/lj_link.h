#pragma once
// The LightJockey link: finds LightJockey's main window, puts its two handshake questions to
// it, and hands it the DMX frame with WM_COPYDATA. Built into both programs.
//
// Every message goes with a time limit, so a hung or busy LightJockey never holds the caller's
// window thread for long. Once a handshake has passed, the link notices a LightJockey that is
// gone and shakes hands again by itself with the next one that appears (TendLink).
#include <cstdint>

namespace Brenoth {

using WindowHandle = std::uintptr_t;  // an HWND's value; 0 = no window

constexpr const char* LJ_WINDOW_CLASS = "TLJMainForm";  // LightJockey's main window
constexpr unsigned LJ_QUESTION = 2526;  // WM_USER + 1502
constexpr unsigned WM_COPYDATA_MSG = 74;
constexpr std::int32_t LJ_MIN_VERSION = 0x02060000;
constexpr std::uintptr_t FRAME_DATA_ID = 256;
constexpr std::uint32_t FRAME_BLOCK_SIZE = 511;  // channels 1 to 511; channel 512 is not sent

// A frame not taken within this is dropped; the next tick brings a newer one. Well under the
// 70 ms feed tick, so the window keeps polling the widget and following the faders.
constexpr unsigned FRAME_TIME_LIMIT_MS = 20;
// A question not answered within this fails the handshake: "LJ not READY !" within a second.
constexpr unsigned QUESTION_TIME_LIMIT_MS = 400;
// While no window is known after a handshake passed, look for one this often.
constexpr double LOOK_INTERVAL_S = 1.0;

// The same layout as Windows' COPYDATASTRUCT.
struct CopyDataRecord {
    std::uintptr_t dwData;
    std::uint32_t cbData;
    const void* lpData;
};

// The window system, as the link uses it. On Windows it is user32's FindWindowA,
// SendMessageTimeoutA and IsWindow; tests put a fake in its place.
class WindowMessaging {
public:
    virtual ~WindowMessaging() = default;
    virtual WindowHandle FindWindowByClass(const char* className) = 0;
    // Waits at most timeoutMs for the window's procedure to handle the message (less when the
    // window is hung or gone). True with its answer in `answer` when it did; false when not.
    virtual bool SendWithTimeout(WindowHandle window, unsigned message, std::uintptr_t wParam,
                                 std::intptr_t lParam, unsigned timeoutMs, std::intptr_t& answer) = 0;
    // False once the window has been destroyed.
    virtual bool IsWindow(WindowHandle window) = 0;
};

extern WindowHandle ljWindow;
extern std::uint8_t dmxFrame[512];
// True while the window in ljWindow is one that passed the handshake; what the connect button
// shows ("LJ READY !" or "LJ not READY !").
extern bool ljReady;

// user32 on Windows; elsewhere a window system with no windows at all.
WindowMessaging& DefaultWindowMessaging();
void UseWindowMessaging(WindowMessaging* messaging);

// True when a LightJockey window was found and passed both questions. Sets ljWindow on
// every call, to the window found or to 0, and ljReady to the result.
bool ConnectLJ();

// Delivers dmxFrame to ljWindow; the caller calls it only while ljWindow is not 0. A frame
// that is not taken in time is dropped.
void SendDmxFrame();

// Called by the feed on every tick, before it sends (now: seconds, never going backwards).
// A window that is gone is forgotten (ljWindow 0, ljReady false); once a handshake has passed,
// while no window is known, looks for one every LOOK_INTERVAL_S and shakes hands with it.
// True when ljReady changed, so that the connect button shows it.
bool TendLink(double now);

// Back to the state at program start (no window known, frame all 0, nothing passed yet).
void ResetLinkState();

}  // namespace Brenoth
