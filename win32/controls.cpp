#include "win32/controls.h"

#include <algorithm>
#include <vector>

namespace {

HWND CreateChild(HWND parent, const char* cls, const char* text, DWORD style, int id,
                 const TwipsRect& at, int dpi, HFONT font) {
    RECT px = ToPixels(at, dpi);
    HWND child = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, px.left, px.top,
                                 px.right - px.left, px.bottom - px.top, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleA(nullptr), nullptr);
    SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font ? font : DefaultGuiFont()), FALSE);
    return child;
}

HFONT FontOfHeight(const char* face, int pixels) {
    return CreateFontA(-pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
}

int WidestText(HDC dc, HFONT font, const std::vector<std::string>& texts) {
    HGDIOBJ old = SelectObject(dc, font);
    int widest = 0;
    for (const std::string& text : texts) {
        SIZE size{};
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
        widest = std::max(widest, static_cast<int>(size.cx));
    }
    SelectObject(dc, old);
    return widest;
}

}  // namespace

HFONT DefaultGuiFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

HFONT CreateFittingFont(const char* face, int centipoints, int dpi, const std::vector<std::string>& texts,
                        int widthPixels) {
    constexpr int smallestPixels = 6;
    HDC screen = GetDC(nullptr);
    int pixels = MulDiv(centipoints, dpi, 7200);
    HFONT font = FontOfHeight(face, pixels);
    while (screen && font && pixels > smallestPixels && WidestText(screen, font, texts) > widthPixels) {
        DeleteObject(font);
        font = FontOfHeight(face, --pixels);
    }
    if (screen) ReleaseDC(nullptr, screen);
    return font;
}

HWND CreateButton(HWND parent, int id, const char* caption, const TwipsRect& at, int dpi) {
    return CreateChild(parent, "BUTTON", caption, WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE, id, at, dpi, nullptr);
}

HWND CreateLabel(HWND parent, int id, const char* caption, const TwipsRect& at, int dpi,
                 DWORD align, HFONT font) {
    return CreateChild(parent, "STATIC", caption, align | SS_NOPREFIX, id, at, dpi, font);
}

HWND CreateListBox(HWND parent, int id, const TwipsRect& at, int dpi) {
    return CreateChild(parent, "LISTBOX", "",
                       WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY, id,
                       at, dpi, nullptr);
}

HWND CreateFader(HWND parent, int id, const TwipsRect& at, int dpi) {
    HWND bar = CreateChild(parent, "SCROLLBAR", "", WS_TABSTOP | SBS_VERT, id, at, dpi, nullptr);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
    info.nMin = 0;
    info.nMax = FADER_MAX;
    info.nPage = 0;
    info.nPos = FADER_MAX;
    SetScrollInfo(bar, SB_CTL, &info, FALSE);
    return bar;
}

int FaderValue(HWND fader) { return GetScrollPos(fader, SB_CTL); }

int FaderValueAfter(int value, int request, int thumb) {
    switch (request) {
        case SB_LINEUP:
        case SB_PAGEUP: value -= 1; break;
        case SB_LINEDOWN:
        case SB_PAGEDOWN: value += 1; break;
        case SB_TOP: value = 0; break;
        case SB_BOTTOM: value = FADER_MAX; break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: value = thumb; break;
        default: break;
    }
    return std::clamp(value, 0, FADER_MAX);
}

int MoveFader(HWND fader, WPARAM wParam) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS | SIF_TRACKPOS;
    GetScrollInfo(fader, SB_CTL, &info);
    int value = FaderValueAfter(info.nPos, LOWORD(wParam), info.nTrackPos);
    SetScrollPos(fader, SB_CTL, value, TRUE);
    return value;
}

// The handlers rewrite every caption on every tick; repainting a label whose text did not
// change costs the most of a tick and shows nothing new.
void SetCaption(HWND window, const std::string& text) {
    if (Caption(window) != text) SetWindowTextA(window, text.c_str());
}

std::string Caption(HWND window) {
    int length = GetWindowTextLengthA(window);
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    GetWindowTextA(window, text.data(), length + 1);
    return std::string(text.data());
}
