#pragma once
#include <windows.h>

// Runs until WM_QUIT; Tab moves the focus among the window's controls.
int RunMessageLoop(HWND mainWindow);
