// The link's window system on Windows: user32's FindWindowA, SendMessageTimeoutA and IsWindow,
// looked up by name at their first call and kept.
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
using SendMessageTimeoutFn = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM, UINT, UINT, PDWORD_PTR);
using IsWindowFn = BOOL(WINAPI*)(HWND);

// A window whose thread has not taken a message for a while (5 s) counts as hung and is not
// waited for at all; one that is gone or whose process ends fails at once.
constexpr UINT SEND_FLAGS = SMTO_ABORTIFHUNG | SMTO_ERRORONEXIT;

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
    bool SendWithTimeout(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                         unsigned timeoutMs, std::intptr_t& answer) override {
        static const SendMessageTimeoutFn send = User32<SendMessageTimeoutFn>("SendMessageTimeoutA");
        DWORD_PTR result = 0;
        if (!send(reinterpret_cast<HWND>(window), message, wParam, lParam, SEND_FLAGS, timeoutMs, &result))
            return false;
        answer = static_cast<std::intptr_t>(result);
        return true;
    }
    bool IsWindow(WindowHandle window) override {
        static const IsWindowFn isWindow = User32<IsWindowFn>("IsWindow");
        return isWindow(reinterpret_cast<HWND>(window)) != FALSE;
    }
};

}  // namespace

WindowMessaging& DefaultWindowMessaging() {
    static User32Messaging user32;
    return user32;
}

}  // namespace Brenoth
