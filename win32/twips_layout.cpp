#include "win32/twips_layout.h"

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

int TwipsToPixels(int twips, int dpi) { return MulDiv(twips, dpi, 1440); }

RECT ToPixels(const TwipsRect& r, int dpi) {
    RECT px;
    px.left = TwipsToPixels(r.left, dpi);
    px.top = TwipsToPixels(r.top, dpi);
    px.right = TwipsToPixels(r.left + r.width, dpi);
    px.bottom = TwipsToPixels(r.top + r.height, dpi);
    return px;
}

SIZE WindowSizeForClient(int widthTwips, int heightTwips, DWORD style, int dpi) {
    RECT r{0, 0, TwipsToPixels(widthTwips, dpi), TwipsToPixels(heightTwips, dpi)};
    AdjustWindowRect(&r, style, FALSE);
    return SIZE{r.right - r.left, r.bottom - r.top};
}
