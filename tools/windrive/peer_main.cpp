// WindrivePeer.exe: a small window with the standard controls that the real programs use, for
// proving the window driver from another process. Not part of the product.
//
//   WindrivePeer.exe [TITLE]
//
// Button 100 counts its presses in its caption; button 105 opens a message box and writes
// "box closed" into label 101 once it is answered; label 103 counts 200 ms timer ticks; list
// 102 holds fixed lines; scroll bar 200 runs 0..255 from 255, one step a line or a page;
// the client area shows a red square at (150,150)-(250,250).
#include <cstdlib>
#include <string>
#include <windows.h>

namespace Peer {

constexpr int buttonId = 100, labelId = 101, listId = 102, tickId = 103, boxButtonId = 105, barId = 200;
constexpr UINT_PTR tickTimer = 1;
const char* const listLines[] = {"Com 1", "Pro Widget - Com:  3", "", "Com 16"};

int presses = 0, ticks = 0;
HWND bar = nullptr, label = nullptr, tickLabel = nullptr;

HWND Child(HWND parent, const char* cls, const char* text, DWORD style, int id, int x, int y, int w, int h) {
    return CreateWindowA(cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}

std::string LongLine() {
    std::string s;
    for (int i = 0; i < 300; ++i) s += static_cast<char>('a' + i % 26);
    return s;
}

void OnCreate(HWND hwnd) {
    Child(hwnd, "BUTTON", "Press Me", BS_PUSHBUTTON | WS_TABSTOP, buttonId, 10, 10, 120, 30);
    Child(hwnd, "BUTTON", "Box", BS_PUSHBUTTON | WS_TABSTOP, boxButtonId, 140, 10, 60, 30);
    label = Child(hwnd, "STATIC", "idle", SS_LEFT, labelId, 60, 60, 80, 20);
    tickLabel = Child(hwnd, "STATIC", "tick 0", SS_LEFT, tickId, 60, 90, 80, 20);
    HWND list = Child(hwnd, "LISTBOX", "", WS_BORDER | WS_VSCROLL, listId, 60, 120, 80, 100);
    for (const char* line : listLines) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
    std::string longLine = LongLine();
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(longLine.c_str()));
    bar = Child(hwnd, "SCROLLBAR", "", SBS_VERT | WS_TABSTOP, barId, 20, 60, 17, 145);
    SetScrollRange(bar, SB_CTL, 0, 255, FALSE);
    SetScrollPos(bar, SB_CTL, 255, TRUE);
    SetTimer(hwnd, tickTimer, 200, nullptr);
}

// The standard scroll codes, one step for a line and for a page.
void OnVScroll(WPARAM wParam, HWND from) {
    if (from != bar) return;
    int pos = GetScrollPos(bar, SB_CTL);
    switch (LOWORD(wParam)) {
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = 255; break;
    case SB_LINEUP: case SB_PAGEUP: --pos; break;
    case SB_LINEDOWN: case SB_PAGEDOWN: ++pos; break;
    case SB_THUMBTRACK: case SB_THUMBPOSITION: pos = HIWORD(wParam); break;
    default: return;
    }
    SetScrollPos(bar, SB_CTL, pos < 0 ? 0 : pos > 255 ? 255 : pos, TRUE);
}

void OnCommand(HWND hwnd, WPARAM wParam) {
    if (HIWORD(wParam) != BN_CLICKED) return;
    if (LOWORD(wParam) == buttonId) {
        SetDlgItemTextA(hwnd, buttonId, ("Pressed " + std::to_string(++presses)).c_str());
    } else if (LOWORD(wParam) == boxButtonId) {
        MessageBoxA(hwnd, "Hello from the peer", "windrive peer box", MB_OK);
        SetWindowTextA(label, "box closed");
    }
}

void OnPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT square = {150, 150, 250, 250};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &square, red);
    DeleteObject(red);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE: OnCreate(hwnd); return 0;
    case WM_VSCROLL: OnVScroll(wParam, reinterpret_cast<HWND>(lParam)); return 0;
    case WM_COMMAND: OnCommand(hwnd, wParam); return 0;
    case WM_TIMER: SetWindowTextA(tickLabel, ("tick " + std::to_string(++ticks)).c_str()); return 0;
    case WM_PAINT: OnPaint(hwnd); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

int Run(HINSTANCE instance, const char* title) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "WindrivePeer";
    if (!RegisterClassA(&wc)) return 3;
    RECT frame = {0, 0, 300, 300};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    HWND hwnd = CreateWindowA("WindrivePeer", title, WS_OVERLAPPEDWINDOW, 40, 40, frame.right - frame.left,
                              frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 4;
    ShowWindow(hwnd, SW_SHOW);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageA(hwnd, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

}  // namespace Peer

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return Peer::Run(instance, __argc > 1 ? __argv[1] : "windrive peer");
}
