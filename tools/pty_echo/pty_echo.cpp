// Echo peer for the serial class's Wine test: every byte that arrives on the pty goes back
// unchanged, and is appended raw to the log so the test can check what the far side wrote.
#include "pty_link.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t quitRequested = 0;

void OnTerminate(int) { quitRequested = 1; }

struct EchoOptions {
    std::string linkPath, logPath;
};

bool ParseArgs(int argc, char** argv, EchoOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) return false;
        if (arg == "--link") options.linkPath = argv[++i];
        else if (arg == "--log") options.logPath = argv[++i];
        else return false;
    }
    return !options.linkPath.empty();
}

bool WriteAll(int fd, const unsigned char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) {
            pollfd out{fd, POLLOUT, 0};
            poll(&out, 1, 100);
            if (quitRequested) return false;
            continue;
        }
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

void InstallSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = OnTerminate;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

void EchoUntilTerminated(int master, int logFd) {
    unsigned char buf[4096];
    while (!quitRequested) {
        pollfd in{master, POLLIN, 0};
        if (poll(&in, 1, 200) <= 0) continue;
        const ssize_t n = read(master, buf, sizeof buf);
        if (n <= 0) continue;  // EAGAIN/EINTR; the held slave keeps EIO away
        if (logFd >= 0) WriteAll(logFd, buf, static_cast<size_t>(n));
        WriteAll(master, buf, static_cast<size_t>(n));
    }
}

}  // namespace

int main(int argc, char** argv) {
    EchoOptions options;
    if (!ParseArgs(argc, argv, options)) {
        std::fprintf(stderr, "usage: pty_echo --link PATH [--log FILE]\n");
        return 2;
    }
    InstallSignalHandlers();
    int logFd = -1;
    if (!options.logPath.empty()) {
        logFd = open(options.logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (logFd < 0) {
            std::fprintf(stderr, "pty_echo: open %s: %s\n", options.logPath.c_str(), std::strerror(errno));
            return 1;
        }
    }
    ptylink::Pty pty;
    try {
        pty = ptylink::Open(options.linkPath);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pty_echo: %s\n", e.what());
        return 1;
    }
    fcntl(pty.master, F_SETFL, fcntl(pty.master, F_GETFL) | O_NONBLOCK);
    std::printf("%s ready\n", pty.linkPath.c_str());
    std::fflush(stdout);
    EchoUntilTerminated(pty.master, logFd);
    ptylink::Close(pty);
    if (logFd >= 0) close(logFd);
    return 0;
}
