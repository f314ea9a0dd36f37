"""Reading the LightJockey stand-in's log (format in standin_log.h, written by standin_log.cpp),
as the benchmark and the soak run's checks do. Python 3 standard library only."""
from collections import namedtuple

Delivery = namedtuple("Delivery", "time dw_data cb_data block")


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
