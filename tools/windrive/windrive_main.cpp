// windrive.exe: the window driver for scripts. Prints to stdout; exit code 0 on success,
// 1 when the window, control or result was not there, 2 on a wrong command line.
//
//   windrive wait CLASS SECONDS     the window appears
//   windrive click CLASS ID         BM_CLICK; prints the control's caption afterwards
//   windrive text CLASS [ID]        caption of the window or of its control
//   windrive scroll CLASS ID VALUE  moves a scroll bar with its keys; prints its position
//   windrive list CLASS ID          the lines of a list box, one a line
//   windrive shot CLASS PNGPATH     screenshot of the window
//   windrive close CLASS            WM_CLOSE, then waits until the window is gone
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "windrive.h"

namespace {

constexpr DWORD findTimeoutMs = 5000;

int Usage() {
    std::fprintf(stderr,
                 "usage: windrive wait CLASS SECONDS | click CLASS ID | text CLASS [ID] | scroll CLASS ID VALUE |\n"
                 "       list CLASS ID | shot CLASS PNGPATH | close CLASS\n");
    return 2;
}

int Found(HWND window, const char* what) {
    if (window) return 0;
    std::printf("no %s\n", what);
    return 1;
}

int Wait(const char* className, const char* seconds) {
    HWND w = windrive::WaitForWindow(className, static_cast<DWORD>(std::atof(seconds) * 1000), nullptr);
    if (w) std::printf("found %s\n", className);
    return Found(w, className);
}

int ClickControl(HWND control) {
    windrive::Click(control);
    std::printf("%s\n", windrive::Text(control).c_str());
    return 0;
}

int ScrollControl(HWND bar, int value) {
    bool reached = windrive::ScrollTo(bar, value);
    std::printf("%d\n", windrive::ScrollPos(bar));
    return reached ? 0 : 1;
}

int PrintLines(HWND list) {
    for (const std::string& line : windrive::ListLines(list)) std::printf("%s\n", line.c_str());
    return 0;
}

int Shot(HWND top, const char* path) {
    if (!windrive::SaveWindowPng(top, path)) {
        std::printf("no screenshot\n");
        return 1;
    }
    std::printf("%s\n", path);
    return 0;
}

int CloseTop(HWND top) {
    PostMessageA(top, WM_CLOSE, 0, 0);
    bool gone = windrive::WaitUntil([&] { return !IsWindow(top); }, 10000);
    std::printf(gone ? "closed\n" : "still open\n");
    return gone ? 0 : 1;
}

int Run(int argc, char** argv) {
    if (argc < 3) return Usage();
    std::string command = argv[1];
    const char* className = argv[2];
    if (command == "wait") return argc == 4 ? Wait(className, argv[3]) : Usage();
    HWND top = windrive::WaitForWindow(className, findTimeoutMs);
    if (!top) return Found(top, className);
    if (command == "close" && argc == 3) return CloseTop(top);
    if (command == "text" && argc == 3) {
        std::printf("%s\n", windrive::Text(top).c_str());
        return 0;
    }
    if (command == "shot" && argc == 4) return Shot(top, argv[3]);
    if (argc < 4) return Usage();
    HWND control = windrive::Control(top, std::atoi(argv[3]));
    if (int missing = Found(control, "control")) return missing;
    if (command == "text" && argc == 4) {
        std::printf("%s\n", windrive::Text(control).c_str());
        return 0;
    }
    if (command == "click" && argc == 4) return ClickControl(control);
    if (command == "list" && argc == 4) return PrintLines(control);
    if (command == "scroll" && argc == 5) return ScrollControl(control, std::atoi(argv[4]));
    return Usage();
}

}  // namespace

int main(int argc, char** argv) {
    int rc = Run(argc, argv);
    std::fflush(stdout);
    return rc;
}
