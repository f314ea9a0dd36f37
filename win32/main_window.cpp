#include "win32/main_window.h"

#include "win32/twips_layout.h"

namespace {
constexpr DWORD WINDOW_STYLE = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int PROGRAM_ICON = 1;
}  // namespace

HWND CreateMainWindow(HINSTANCE instance, const char* className, const char* caption, int clientWidthTwips,
                      int clientHeightTwips, WNDPROC windowProc) {
    WNDCLASSA cls{};
    cls.lpfnWndProc = windowProc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
    cls.hIcon = LoadIcon(instance, MAKEINTRESOURCE(PROGRAM_ICON));
    if (!cls.hIcon) cls.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszClassName = className;
    RegisterClassA(&cls);
    SIZE size = WindowSizeForClient(clientWidthTwips, clientHeightTwips, WINDOW_STYLE, ScreenDpi());
    // WS_EX_CONTROLPARENT: Tab moves the focus among the controls.
    return CreateWindowExA(WS_EX_CONTROLPARENT, className, caption, WINDOW_STYLE, CW_USEDEFAULT, CW_USEDEFAULT,
                           size.cx, size.cy, nullptr, nullptr, instance, nullptr);
}
