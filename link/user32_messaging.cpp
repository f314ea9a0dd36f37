// The link's window system on Windows: user32's FindWindowA and SendMessageA, looked up by
// name at their first call and kept.
#include <windows.h>

#include <cstddef>

#include "link/lj_link.h"

namespace Brenoth {

static_assert(sizeof(CopyDataRecord) == sizeof(COPYDATASTRUCT), "COPYDATASTRUCT layout");
static_assert(offsetof(CopyDataRecord, cbData) == offsetof(COPYDATASTRUCT, cbData), "cbData");
static_assert(offsetof(CopyDataRecord, lpData) == offsetof(COPYDATASTRUCT, lpData), "lpData");
static_assert(WM_COPYDATA_MSG == WM_COPYDATA, "WM_COPYDATA");

namespace {

using FindWindowFn = HWND(WINAPI*)(LPCSTR, LPCSTR);
using SendMessageFn = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);

template <typename Fn>
Fn User32(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), name)));
}

class User32Messaging : public WindowMessaging {
public:
    WindowHandle FindWindowByClass(const char* className) override {
        static const FindWindowFn findWindow = User32<FindWindowFn>("FindWindowA");
        return reinterpret_cast<WindowHandle>(findWindow(className, nullptr));
    }
    std::intptr_t Send(WindowHandle window, unsigned message, std::uintptr_t wParam,
                       std::intptr_t lParam) override {
        static const SendMessageFn sendMessage = User32<SendMessageFn>("SendMessageA");
        return sendMessage(reinterpret_cast<HWND>(window), message, wParam, lParam);
    }
};

}  // namespace

WindowMessaging& DefaultWindowMessaging() {
    static User32Messaging user32;
    return user32;
}

}  // namespace Brenoth
