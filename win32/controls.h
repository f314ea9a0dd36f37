#pragma once
// Standard controls placed in twips, and the faders' scroll handling shared by both windows.
#include <windows.h>

#include <string>
#include <vector>

#include "win32/twips_layout.h"

HFONT DefaultGuiFont();
// A font of that face and size (in hundredths of a point) at the screen's DPI, made smaller
// where each of the texts would not fit widthPixels in it: where the face is missing (a raster
// face such as "Small Fonts" under Wine), the one the system gives instead may be wider.
HFONT CreateFittingFont(const char* face, int centipoints, int dpi, const std::vector<std::string>& texts,
                        int widthPixels);

HWND CreateButton(HWND parent, int id, const char* caption, const TwipsRect& at, int dpi);
// align: SS_LEFT or SS_CENTER.
HWND CreateLabel(HWND parent, int id, const char* caption, const TwipsRect& at, int dpi,
                 DWORD align, HFONT font = nullptr);
HWND CreateListBox(HWND parent, int id, const TwipsRect& at, int dpi);

// A fader: a vertical scroll bar, Value 0 at the top to 255 at the bottom, starting at 255,
// small and large steps of 1.
constexpr int FADER_MAX = 255;
HWND CreateFader(HWND parent, int id, const TwipsRect& at, int dpi);
int FaderValue(HWND fader);

// Moves the fader that sent WM_VSCROLL as the request asks (arrows, page keys, Home, End,
// thumb); returns the new Value.
int MoveFader(HWND fader, WPARAM wParam);
int FaderValueAfter(int value, int request, int thumb);

void SetCaption(HWND window, const std::string& text);
std::string Caption(HWND window);
