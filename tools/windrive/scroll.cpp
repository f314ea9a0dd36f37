#include "windrive.h"

namespace windrive {
namespace {

constexpr UINT messageTimeoutMs = 5000;

// The lParam of a key message as the keyboard would make it: repeat count 1, the scan code, the
// extended-key bit for the navigation block, bit 30 when the key was already down, and bits 30
// and 31 on the release.
LPARAM KeyFlags(UINT vk, bool wasDown, bool release) {
    UINT scan = MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
    DWORD flags = 1u | (scan & 0xFFu) << 16 | 1u << 24;
    if (wasDown || release) flags |= 1u << 30;
    if (release) flags |= 1u << 31;
    return static_cast<LPARAM>(flags);
}

// Sent, not posted: the bar's WM_VSCROLL to its parent has been handled when this returns.
void SendToBar(HWND bar, UINT msg, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(bar, msg, wParam, lParam, SMTO_NORMAL, messageTimeoutMs, &ignored);
}

// VK_UP or VK_DOWN held down, auto-repeating, until the bar reads value or stops moving.
bool HoldKeyUntil(HWND bar, int value, int pos) {
    UINT vk = value < pos ? VK_UP : VK_DOWN;
    auto shortOf = [&](int at) { return vk == VK_UP ? at > value : at < value; };
    bool wasDown = false;
    while (shortOf(pos)) {
        SendToBar(bar, WM_KEYDOWN, vk, KeyFlags(vk, wasDown, false));
        wasDown = true;
        int now = ScrollPos(bar);
        if (now == pos || now < 0) break;
        pos = now;
    }
    SendToBar(bar, WM_KEYUP, vk, KeyFlags(vk, true, true));
    return pos == value;
}

}  // namespace

int ScrollPos(HWND bar) {
    DWORD_PTR pos = 0;
    if (!bar || !SendMessageTimeoutA(bar, SBM_GETPOS, 0, 0, SMTO_NORMAL, messageTimeoutMs, &pos)) return -1;
    return static_cast<int>(pos);
}

void ScrollKey(HWND bar, UINT vk) {
    if (!bar) return;
    SendToBar(bar, WM_KEYDOWN, vk, KeyFlags(vk, false, false));
    SendToBar(bar, WM_KEYUP, vk, KeyFlags(vk, true, true));
}

// Painting is held off while the key is held: a repaint of the bar costs Wine 4 to 20 ms, every
// other step of a key well under one.
bool ScrollTo(HWND bar, int value) {
    int pos = ScrollPos(bar);
    if (pos < 0 || pos == value) return pos == value;
    SendToBar(bar, WM_SETREDRAW, FALSE, 0);
    bool reached = HoldKeyUntil(bar, value, pos);
    SendToBar(bar, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(bar, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    return reached;
}

}  // namespace windrive
