#include "peer_process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace peerProcess {
namespace {

using Clock = std::chrono::steady_clock;

std::string MakeFolder() {
    char name[] = "/tmp/tevrin_tools_test.XXXXXX";
    if (!mkdtemp(name)) throw std::runtime_error("mkdtemp failed");
    return name;
}

pid_t Spawn(const std::vector<std::string>& argv, int stdoutFd, const std::string& stderrPath) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    dup2(stdoutFd, STDOUT_FILENO);
    const int err = open(stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (err >= 0) dup2(err, STDERR_FILENO);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
}

bool ReadLineFrom(int fd, std::string& line, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    char c = 0;
    while (Clock::now() < deadline) {
        pollfd in{fd, POLLIN, 0};
        if (poll(&in, 1, 100) <= 0) continue;
        if (read(fd, &c, 1) != 1) return false;
        if (c == '\n') return true;
        line += c;
    }
    return false;
}

int MsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

bool ReadSome(Peer& peer, Clock::time_point deadline) {
    pollfd in{peer.port, POLLIN, 0};
    if (poll(&in, 1, MsLeft(deadline)) <= 0) return false;
    std::uint8_t buf[4096];
    const ssize_t n = read(peer.port, buf, sizeof buf);
    if (n <= 0) return false;
    peer.received.insert(peer.received.end(), buf, buf + n);
    return true;
}

// The whole packet at the front, after dropping what cannot start one; false while waiting.
bool TakeFramedPacket(Peer& peer, Bytes& packet) {
    Bytes& b = peer.received;
    while (!b.empty()) {
        if (b[0] != 0x7E) {
            b.erase(b.begin());
            ++peer.junkBytes;
            continue;
        }
        if (b.size() < 4) return false;
        const size_t length = b[2] | (b[3] << 8);
        if (length <= 600 && b.size() < length + 5) return false;
        if (length <= 600 && b[length + 4] == 0xE7) {
            packet.assign(b.begin(), b.begin() + static_cast<long>(length + 5));
            b.erase(b.begin(), b.begin() + static_cast<long>(length + 5));
            return true;
        }
        b.erase(b.begin());
        ++peer.junkBytes;
    }
    return false;
}

// The exit status; a child that ignores SIGTERM for the generous wait is killed.
int WaitForExit(pid_t pid) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(GenerousWaitMs);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() >= deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return status;
}

}  // namespace

Peer::~Peer() {
    if (pid > 0 || !folder.empty()) Stop(*this);
}

void Start(Peer& peer, const std::string& program, const std::vector<std::string>& args, bool withControl) {
    peer.folder = MakeFolder();
    peer.linkPath = peer.folder + "/com3";
    peer.logPath = peer.folder + "/peer.log";
    std::vector<std::string> argv{program, "--link", peer.linkPath, "--log", peer.logPath};
    if (withControl) {
        peer.controlPath = peer.folder + "/control";
        std::ofstream(peer.controlPath).flush();
        argv.insert(argv.end(), {"--control", peer.controlPath});
    }
    argv.insert(argv.end(), args.begin(), args.end());
    int out[2];
    if (pipe(out) != 0) throw std::runtime_error("pipe failed");
    peer.pid = Spawn(argv, out[1], peer.folder + "/peer.err");
    close(out[1]);
    std::string line;
    const bool ready = ReadLineFrom(out[0], line, GenerousWaitMs);
    close(out[0]);
    if (!ready || line != peer.linkPath + " ready") throw std::runtime_error("peer not ready: " + line);
}

int Stop(Peer& peer) {
    ClosePort(peer);
    int status = -1;
    if (peer.pid > 0) {
        kill(peer.pid, SIGTERM);
        status = WaitForExit(peer.pid);
        peer.pid = -1;
    }
    std::error_code ignored;
    const bool linkLeft = std::filesystem::is_symlink(std::filesystem::symlink_status(peer.linkPath, ignored));
    std::filesystem::remove_all(peer.folder, ignored);
    peer.folder.clear();
    if (linkLeft) return -2;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void OpenPort(Peer& peer) {
    ClosePort(peer);
    peer.port = open(peer.linkPath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (peer.port < 0) throw std::runtime_error("cannot open " + peer.linkPath);
    peer.received.clear();
}

void ClosePort(Peer& peer) {
    if (peer.port >= 0) close(peer.port);
    peer.port = -1;
}

void Send(Peer& peer, const Bytes& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(peer.port, bytes.data() + done, bytes.size() - done);
        if (n > 0) done += static_cast<size_t>(n);
        else if (n < 0 && errno != EAGAIN && errno != EINTR) throw std::runtime_error("write failed");
        else std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

bool ReadExactly(Peer& peer, size_t count, Bytes& out, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (peer.received.size() < count)
        if (!ReadSome(peer, deadline)) return false;
    out.assign(peer.received.begin(), peer.received.begin() + static_cast<long>(count));
    peer.received.erase(peer.received.begin(), peer.received.begin() + static_cast<long>(count));
    return true;
}

bool ReadPacket(Peer& peer, Bytes& packet, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!TakeFramedPacket(peer, packet))
        if (!ReadSome(peer, deadline)) return false;
    return true;
}

void AppendControl(const Peer& peer, const std::string& line) {
    std::ofstream(peer.controlPath, std::ios::app) << line << "\n";
}

int CountLogLines(const Peer& peer, const std::string& text) {
    std::ifstream log(peer.logPath);
    int count = 0;
    for (std::string line; std::getline(log, line);)
        if (line.find(text) != std::string::npos) ++count;
    return count;
}

bool WaitForLog(const Peer& peer, const std::string& text, int count, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (CountLogLines(peer, text) < count) {
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

}  // namespace peerProcess
