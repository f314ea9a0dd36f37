#include "control.h"

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace widgetEmulator {
namespace {

volatile std::sig_atomic_t quitSignalled = 0;
volatile std::sig_atomic_t toggleSignalled = 0;
volatile std::sig_atomic_t replugSignalled = 0;

void OnSignal(int number) {
    if (number == SIGUSR1) toggleSignalled = 1;
    else if (number == SIGUSR2) replugSignalled = 1;
    else quitSignalled = 1;
}

std::string TrimLine(const std::string& line) {
    const size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

ControlFile OpenControlFile(const std::string& path) {
    ControlFile control;
    control.path = path;
    struct stat info {};
    if (!path.empty() && stat(path.c_str(), &info) == 0) control.offset = info.st_size;
    return control;
}

std::vector<std::string> ReadNewCommands(ControlFile& control) {
    std::vector<std::string> commands;
    if (control.path.empty()) return commands;
    const int fd = open(control.path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return commands;
    struct stat info {};
    if (fstat(fd, &info) == 0 && info.st_size < control.offset) {  // truncated: start over
        control.offset = 0;
        control.partialLine.clear();
    }
    char buf[4096];
    ssize_t n = 0;
    while ((n = pread(fd, buf, sizeof buf, control.offset)) > 0) {
        control.offset += n;
        control.partialLine.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    size_t newline = 0;
    while ((newline = control.partialLine.find('\n')) != std::string::npos) {
        const std::string line = TrimLine(control.partialLine.substr(0, newline));
        control.partialLine.erase(0, newline + 1);
        if (!line.empty()) commands.push_back(line);
    }
    return commands;
}

void InstallSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (int number : {SIGTERM, SIGINT, SIGHUP, SIGUSR1, SIGUSR2}) sigaction(number, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

SignalRequests TakeSignalRequests() {
    SignalRequests requests;
    requests.quit = quitSignalled != 0;
    requests.toggleSending = toggleSignalled != 0;
    requests.unplugAndReplug = replugSignalled != 0;
    quitSignalled = toggleSignalled = replugSignalled = 0;
    return requests;
}

}  // namespace widgetEmulator
