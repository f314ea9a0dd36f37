"""Reading the event log that the conductor of a long run writes (event_log.h)."""


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
