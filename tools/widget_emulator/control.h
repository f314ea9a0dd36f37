#pragma once
// Commands from outside while the emulator runs: lines appended to a control file, and signals.
#include <string>
#include <sys/types.h>
#include <vector>

namespace widgetEmulator {

struct ControlFile {
    std::string path;
    off_t offset = 0;
    std::string partialLine;
};

// Lines already in the file when the emulator starts are old commands and are skipped.
ControlFile OpenControlFile(const std::string& path);
std::vector<std::string> ReadNewCommands(ControlFile& control);

struct SignalRequests {
    bool quit = false;
    bool toggleSending = false;
    bool unplugAndReplug = false;
};

void InstallSignalHandlers();
SignalRequests TakeSignalRequests();

}  // namespace widgetEmulator
