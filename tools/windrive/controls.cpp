#include "windrive.h"

namespace windrive {
namespace {

constexpr UINT messageTimeoutMs = 5000;
// The static text of a standard message box.
constexpr int messageBoxTextId = 0xFFFF;

LRESULT Query(HWND window, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, msg, wParam, lParam, SMTO_NORMAL, messageTimeoutMs, &result)) return -1;
    return static_cast<LRESULT>(result);
}

LRESULT QueryW(HWND window, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, msg, wParam, lParam, SMTO_NORMAL, messageTimeoutMs, &result)) return -1;
    return static_cast<LRESULT>(result);
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return std::string();
    int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &narrow[0], n, nullptr, nullptr);
    return narrow;
}

}  // namespace

// A window is findable while its WM_CREATE still runs, before its controls exist: it counts as
// there once its thread answers a message, which it does only from a message loop.
HWND WaitForWindow(const char* className, DWORD timeoutMs, const char* title) {
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    HWND found = nullptr;
    auto answering = [&] {
        found = FindWindowA(className, title);
        if (!found) return false;
        ULONGLONG now = GetTickCount64();
        UINT wait = static_cast<UINT>(now < deadline ? deadline - now : 1);
        DWORD_PTR ignored = 0;
        return SendMessageTimeoutA(found, WM_NULL, 0, 0, SMTO_NORMAL, wait, &ignored) != 0;
    };
    return WaitUntil(answering, timeoutMs) ? found : nullptr;
}

HWND Control(HWND top, int id) { return top ? GetDlgItem(top, id) : nullptr; }

std::string Text(HWND window) {
    if (!window) return std::string();
    LRESULT length = Query(window, WM_GETTEXTLENGTH);
    if (length <= 0) return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    LRESULT copied = Query(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

void Click(HWND button) {
    if (button) Query(button, BM_CLICK);
}

void PostClick(HWND button) {
    if (button) PostMessageA(button, BM_CLICK, 0, 0);
}

HWND WaitForMessageBox(const char* title, DWORD timeoutMs) { return WaitForWindow("#32770", timeoutMs, title); }

std::string MessageBoxText(HWND box) { return Text(Control(box, messageBoxTextId)); }

HWND MessageBoxButton(HWND box, int id) { return Control(box, id); }

// Asked in UTF-16: Wine hands a cross-process LB_GETTEXT from SendMessageA back unconverted.
std::vector<std::string> ListLines(HWND listBox) {
    std::vector<std::string> lines;
    LRESULT count = listBox ? Query(listBox, LB_GETCOUNT) : 0;
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = QueryW(listBox, LB_GETTEXTLEN, static_cast<WPARAM>(i));
        if (length < 0) length = 0;
        // Room to spare: the line may grow between the two questions.
        std::wstring line(static_cast<size_t>(length) * 2 + 256, L'\0');
        LRESULT copied = QueryW(listBox, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&line[0]));
        line.resize(copied > 0 && static_cast<size_t>(copied) < line.size() ? static_cast<size_t>(copied) : 0);
        lines.push_back(Narrow(line));
    }
    return lines;
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (done()) return true;
        if (GetTickCount64() >= deadline) return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
}

}  // namespace windrive
