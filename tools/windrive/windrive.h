#pragma once
// Drives the real programs from another process, through window messages only, the way a user
// or LightJockey would meet them: launch, find windows and controls, click, read captions and
// lists, move faders with the keyboard keys of a scroll bar, take screenshots. The moves of a
// whole run (start the peers, wait until they are ready) are tools/conductor's.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>
#include <windows.h>

namespace windrive {

// A started program. Move-only; a program still running when this is destroyed is killed.
struct Process {
    PROCESS_INFORMATION info = {};

    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    ~Process();

    bool Started() const { return info.hProcess != nullptr; }
    bool Running() const;
    // WM_CLOSE to each of its top-level windows, then waits; kills it after timeoutMs.
    void Close(DWORD timeoutMs = 10000);
    void Kill();
    // The exit code once it has ended, STILL_ACTIVE (259) if it is still running after ms.
    DWORD Wait(DWORD ms);
};

// CreateProcessA with "exePath" args; Started() is false when it could not be started.
Process Launch(const std::string& exePath, const std::string& args);

// Windows and controls. Every message goes with a time limit, so a hung program fails a test
// instead of hanging it.
HWND WaitForWindow(const char* className, DWORD timeoutMs, const char* title = nullptr);
HWND Control(HWND top, int id);
std::string Text(HWND window);
// BM_CLICK, sent: returns once the program's click handler has returned.
void Click(HWND button);
// BM_CLICK, posted: for a button whose handler opens a modal box, which Click would wait for.
void PostClick(HWND button);
// A message box ("#32770") of that title, its text, and its OK button (Click it).
HWND WaitForMessageBox(const char* title, DWORD timeoutMs);
std::string MessageBoxText(HWND box);
HWND MessageBoxButton(HWND box, int id = IDOK);

// Scroll bars (faders): the bar's keys go to the bar itself, which tells its parent with
// WM_VSCROLL; the parent moves the thumb, as with a real key press.
int ScrollPos(HWND bar);
void ScrollKey(HWND bar, UINT vk);  // VK_HOME, VK_END, VK_UP, VK_DOWN, VK_PRIOR, VK_NEXT
// Holds VK_UP or VK_DOWN until the bar reads value, passing every value in between and no
// other; false when the bar stops moving first (value out of its range).
bool ScrollTo(HWND bar, int value);

std::vector<std::string> ListLines(HWND listBox);

// Polls done(), pumping this thread's messages between polls.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs);

// The window as it is on the screen (brought to the top first), as an RGB PNG.
bool SaveWindowPng(HWND top, const std::string& pngPath);
// rgb: width * height * 3 bytes, rows top to bottom.
std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint8_t>& rgb);

}  // namespace windrive
