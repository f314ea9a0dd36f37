#pragma once
// The one top-level window of a program: a fixed frame with a caption, its client area sized
// in twips, placed where the system puts a new window.
#include <windows.h>

HWND CreateMainWindow(HINSTANCE instance, const char* className, const char* caption, int clientWidthTwips,
                      int clientHeightTwips, WNDPROC windowProc);
