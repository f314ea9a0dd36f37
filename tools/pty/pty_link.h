#pragma once
// A pseudo-terminal that a Wine prefix sees as a COM port: the prefix's registry names a fixed
// link path, and the link points at whichever pty slave the tool opened this time.
#include <string>

namespace ptylink {

struct Pty {
    int master = -1;
    int slaveHold = -1;  // kept open so the master never sees a hangup between the other side's opens
    std::string slavePath, linkPath;
};

// Opens a raw-mode pty and points linkPath at its slave. Throws std::runtime_error on failure.
Pty Open(const std::string& linkPath);

// Removes the link (only if it still points at this pty's slave) and closes both descriptors.
void Close(Pty& pty);

}  // namespace ptylink
