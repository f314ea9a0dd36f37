#include "win32/fatal_error.h"

#include <windows.h>

void ReportFatalError(const char* programName, long number, const std::string& description) {
    std::string text = "Run-time error '" + std::to_string(number) + "':\n\n" + description;
    MessageBoxA(nullptr, text.c_str(), programName, MB_OK | MB_ICONERROR | MB_TASKMODAL);
    ExitProcess(1);
}
