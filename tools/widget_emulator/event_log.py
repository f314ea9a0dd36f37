"""Reading the widget emulator's log (format in event_log.h, written by event_log.cpp), as the
benchmark and the soak run's checks do. Python 3 standard library only."""
from collections import namedtuple

# One label-5 packet the emulator wrote: its time is taken once the last byte was written.
Sent = namedtuple("Sent", "time seq start_code levels stalled")


class EmulatorLog:
    def __init__(self):
        self.frames = []   # Sent, in writing order
        self.events = []   # (time, text): state changes, control commands
        self.skipped = []  # times of frames not sent because the bridge had not read the pty
        self.garbage = 0   # bursts of garbage written


def read_emulator(path):
    log = EmulatorLog()
    with open(path, errors="replace") as f:
        for line in f:
            if not line.endswith("\n"):
                break  # still being written
            parts = line.split(" ", 2)
            if len(parts) < 2 or not parts[0].isdigit():
                continue
            time, kind = int(parts[0]), parts[1]
            rest = parts[2].rstrip("\n") if len(parts) > 2 else ""
            if kind in ("dmx", "dmx-stalled"):
                seq, sc, hexlevels = rest.split(" ")
                log.frames.append(Sent(time, int(seq[4:]), int(sc[3:], 16), bytes.fromhex(hexlevels),
                                       kind == "dmx-stalled"))
            elif kind == "skip":
                log.skipped.append(time)
            elif kind == "tx" and rest.startswith("garbage"):
                log.garbage += 1
            elif kind in ("state", "control"):
                log.events.append((time, kind + " " + rest))
    return log
