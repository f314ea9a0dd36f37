#include "tools/conductor/event_log.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/conductor/clock.h"
#include "tools/conductor/conductor.h"

namespace conductor {
namespace {

HANDLE eventLog = INVALID_HANDLE_VALUE;
int64_t logOpenedAt = 0;

// Appends through a handle shared every way: the other side reads the file while it grows.
bool AppendToFile(const std::string& path, const std::string& text, HANDLE open = INVALID_HANDLE_VALUE) {
    HANDLE file = open;
    if (file == INVALID_HANDLE_VALUE)
        file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
              written == text.size();
    if (open == INVALID_HANDLE_VALUE) CloseHandle(file);
    return ok;
}

}  // namespace

bool OpenEventLog(const std::string& path) {
    DeleteFileA(path.c_str());
    eventLog = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    logOpenedAt = NowMicros();
    return eventLog != INVALID_HANDLE_VALUE;
}

void Note(const std::string& event) {
    int64_t now = NowMicros();
    AppendToFile("", std::to_string(now) + " " + event + "\n", eventLog);
    std::printf("[%6.1f s] %s\n", (now - logOpenedAt) / 1e6, event.c_str());
    std::fflush(stdout);
}

bool SendEmulatorCommand(const std::string& controlPath, const std::string& command) {
    return AppendToFile(controlPath, command + "\n");
}

bool ParseOptions(int argc, char** argv, Option* options, int count) {
    for (int i = 1; i < argc; i += 2) {
        Option* match = nullptr;
        for (int k = 0; k < count; ++k)
            if (std::strcmp(argv[i], options[k].name) == 0) match = &options[k];
        if (!match || i + 1 >= argc) return false;
        *match->value = argv[i + 1];
    }
    return true;
}

double SecondsOption(const std::string& text, double fallback) {
    char* end = nullptr;
    double seconds = std::strtod(text.c_str(), &end);
    return text.empty() || *end != '\0' || seconds <= 0 ? fallback : seconds;
}

}  // namespace conductor
