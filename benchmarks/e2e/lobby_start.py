#!/usr/bin/env python3
"""Waits for the lobby of one wine prefix to start and prints the moment its process began, in
seconds since the epoch (the clock of `date +%s.%N`):

    lobby_start.py PREFIX [TIMEOUT_S]

The kernel keeps each process's start in clock ticks since boot, so the moment is exact to a
tick (10 ms) however late the poll sees the process, and the test lobby, which ends at once,
lives long enough under wine to be seen. Only processes started after this one are looked at
(new pids count up), which keeps each poll short on a busy machine. Exits 1 on timeout.
"""
import os
import sys
import time


def lobby_start_ticks(prefix, floor, seen):
    """The start of a lobby.exe of PREFIX among the processes newer than FLOOR, or None."""
    for name in os.listdir("/proc"):
        if not name.isdigit() or int(name) <= floor or name in seen:
            continue
        try:
            with open(f"/proc/{name}/stat") as f:
                comm, fields = f.read().split("(", 1)[1].rsplit(")", 1)
            if comm != "lobby.exe":
                continue
            with open(f"/proc/{name}/environ", "rb") as f:
                ours = f"WINEPREFIX={prefix}".encode() in f.read().split(b"\0")
        except OSError:
            continue
        if ours:
            return int(fields.split()[19])  # starttime, field 22 of stat
        seen.add(name)
    return None


def main():
    prefix, timeout = sys.argv[1], float(sys.argv[2]) if len(sys.argv) > 2 else 300
    ticks = os.sysconf("SC_CLK_TCK")
    # The start in /proc counts from boot, suspended time included: CLOCK_BOOTTIME's zero.
    epoch_of_boot = time.time() - time.clock_gettime(time.CLOCK_BOOTTIME)
    floor, seen = os.getpid(), set()
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        start_ticks = lobby_start_ticks(prefix, floor, seen)
        if start_ticks is not None:
            print(f"{epoch_of_boot + start_ticks / ticks:.3f}")
            return 0
        time.sleep(0.01)
    return 1


if __name__ == "__main__":
    sys.exit(main())
