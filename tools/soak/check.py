#!/usr/bin/env python3
"""The soak run's checks, from the logs of one run of scripts/soak: prints what was done and what
was seen, and exits 1 when a check fails.

    python3 -m tools.soak.check --work DIR [--counter CH]... [--report FILE]

DIR holds widget.log (emulator), standin-N.log (each start of the LightJockey stand-in),
soak-conductor.log (TevrinSoak.exe) and procstat.log (the Linux sampler).

Checks: the bridge ran to the end with no message box of its own; every frame delivered to the
stand-in equals, channel for channel (1 to 511), a frame the emulator sent with start code 0;
levels flow again (a frame written after the event is delivered) within 2 s of each replug and
of each restart of sending; the first stand-in gets "LJ READY !" and frames within 1 s of the
connect click; 2 s after a stand-in is closed the button reads "LJ not READY !"; each later
stand-in gets frames within 3 s of its start without a click, and the button reads
"LJ READY !" 3 s after that start; the bridge's resident memory, open descriptors and Windows handles at the end are no
higher than after the first cycle (memory: within RSS_SLACK_KB).
"""
import argparse
import glob
import os
import re
import statistics
import sys

from tools.conductor import events as eventlog, procstat
from tools.conductor.frames import FrameIndex, delivered_frames, mismatch_reason
from tools.lj_standin.standin_log import read_standin
from tools.widget_emulator.event_log import read_emulator

FLOW_LIMIT_S = 2.0
CONNECT_LIMIT_S = 1.0
RESTART_LIMIT_S = 3.0
RSS_SLACK_KB = 256   # Wine's heaps move by a page or two; a leak per cycle shows beyond this
MARK_SPAN_US = 1_800_000  # the quiet stretch after each settled point, before the next fault


class Report:
    def __init__(self):
        self.lines = []
        self.failed = []

    def say(self, text=""):
        self.lines.append(text)

    def check(self, ok, what, seen):
        self.lines.append(f"  {'PASS' if ok else 'FAIL'}  {what}: {seen}")
        if not ok:
            self.failed.append(what)


def standin_logs(work):
    def number(path):
        m = re.search(r"standin-(\d+)\.log$", path)
        return int(m.group(1)) if m else 0
    paths = sorted(glob.glob(os.path.join(work, "standin-*.log")), key=number)
    return [(os.path.basename(p), read_standin(p)) for p in paths]


def seconds_from(t, origin):
    return f"{(t - origin) / 1e6:7.1f} s"


def first_fresh_delivery(deliveries, matched, after):
    """The first delivery after `after` that holds a frame written after it."""
    for d, m in zip(deliveries, matched):
        if d.time > after and m is not None and m.time > after:
            return d
    return None


def events_after(events, prefix, follows):
    """Times of emulator events `prefix` that come right after a control command `follows`."""
    out, armed = [], False
    for time, text in events:
        if text.startswith("control "):
            armed = text == follows
        elif armed and text.startswith(prefix):
            out.append(time)
            armed = False
    return out


def describe_run(report, conductor_events, emulator, logs, origin):
    report.say("What was done (times from the conductor's start):")
    shown = ("bridge-", "connect", "button-", "emulator-", "standin-", "settled", "plan", "end", "error-box",
             "failed", "warning")
    for time, text in conductor_events:
        if text.startswith(shown):
            report.say(f"  {seconds_from(time, origin)}  {text}")
    alt = sum(1 for f in emulator.frames if f.start_code != 0)
    report.say(f"  the emulator wrote {len(emulator.frames)} DMX packets ({alt} with start code CC), "
               f"{emulator.garbage} bursts of garbage, each packet cut at random points")
    for name, log in logs:
        report.say(f"  {name}: {len(log.deliveries)} frames delivered")


def check_bridge_lasted(report, conductor_events):
    gone = [t for t, text in conductor_events if text.startswith("bridge-gone")]
    ended = [text for _, text in conductor_events if text.startswith("end running=")]
    report.check(not gone and ended == ["end running=1"], "the bridge keeps running",
                 "ran to the end" if not gone and ended else "it ended early" if gone else "the run did not finish")
    boxes = [text for _, text in conductor_events if text.startswith("error-box")]
    report.check(not boxes, "no message box of the bridge's",
                 "none appeared" if not boxes else f"{len(boxes)}, first: {boxes[0]}")


def check_integrity(report, index, deliveries, matched, counters):
    good = sum(1 for m in matched if m is not None)
    seen = f"{good} / {len(matched)} delivered frames equal a sent frame"
    bad = [d for d, m in zip(deliveries, matched) if m is None]
    if bad:
        seen += f"; first that does not: {mismatch_reason(index, bad[0], counters)}"
    report.check(bool(matched) and not bad, "integrity of every delivered frame", seen)


def check_flow_after(report, label, times, deliveries, matched, origin):
    for t in times:
        d = first_fresh_delivery(deliveries, matched, t)
        delay = (d.time - t) / 1e6 if d else None
        seen = f"new levels delivered {delay:.2f} s later" if d else "no new levels were delivered after it"
        report.check(d is not None and delay <= FLOW_LIMIT_S, f"levels flow within {FLOW_LIMIT_S:g} s of the "
                     f"{label} at {seconds_from(t, origin).strip()}", seen)


def first_frame_delay(log, since):
    first = next((d for d in log.deliveries if d.time >= since), None) if log else None
    return (first.time - since) / 1e6 if first else None


def check_reconnects(report, conductor_events, logs, origin):
    """The click at the start connects; after that the bridge follows each close and restart
    of the stand-in by itself."""
    by_name = dict(logs)
    started = None  # (log name, time) of the stand-in started last
    for time, text in conductor_events:
        caption = text.split("=", 1)[1] if "=" in text else ""
        if text.startswith("standin-started log="):
            started = (caption.split()[0], time)
        elif text.startswith("connect button=") and started:
            delay = first_frame_delay(by_name.get(started[0]), time)
            ok = caption == "LJ READY !" and delay is not None and delay <= CONNECT_LIMIT_S
            seen = f'button "{caption}", ' + (f"first frame {delay:.2f} s later" if delay is not None else "no frame")
            report.check(ok, f"{started[0]} connected by a click at {seconds_from(time, origin).strip()}", seen)
        elif text.startswith("button-after-close caption="):
            report.check(caption == "LJ not READY !", f"the button 2 s after the stand-in closed at "
                         f"{seconds_from(time, origin).strip()}", f'"{caption}"')
        elif text.startswith("button-after-restart caption=") and started:
            delay = first_frame_delay(by_name.get(started[0]), started[1])
            ok = caption == "LJ READY !" and delay is not None and delay <= RESTART_LIMIT_S
            seen = f'button "{caption}", ' + (f"first frame {delay:.2f} s after the start" if delay is not None
                                             else "no frame")
            report.check(ok, f"{started[0]} connected without a click at {seconds_from(started[1], origin).strip()}",
                         seen)


def marks(conductor_events):
    return [(t, text.split(" ", 1)[1]) for t, text in conductor_events if text.startswith("settled ")]


def value_at(rows, when, pick):
    vals = [pick(r) for r in rows if when <= r.time <= when + MARK_SPAN_US]
    return statistics.median(vals) if vals else None


def handles_at(conductor_events, when):
    vals = []
    for t, text in conductor_events:
        if when <= t <= when + MARK_SPAN_US and text.startswith("status "):
            m = re.search(r" handles=(-?\d+)", text)
            if m and int(m.group(1)) >= 0:
                vals.append(int(m.group(1)))
    return statistics.median(vals) if vals else None


def check_growth(report, conductor_events, samples):
    points = marks(conductor_events)
    if len(points) < 2:
        report.check(False, "no growth of memory or handles", "too few settled points to compare")
        return
    rows = procstat.process_samples(samples, "Tevrin.exe", points[0][0], points[-1][0] + MARK_SPAN_US)
    series = {
        "resident memory (VmRSS, kB)": [value_at(rows, t, lambda r: r.rss) for t, _ in points],
        "open file descriptors of its Wine process": [value_at(rows, t, lambda r: r.fds) for t, _ in points],
        "Windows handles (system handle list)": [handles_at(conductor_events, t) for t, _ in points],
    }
    base = 1 if len(points) > 2 else 0  # after the first cycle: what a replug first opens is in
    names = " / ".join(p[1] for p in points)
    report.say(f"  bridge at each settled point ({names}); compared: {points[base][1]} with {points[-1][1]}")
    for what, values in series.items():
        shown = " ".join("-" if v is None else f"{v:g}" for v in values)
        if values[base] is None or values[-1] is None:
            report.check(False, f"no growth: {what}", f"{shown} (not measured)")
            continue
        slack = RSS_SLACK_KB if what.startswith("resident") else 0
        report.check(values[-1] <= values[base] + slack, f"no growth: {what}",
                     shown + (f" (slack {slack} kB)" if slack else ""))
    server = procstat.process_samples(samples, "wineserver", points[0][0], points[-1][0] + MARK_SPAN_US)
    shown = " ".join("-" if v is None else f"{v:g}" for v in (value_at(server, t, lambda r: r.fds) for t, _ in points))
    report.say(f"  (not checked: the wineserver's open descriptors, shared by every program of the prefix: {shown})")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--work", required=True)
    parser.add_argument("--counter", type=int, action="append", default=[])
    parser.add_argument("--report")
    args = parser.parse_args()
    emulator = read_emulator(os.path.join(args.work, "widget.log"))
    index = FrameIndex(emulator.frames)
    conductor_events = eventlog.read_events(os.path.join(args.work, "soak-conductor.log"))
    samples = procstat.read_samples(os.path.join(args.work, "procstat.log"))
    logs = standin_logs(args.work)
    deliveries = sorted((d for _, log in logs for d in log.deliveries), key=lambda d: d.time)
    matched = delivered_frames(index, deliveries)
    origin = conductor_events[0][0] if conductor_events else 0

    report = Report()
    describe_run(report, conductor_events, emulator, logs, origin)
    report.say("")
    report.say("What was seen:")
    check_bridge_lasted(report, conductor_events)
    check_integrity(report, index, deliveries, matched, args.counter)
    replugs = events_after(emulator.events, "state plugged", "control replug")
    check_flow_after(report, "replug", replugs, deliveries, matched, origin)
    restarts = events_after(emulator.events, "state started", "control start")
    check_flow_after(report, "restart of sending", restarts, deliveries, matched, origin)
    check_reconnects(report, conductor_events, logs, origin)
    check_growth(report, conductor_events, samples)
    busy, cores = procstat.machine_busy(samples, origin, conductor_events[-1][0] if conductor_events else 0)
    if busy is not None:
        report.say(f"  (the whole machine was {100 * busy:.0f} % busy on {cores} cores meanwhile)")
    report.say("")
    report.say("soak: " + ("all checks passed" if not report.failed else
                           f"{len(report.failed)} checks failed: " + "; ".join(report.failed)))
    text = "\n".join(report.lines) + "\n"
    sys.stdout.write(text)
    if args.report:
        with open(args.report, "w") as f:
            f.write(text)
    return 1 if report.failed else 0


if __name__ == "__main__":
    sys.exit(main())
