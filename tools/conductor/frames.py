"""Matching the frames the LightJockey stand-in was handed with the frames the widget emulator
sent, for the benchmark and the soak run's checks."""

BLOCK = 511  # channels 1 to 511 reach LightJockey


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
