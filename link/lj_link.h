#pragma once
// The LightJockey link: finds LightJockey's main window, puts its two handshake questions to
// it, and hands it the DMX frame with WM_COPYDATA. Built into both programs.
#include <cstdint>

namespace Brenoth {

using WindowHandle = std::uintptr_t;  // an HWND's value; 0 = no window

constexpr unsigned LJ_QUESTION = 2526;  // WM_USER + 1502
constexpr unsigned WM_COPYDATA_MSG = 74;
constexpr std::int32_t LJ_MIN_VERSION = 0x02060000;
constexpr std::uintptr_t FRAME_DATA_ID = 256;
constexpr std::uint32_t FRAME_BLOCK_SIZE = 511;  // channels 1 to 511; channel 512 is not sent

// The same layout as Windows' COPYDATASTRUCT.
struct CopyDataRecord {
    std::uintptr_t dwData;
    std::uint32_t cbData;
    const void* lpData;
};

// The window system, as the link uses it. On Windows it is user32's FindWindowA and
// SendMessageA; tests put a fake in its place.
class WindowMessaging {
public:
    virtual ~WindowMessaging() = default;
    virtual WindowHandle FindWindowByClass(const char* className) = 0;
    // Synchronous: returns when the window's procedure has handled the message.
    virtual std::intptr_t Send(WindowHandle window, unsigned message, std::uintptr_t wParam,
                               std::intptr_t lParam) = 0;
};

extern WindowHandle ljWindow;
extern std::uint8_t dmxFrame[512];

// user32 on Windows; elsewhere a window system with no windows at all.
WindowMessaging& DefaultWindowMessaging();
void UseWindowMessaging(WindowMessaging* messaging);

// True when a LightJockey window was found and passed both questions. Sets ljWindow on
// every call, to the window found or to 0.
bool ConnectLJ();

// Delivers dmxFrame to ljWindow; the caller calls it only while ljWindow is not 0.
void SendDmxFrame();

// Back to the state at program start (no window known, frame all 0).
void ResetLinkState();

}  // namespace Brenoth
