#!/usr/bin/env python3
"""The benchmark's figures from one run of scripts/bench: latency, integrity, rates, CPU and
memory, as one table (printed and written to --table) and a latency histogram (--png).

    python3 -m tools.bench.analyse --work DIR --table FILE --png FILE [--counter CH]... [--note TEXT]

DIR holds the run's logs: widget.log (emulator), standin-bridge.log and standin-brenoth.log
(LightJockey stand-in), bench-conductor.log (TevrinBench.exe) and procstat.log (sampler).
Prints figures; it asserts nothing about speed.
"""
import argparse
import os
import statistics
import sys

from tools.bench import histogram_png
from tools.conductor import events as eventlog, procstat
from tools.conductor.frames import FrameIndex, delivered_frames, mismatch_reason
from tools.lj_standin.standin_log import read_standin
from tools.widget_emulator.event_log import read_emulator

READ_MS, FEED_MS = 10, 70  # a frame's read ends 4 ms after its last byte; 10 ms leaves room for the hand-over
BOUND_MS = READ_MS + FEED_MS
TAIL_US = 200_000  # frames written this close to the end may have had no feed tick left


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


def latencies_us(frames, deliveries, matched, start, end):
    """Per sent frame written in [start, end]: the time until the stand-in held it or a newer
    one. Returns the latencies and the count of frames that no delivery ever covered."""
    held = [(d.time, m.seq) for d, m in zip(deliveries, matched) if m is not None]
    out, uncovered, j = [], 0, 0
    for frame in frames:
        if frame.stalled or not start <= frame.time <= end:
            continue
        while j < len(held) and (held[j][1] < frame.seq or held[j][0] < frame.time):
            j += 1
        if j == len(held):
            uncovered += 1
            continue
        out.append(held[j][0] - frame.time)
    return out, uncovered


def in_window(rows, start, end):
    return [r for r in rows if start <= r.time <= end]


def fmt_ms(value):
    return "-" if value is None else f"{value:.1f} ms"


def fmt_share(value):
    return "-" if value is None else f"{100 * value:.2f} % of one core"


class Table:
    def __init__(self):
        self.lines = []

    def title(self, text):
        self.lines.append(text)

    def row(self, what, measured, target=""):
        self.lines.append(f"  {what:<58} {measured:<28} {target}".rstrip())

    def text(self):
        return "\n".join(self.lines) + "\n"


def process_row(table, samples, name, label, start, end, target=""):
    rows = procstat.process_samples(samples, name, start, end)
    share = procstat.cpu_share(rows, samples.ticks_per_second)
    table.row(f"CPU {label}", fmt_share(share), target)
    if rows:
        table.row(f"  resident memory (VmRSS) at start -> at end",
                  f"{rows[0].rss} kB -> {rows[-1].rss} kB")
        table.row(f"  open file descriptors at start -> at end", f"{rows[0].fds} -> {rows[-1].fds}")
    return share


def status_values(events, start, end, key):
    values = []
    for time, text in events:
        if start <= time <= end and text.startswith("status "):
            for word in text.split():
                if word.startswith(key + "="):
                    values.append(word[len(key) + 1:])
    return values


def numbers(texts):
    out = []
    for t in texts:
        try:
            out.append(float(t))
        except ValueError:
            pass
    return out


def bridge_section(table, args, emulator, index, events, samples):
    start = eventlog.event_time(events, "bridge-measure-start")
    end = eventlog.event_time(events, "bridge-measure-end")
    connected = eventlog.event_time(events, "bridge-connect")
    if start is None or end is None:
        table.title("the bridge was not measured: see bench-conductor.log")
        return None
    standin = read_standin(os.path.join(args.work, "standin-bridge.log"))
    deliveries = [d for d in standin.deliveries if d.time >= (connected or 0)]
    matched = delivered_frames(index, deliveries)
    seconds = (end - start) / 1e6
    window = [(d, m) for d, m in zip(deliveries, matched) if start <= d.time <= end]
    last_delivery = window[-1][0].time if window else end
    lat, uncovered = latencies_us(emulator.frames, deliveries, matched, start, min(end, last_delivery) - TAIL_US)
    lat_ms = summary_ms(lat)
    ages = summary_ms([d.time - m.time for d, m in window if m is not None])
    spacing = summary_ms([b[0].time - a[0].time for a, b in zip(window, window[1:])])
    good = sum(1 for m in matched if m is not None)
    sent_in_window = [f for f in emulator.frames if start <= f.time <= end]

    table.title(f"Tevrin.exe, {seconds:.1f} s measured; the emulator sent {len(sent_in_window)} frames "
                f"({len(sent_in_window) / seconds:.1f} a second), split at random points")
    if lat_ms:
        table.title(f" latency as the operator feels it: from each frame's write (its last byte) until the "
                    f"stand-in holds it or a newer one, {lat_ms['n']} frames")
        table.row("median", fmt_ms(lat_ms["median"]), "figure: <= 45 ms")
        table.row("95th percentile", fmt_ms(lat_ms["p95"]))
        table.row("99th percentile", fmt_ms(lat_ms["p99"]), "figure: <= 83 ms")
        table.row("maximum", fmt_ms(lat_ms["max"]), f"bound of the intervals: {BOUND_MS} ms "
                  f"({READ_MS} ms to read a frame + {FEED_MS} ms feed)")
        over = sum(1 for v in lat_ms["values"] if v > BOUND_MS)
        table.row(f"frames later than {BOUND_MS} ms", f"{over} ({100 * over / lat_ms['n']:.2f} %)")
        if uncovered:
            table.row("frames no delivery covered", str(uncovered))
    if ages:
        table.title(f" age of each delivered frame at delivery, {ages['n']} deliveries")
        table.row("minimum / median / 99th percentile / maximum",
                  f"{ages['min']:.1f} / {ages['median']:.1f} / {ages['p99']:.1f} / {ages['max']:.1f} ms")
        table.title("    (each frame is parsed as it arrives, so a feed tick sends the newest frame the widget sent;"
                    " latency is its age plus 0 to 70 ms of waiting for the tick: median about 35 ms plus it)")
    skipped = [t for t in emulator.skipped if start <= t <= end]
    if skipped:
        table.row("frames the emulator skipped: the pty was not read", str(len(skipped)))
    table.title(" integrity and rates (integrity: every delivery from the connect on)")
    share = 100 * good / len(matched) if matched else 0
    table.row("delivered frames equal to a sent frame (ch 1-511)", f"{good} / {len(matched)} = {share:.3f} %",
              "must be 100 %")
    for d, m in zip(deliveries, matched):
        if m is None:
            table.row("  first that is not", mismatch_reason(index, d, args.counter))
            break
    table.row("frames delivered to the stand-in per second", f"{len(window) / seconds:.2f}",
              f"about {1000 / FEED_MS:.1f}")
    if spacing:
        spacing_row(table, spacing)
    fps = numbers(status_values(events, start, end, "fps"))
    if fps:
        table.row("frame rate the bridge showed (lblFPS): median, range",
                  f"{statistics.median(fps):g} ({min(fps):g} .. {max(fps):g})", f"emulator sends {args.rate:g}")
    table.title(" resources (Linux /proc, sampled every 0.5 s)")
    process_row(table, samples, "Tevrin.exe", "Tevrin.exe (bridge), per second of run", start, end,
                "figure: < 2 % of one core")
    handles = numbers(status_values(events, start, end, "handles"))
    if handles and min(handles) >= 0:
        table.row("  Windows handles (system handle list) at start -> at end", f"{handles[0]:g} -> {handles[-1]:g}")
    process_row(table, samples, "wineserver", "wineserver (serves all programs of the prefix)", start, end)
    process_row(table, samples, "LJStandIn.exe", "LJStandIn.exe (logs every frame in hex)", start, end)
    busy, cores = procstat.machine_busy(samples, start, end)
    if busy is not None:
        table.row("whole machine busy (everything running on it)", f"{100 * busy:.0f} % of {cores} cores")
    minimized_section(table, samples, events)
    return lat_ms, ages


def spacing_row(table, spacing):
    table.row("  spacing of deliveries: median / minimum / maximum",
              f"{spacing['median']:.1f} / {spacing['min']:.1f} / {spacing['max']:.1f} ms",
              f"feed every {FEED_MS} ms on average, never under 50")


def minimized_section(table, samples, events):
    start = eventlog.event_time(events, "bridge-minimized-measure-start")
    end = eventlog.event_time(events, "bridge-minimized-measure-end")
    if start is None or end is None:
        return
    table.title(f" the same with the bridge's window minimized (its labels not painted), {(end - start) / 1e6:.1f} s")
    for name, label in (("Tevrin.exe", "Tevrin.exe"), ("wineserver", "wineserver")):
        share = procstat.cpu_share(procstat.process_samples(samples, name, start, end), samples.ticks_per_second)
        table.row(f"CPU {label}, minimized", fmt_share(share))


def simulator_section(table, args, samples, events):
    start = eventlog.event_time(events, "brenoth-measure-start")
    end = eventlog.event_time(events, "brenoth-measure-end")
    if start is None or end is None:
        table.title("Brenoth.exe was not measured: see bench-conductor.log")
        return
    standin = read_standin(os.path.join(args.work, "standin-brenoth.log"))
    seconds = (end - start) / 1e6
    window = [d for d in standin.deliveries if start <= d.time <= end]
    table.title(f"Brenoth.exe (simulator) for comparison, {seconds:.1f} s measured")
    table.row("frames delivered to the stand-in per second", f"{len(window) / seconds:.2f}",
              f"about {1000 / FEED_MS:.1f}")
    spacing = summary_ms([b.time - a.time for a, b in zip(window, window[1:])])
    if spacing:
        spacing_row(table, spacing)
    process_row(table, samples, "Brenoth.exe", "Brenoth.exe, per second of run", start, end)
    process_row(table, samples, "wineserver", "wineserver", start, end)
    busy, cores = procstat.machine_busy(samples, start, end)
    if busy is not None:
        table.row("whole machine busy (everything running on it)", f"{100 * busy:.0f} % of {cores} cores")


def write_png(path, lat_ms, ages):
    panels = []
    if lat_ms:
        panels.append((f"latency per emulator frame, {lat_ms['n']} frames", lat_ms["values"], (40, 90, 200), [
            (f"median {lat_ms['median']:.1f}", lat_ms["median"], (0, 130, 0)),
            (f"p99 {lat_ms['p99']:.1f}", lat_ms["p99"], (220, 120, 0)),
            (f"bound {BOUND_MS}", BOUND_MS, (200, 0, 0))]))
    if ages:
        panels.append((f"age of each delivered frame, {ages['n']} deliveries", ages["values"], (120, 120, 120), [
            (f"median {ages['median']:.1f}", ages["median"], (0, 130, 0))]))
    if panels:
        histogram_png.write_histograms(path, panels)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--work", required=True)
    parser.add_argument("--table", required=True)
    parser.add_argument("--png", required=True)
    parser.add_argument("--counter", type=int, action="append", default=[])
    parser.add_argument("--rate", type=float, default=44)
    parser.add_argument("--note", default="")
    args = parser.parse_args()
    emulator = read_emulator(os.path.join(args.work, "widget.log"))
    index = FrameIndex(emulator.frames)
    events = eventlog.read_events(os.path.join(args.work, "bench-conductor.log"))
    samples = procstat.read_samples(os.path.join(args.work, "procstat.log"))
    table = Table()
    table.title("Tevrin end-to-end benchmark under Wine" + (f" ({args.note})" if args.note else ""))
    table.title("")
    figures = bridge_section(table, args, emulator, index, events, samples)
    table.title("")
    simulator_section(table, args, samples, events)
    text = table.text()
    with open(args.table, "w") as f:
        f.write(text)
    sys.stdout.write(text)
    if figures:
        write_png(args.png, *figures)
        print(f"\ntable: {args.table}\nhistogram: {args.png}")


if __name__ == "__main__":
    main()
