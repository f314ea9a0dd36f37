"""Reading what the test peers logged, all on one clock (Unix epoch microseconds), and matching
the frames the LightJockey stand-in was handed with the frames the widget emulator sent.

Used by tools/bench/analyse.py and tools/soak/check.py. Python 3 standard library only.
"""
from collections import namedtuple
import statistics

BLOCK = 511  # channels 1 to 511 reach LightJockey

# One label-5 packet the emulator wrote: its time is taken once the last byte was written.
Sent = namedtuple("Sent", "time seq start_code levels stalled")
Delivery = namedtuple("Delivery", "time dw_data cb_data block")
Sample = namedtuple("Sample", "time pid ticks rss fds threads")


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


class StandInLog:
    def __init__(self):
        self.ready = 0
        self.quit = 0
        self.asks = []        # (time, wParam, answer)
        self.deliveries = []  # Delivery, in order


def read_standin(path):
    log = StandInLog()
    try:
        f = open(path, errors="replace")
    except FileNotFoundError:
        return log
    with f:
        for line in f:
            if not line.endswith("\n"):
                break
            parts = line.split()
            if not parts:
                continue
            if parts[0] == "ready":
                log.ready = int(parts[1])
            elif parts[0] == "quit":
                log.quit = int(parts[1])
            elif parts[0] == "ask":
                log.asks.append((int(parts[1]), int(parts[2]), int(parts[3])))
            elif parts[0] == "copydata":
                block = bytes.fromhex(parts[4]) if len(parts) > 4 else b""
                log.deliveries.append(Delivery(int(parts[1]), int(parts[2]), int(parts[3]), block))
    return log


def read_events(path):
    """The conductor's event log: (time, text)."""
    events = []
    with open(path, errors="replace") as f:
        for line in f:
            time, _, text = line.rstrip("\n").partition(" ")
            if time.isdigit():
                events.append((int(time), text))
    return events


def event_time(events, prefix, after=0):
    for time, text in events:
        if time >= after and text.startswith(prefix):
            return time
    return None


class Samples:
    def __init__(self):
        self.ticks_per_second = 100
        self.processes = {}  # name -> [Sample]
        self.machine = []    # (time, busy ticks, all ticks, cores)


def read_samples(path):
    samples = Samples()
    try:
        f = open(path)
    except FileNotFoundError:
        return samples
    with f:
        for line in f:
            parts = line.split()
            if not parts or (len(parts) < 4 and parts[0] != "#"):
                continue
            if parts[0] == "#" and parts[1] == "ticks":
                samples.ticks_per_second = int(parts[2])
            elif parts[0] == "m" and len(parts) >= 5:
                samples.machine.append(tuple(int(v) for v in parts[1:5]))
            elif parts[0] == "p" and len(parts) >= 8:
                samples.processes.setdefault(parts[3], []).append(
                    Sample(int(parts[1]), int(parts[2]), *(int(v) for v in parts[4:8])))
    return samples


def process_samples(samples, name_start, start, end):
    """The samples of the one process whose name starts with name_start within [start, end]; if
    several processes of that name lived then, the one sampled longest."""
    by_pid = {}
    for name, rows in samples.processes.items():
        if name.startswith(name_start):
            for s in rows:
                if start <= s.time <= end:
                    by_pid.setdefault(s.pid, []).append(s)
    if not by_pid:
        return []
    return max(by_pid.values(), key=len)


def cpu_share(rows, ticks_per_second):
    """CPU time per second of wall time between the first and last sample, as a share of one core."""
    if len(rows) < 2 or rows[-1].time <= rows[0].time:
        return None
    return (rows[-1].ticks - rows[0].ticks) / ticks_per_second / ((rows[-1].time - rows[0].time) / 1e6)


def machine_busy(samples, start, end):
    """Share of all cores busy between start and end (everything the machine ran), and the cores."""
    rows = [m for m in samples.machine if start <= m[0] <= end]
    if len(rows) < 2 or rows[-1][2] == rows[0][2]:
        return None, None
    return (rows[-1][1] - rows[0][1]) / (rows[-1][2] - rows[0][2]), rows[-1][3]


class FrameIndex:
    """The sent frames by their channels 1 to 511, to tell what a delivered block was."""

    def __init__(self, frames):
        self.by_block = {}
        self.by_seq = {}
        for frame in frames:
            self.by_block.setdefault(frame.levels[:BLOCK], frame)
            self.by_seq[frame.seq] = frame

    def sent_as(self, block):
        return self.by_block.get(block)


def delivered_frames(index, deliveries):
    """For each delivery: the sent frame it equals channel for channel with start code 0, or None."""
    out = []
    for d in deliveries:
        frame = index.sent_as(d.block) if len(d.block) == BLOCK else None
        out.append(frame if frame is not None and frame.start_code == 0 else None)
    return out


def mismatch_reason(index, delivery, counter_channels):
    """Why a delivered block equals no sent frame, in words, for the report."""
    block = delivery.block
    if len(block) != BLOCK:
        return f"{len(block)} bytes instead of {BLOCK}"
    frame = index.sent_as(block)
    if frame is not None:
        return f"levels of seq {frame.seq}, a packet with start code {frame.start_code:02X}"
    if not any(block):
        return "all channels at 0 (nothing received yet)"
    for ch in counter_channels:
        seq = int.from_bytes(block[ch - 1:ch + 3], "big")
        frame = index.by_seq.get(seq)
        if frame is not None:
            wrong = [n + 1 for n in range(BLOCK) if block[n] != frame.levels[n]]
            return f"counter says seq {seq}; {len(wrong)} channels differ, first {wrong[:8]}"
    return "matches no sent frame, counter unreadable"


def percentile(sorted_values, p):
    """Nearest-rank percentile of an ascending list."""
    if not sorted_values:
        return None
    rank = max(1, -(-len(sorted_values) * p // 100))
    return sorted_values[int(rank) - 1]


def summary_ms(values_us):
    values = sorted(v / 1000 for v in values_us)
    if not values:
        return None
    return {"n": len(values), "median": statistics.median(values), "p95": percentile(values, 95),
            "p99": percentile(values, 99), "max": values[-1], "min": values[0], "values": values}
