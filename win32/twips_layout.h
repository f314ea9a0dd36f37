#pragma once
// The windows are laid out in twips (1/1440 inch) from the top-left corner of the client
// area; here they become pixels at the screen's real DPI (15 twips a pixel at 96 dpi).
#include <windows.h>

struct TwipsRect {
    int left, top, width, height;
};

int ScreenDpi();
int TwipsToPixels(int twips, int dpi);
RECT ToPixels(const TwipsRect& r, int dpi);

// The outer window size whose client area is width x height twips.
SIZE WindowSizeForClient(int widthTwips, int heightTwips, DWORD style, int dpi);
