// LightJockey stand-in: a window of LightJockey's class that answers the two handshake
// questions with values from the command line and logs every DMX block it is handed.
//
//   LJStandIn.exe [--q0 N] [--q1 N] [--log FILE] [--hang K:MS | --hang K:forever]
//
// N is decimal, 0x hex or negative; it is answered as a signed 32-bit value. --hang makes the
// stand-in stop answering inside its K-th WM_COPYDATA (1 = the first) for MS milliseconds, or
// for good, as a hung LightJockey would; the log then has "hang" when it starts and "resume"
// when it ends.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <windows.h>

#include "link/lj_link.h"
#include "standin_log.h"

namespace StandIn {

// The question's number is written out here, not taken from the link, so that the end-to-end
// tests would catch a link asking the wrong one.
constexpr UINT ljQuestion = WM_USER + 1502;  // 2526
constexpr const char* windowClass = Brenoth::LJ_WINDOW_CLASS;
constexpr const char* windowTitle = "LightJockey stand-in";

struct Options {
    int32_t answer0 = 1;
    int32_t answer1 = 0x02060000;
    const char* logPath = "";
    unsigned long hangAt = 0;  // the WM_COPYDATA to hang in, 1-based; 0: never
    DWORD hangMs = 0;          // INFINITE: for good
};

Options options;
unsigned long framesReceived = 0, framesShown = 0;
constexpr UINT_PTR repaintTimer = 1;

bool ParseAnswer(const char* text, int32_t& answer) {
    errno = 0;
    char* end = nullptr;
    long long value = std::strtoll(text, &end, 0);
    if (errno != 0 || end == text || *end != '\0') return false;
    if (value < INT32_MIN || value > UINT32_MAX) return false;
    answer = static_cast<int32_t>(static_cast<uint32_t>(value));
    return true;
}

// "K:MS" or "K:forever", K at least 1.
bool ParseHang(const char* text) {
    char* end = nullptr;
    unsigned long at = std::strtoul(text, &end, 10);
    if (end == text || *end != ':' || at == 0) return false;
    const char* duration = end + 1;
    if (std::strcmp(duration, "forever") == 0) {
        options.hangMs = INFINITE;
    } else {
        unsigned long ms = std::strtoul(duration, &end, 10);
        if (end == duration || *end != '\0' || ms >= INFINITE) return false;
        options.hangMs = static_cast<DWORD>(ms);
    }
    options.hangAt = at;
    return true;
}

bool ParseOptions(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const char* name = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!value) return false;
        if (std::strcmp(name, "--q0") == 0) {
            if (!ParseAnswer(value, options.answer0)) return false;
        } else if (std::strcmp(name, "--q1") == 0) {
            if (!ParseAnswer(value, options.answer1)) return false;
        } else if (std::strcmp(name, "--log") == 0) {
            options.logPath = value;
        } else if (std::strcmp(name, "--hang") == 0) {
            if (!ParseHang(value)) return false;
        } else {
            return false;
        }
        ++i;
    }
    return true;
}

// lParam of the question is an address in the asking process: it is never read here.
LRESULT OnQuestion(WPARAM wParam) {
    int32_t answer = 0;
    if (wParam == 0) answer = options.answer0;
    if (wParam == 1) answer = options.answer1;
    StandInLog::Ask(wParam, answer);
    return static_cast<LRESULT>(answer);
}

LRESULT OnCopyData(LPARAM lParam) {
    const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (cds) StandInLog::CopyData(*cds);
    ++framesReceived;
    if (framesReceived == options.hangAt) {
        // Inside the handler, so the sender waits as it would on a hung LightJockey.
        StandInLog::Event("hang");
        Sleep(options.hangMs);
        StandInLog::Event("resume");
    }
    return TRUE;
}

// The count is painted from a timer, not per frame: a repaint costs more than a delivery.
void OnTimer(HWND hwnd) {
    if (framesShown == framesReceived) return;
    framesShown = framesReceived;
    InvalidateRect(hwnd, nullptr, TRUE);
}

void OnPaint(HWND hwnd) {
    char text[128];
    int n = std::snprintf(text, sizeof text, "Answers %ld, 0x%08lX\nFrames received: %lu", static_cast<long>(options.answer0),
                          static_cast<unsigned long>(static_cast<uint32_t>(options.answer1)), framesShown);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT area;
    GetClientRect(hwnd, &area);
    InflateRect(&area, -8, -8);
    SetBkMode(dc, TRANSPARENT);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    DrawTextA(dc, text, n, &area, DT_LEFT | DT_TOP);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case ljQuestion: return OnQuestion(wParam);
    case WM_COPYDATA: return OnCopyData(lParam);
    case WM_TIMER: OnTimer(hwnd); return 0;
    case WM_PAINT: OnPaint(hwnd); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

HWND CreateMainWindow(HINSTANCE instance) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = windowClass;
    if (!RegisterClassA(&wc)) return nullptr;
    HWND hwnd = CreateWindowA(windowClass, windowTitle, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                              CW_USEDEFAULT, CW_USEDEFAULT, 320, 120, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return nullptr;
    SetTimer(hwnd, repaintTimer, 500, nullptr);
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    return hwnd;
}

int Run(HINSTANCE instance) {
    if (!StandInLog::Open(options.logPath)) return 3;
    if (!CreateMainWindow(instance)) return 4;
    StandInLog::Ready();
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    StandInLog::Quit();
    StandInLog::Close();
    return 0;
}

}  // namespace StandIn

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (!StandIn::ParseOptions(__argc, __argv)) return 2;
    return StandIn::Run(instance);
}
