#pragma once
// A test peer (widget emulator, echo peer) run as a child process on a link path in a
// temporary folder, with the test holding the other end of its pty.
#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

namespace peerProcess {

using Bytes = std::vector<std::uint8_t>;

constexpr int GenerousWaitMs = 10000;  // a loaded machine is slow, never wrong

// Owns the child: a test that fails half-way still ends it and removes its folder.
struct Peer {
    Peer() = default;
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;
    ~Peer();

    pid_t pid = -1;
    std::string folder, linkPath, logPath, controlPath;
    int port = -1;    // the slave side, opened through the link
    Bytes received;   // bytes read from the port and not yet taken as a packet
    size_t junkBytes = 0;
};

// Starts `program --link L --log G [--control C] args...` and waits for its "ready" line.
// Its standard error goes to a file in the folder.
void Start(Peer& peer, const std::string& program, const std::vector<std::string>& args, bool withControl = true);
// SIGTERM, then the exit status; the link must be gone afterwards. Removes the folder.
int Stop(Peer& peer);

void OpenPort(Peer& peer);
void ClosePort(Peer& peer);
void Send(Peer& peer, const Bytes& bytes);
bool ReadExactly(Peer& peer, size_t count, Bytes& out, int timeoutMs = GenerousWaitMs);
// The next packet framed by its length field; bytes that are not one count as junk.
bool ReadPacket(Peer& peer, Bytes& packet, int timeoutMs = GenerousWaitMs);

void AppendControl(const Peer& peer, const std::string& line);
// Waits until the log holds at least `count` lines containing `text`.
bool WaitForLog(const Peer& peer, const std::string& text, int count = 1, int timeoutMs = GenerousWaitMs);
int CountLogLines(const Peer& peer, const std::string& text);

}  // namespace peerProcess
