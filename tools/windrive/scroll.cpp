#include "windrive.h"

namespace windrive {
namespace {

constexpr UINT messageTimeoutMs = 5000;

// The lParam of a key message as the keyboard would make it: repeat count 1, the scan code, the
// extended-key bit for the navigation block, bit 30 when the key was already down, and bits 30
// and 31 on the release.
LPARAM KeyFlags(UINT vk, bool wasDown, bool release) {
    UINT scan = MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
    LPARAM flags = 1 | (static_cast<LPARAM>(scan & 0xFF) << 16) | (LPARAM{1} << 24);
    if (wasDown || release) flags |= LPARAM{1} << 30;
    if (release) flags |= LPARAM{1} << 31;
    return flags;
}

// Sent, not posted: the bar's WM_VSCROLL to its parent has been handled when this returns.
void SendKey(HWND bar, UINT msg, UINT vk, LPARAM flags) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(bar, msg, vk, flags, SMTO_NORMAL, messageTimeoutMs, &ignored);
}

}  // namespace

int ScrollPos(HWND bar) {
    DWORD_PTR pos = 0;
    if (!bar || !SendMessageTimeoutA(bar, SBM_GETPOS, 0, 0, SMTO_NORMAL, messageTimeoutMs, &pos)) return -1;
    return static_cast<int>(pos);
}

void ScrollKey(HWND bar, UINT vk) {
    if (!bar) return;
    SendKey(bar, WM_KEYDOWN, vk, KeyFlags(vk, false, false));
    SendKey(bar, WM_KEYUP, vk, KeyFlags(vk, true, true));
}

bool ScrollTo(HWND bar, int value) {
    int pos = ScrollPos(bar);
    if (pos < 0 || pos == value) return pos == value;
    UINT vk = value < pos ? VK_UP : VK_DOWN;
    bool wasDown = false;
    auto shortOf = [&](int at) { return vk == VK_UP ? at > value : at < value; };
    while (shortOf(pos)) {
        SendKey(bar, WM_KEYDOWN, vk, KeyFlags(vk, wasDown, false));
        wasDown = true;
        int now = ScrollPos(bar);
        if (now == pos || now < 0) break;
        pos = now;
    }
    SendKey(bar, WM_KEYUP, vk, KeyFlags(vk, true, true));
    return pos == value;
}

}  // namespace windrive
