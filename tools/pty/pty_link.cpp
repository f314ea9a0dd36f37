#include "pty_link.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace ptylink {
namespace {

[[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

void CloseIfOpen(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

// Raw on the slave: nothing of the terminal line discipline may touch a byte (no echo, no CR/LF
// mapping, no XON/XOFF, no signal characters), or levels like 0x0D, 0x11 or 0x03 would be altered.
void MakeRaw(int fd) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) Fail("tcgetattr");
    cfmakeraw(&tio);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &tio) != 0) Fail("tcsetattr");
}

void OpenMaster(Pty& pty) {
    pty.master = posix_openpt(O_RDWR | O_NOCTTY);
    if (pty.master < 0) Fail("posix_openpt");
    if (grantpt(pty.master) != 0) Fail("grantpt");
    if (unlockpt(pty.master) != 0) Fail("unlockpt");
    char name[PATH_MAX];
    if (ptsname_r(pty.master, name, sizeof name) != 0) Fail("ptsname_r");
    pty.slavePath = name;
    if (fcntl(pty.master, F_SETFD, FD_CLOEXEC) != 0) Fail("fcntl");
}

void HoldSlave(Pty& pty) {
    pty.slaveHold = open(pty.slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (pty.slaveHold < 0) Fail("open " + pty.slavePath);
    MakeRaw(pty.slaveHold);
}

// Symlink under a temporary name, then rename over the link path: a reader never finds the
// path missing or half made while an older link is replaced.
void PointLinkAtSlave(const Pty& pty) {
    const std::string temp = pty.linkPath + ".tmp" + std::to_string(getpid());
    unlink(temp.c_str());
    if (symlink(pty.slavePath.c_str(), temp.c_str()) != 0) Fail("symlink " + temp);
    if (rename(temp.c_str(), pty.linkPath.c_str()) != 0) {
        const int saved = errno;
        unlink(temp.c_str());
        errno = saved;
        Fail("rename to " + pty.linkPath);
    }
}

bool LinkPointsAt(const std::string& linkPath, const std::string& target) {
    char buf[PATH_MAX];
    const ssize_t n = readlink(linkPath.c_str(), buf, sizeof buf - 1);
    return n >= 0 && std::string(buf, static_cast<size_t>(n)) == target;
}

}  // namespace

Pty Open(const std::string& linkPath) {
    Pty pty;
    pty.linkPath = linkPath;
    try {
        OpenMaster(pty);
        HoldSlave(pty);
        PointLinkAtSlave(pty);
    } catch (...) {
        CloseIfOpen(pty.slaveHold);
        CloseIfOpen(pty.master);
        throw;
    }
    return pty;
}

void Close(Pty& pty) {
    if (!pty.linkPath.empty() && LinkPointsAt(pty.linkPath, pty.slavePath))
        unlink(pty.linkPath.c_str());
    CloseIfOpen(pty.slaveHold);
    CloseIfOpen(pty.master);
}

}  // namespace ptylink
