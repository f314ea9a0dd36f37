#!/usr/bin/env python3
"""Samples the processes of one Wine prefix from /proc, for the benchmark and the soak run.

    procstat.py --out FILE [--prefix DIR] [--interval SECONDS]

Runs until it is killed. The prefix defaults to $WINEPREFIX: only processes whose environment
names it are sampled, so runs of other prefixes on the same machine stay out. Each sample is
one line:

    p <unix micros> <pid> <name> <utime+stime clock ticks> <VmRSS kB> <open fds> <threads>

and once per round the whole machine, all cores, from /proc/stat, to tell how busy it was:

    m <unix micros> <busy clock ticks> <all clock ticks> <cores>

Clock ticks per second are given once at the top ("# ticks N"). The Wine programs show under
their .exe names; the wineserver as wineserver or wineserver64. read_samples() and the functions
after it read the file back for the benchmark and the soak run's checks.
"""
import argparse
import os
import signal
import sys
import time
from collections import namedtuple

Sample = namedtuple("Sample", "time pid ticks rss fds threads")


def prefix_of(pid):
    try:
        with open(f"/proc/{pid}/environ", "rb") as f:
            for item in f.read().split(b"\0"):
                if item.startswith(b"WINEPREFIX="):
                    return os.path.realpath(item[len(b"WINEPREFIX="):].decode(errors="replace"))
    except OSError:
        pass
    return None


def start_time(entry):
    """The process's start time in clock ticks since boot: a pid's identity, as pids are reused."""
    try:
        with open(f"/proc/{entry}/stat") as f:
            stat = f.read()
        return int(stat[stat.rindex(")") + 2:].split()[19])
    except (OSError, ValueError, IndexError):
        return None


def sample(pid):
    """(name, cpu ticks, rss kB, fds, threads), or None once the process is gone."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            stat = f.read()
        name = stat[stat.index("(") + 1:stat.rindex(")")].replace(" ", "_")
        fields = stat[stat.rindex(")") + 2:].split()
        ticks = int(fields[11]) + int(fields[12])  # utime, stime
        rss = threads = 0
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    rss = int(line.split()[1])
                elif line.startswith("Threads:"):
                    threads = int(line.split()[1])
        fds = len(os.listdir(f"/proc/{pid}/fd"))
        return name, ticks, rss, fds, threads
    except (OSError, ValueError, IndexError):
        return None


def machine():
    with open("/proc/stat") as f:
        lines = f.read().splitlines()
    ticks = [int(v) for v in lines[0].split()[1:9]]  # user nice system idle iowait irq softirq steal
    cores = sum(1 for line in lines if line.startswith("cpu") and line[3:4].isdigit())
    return sum(ticks) - ticks[3] - ticks[4], sum(ticks), cores


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", required=True)
    parser.add_argument("--prefix", default=os.environ.get("WINEPREFIX", ""))
    parser.add_argument("--interval", type=float, default=0.5)
    args = parser.parse_args()
    if not args.prefix:
        sys.exit("procstat: no --prefix and no WINEPREFIX")
    prefix = os.path.realpath(args.prefix)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    ours, others = set(), set()  # pids; (pid, start time) of processes of other prefixes
    with open(args.out, "a", buffering=1) as out:
        out.write(f"# ticks {os.sysconf('SC_CLK_TCK')} prefix {prefix}\n")
        while True:
            now = time.time_ns() // 1000
            for entry in os.listdir("/proc"):
                if not entry.isdigit() or int(entry) in ours:
                    continue
                identity = (entry, start_time(entry))
                if identity in others:
                    continue
                if prefix_of(entry) != prefix:
                    others.add(identity)
                    continue
                ours.add(int(entry))
            busy, total, cores = machine()
            lines = [f"m {now} {busy} {total} {cores}\n"]
            for pid in sorted(ours):
                s = sample(pid)
                if s is None:
                    ours.discard(pid)
                    continue
                lines.append(f"p {now} {pid} {s[0]} {s[1]} {s[2]} {s[3]} {s[4]}\n")
            out.write("".join(lines))
            time.sleep(args.interval)


# ---- reading the samples back

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


if __name__ == "__main__":
    main()
