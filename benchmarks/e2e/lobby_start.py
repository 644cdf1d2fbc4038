#!/usr/bin/env python3
"""Waits for the lobby of one wine prefix to start and prints the moment its process began, in
seconds since the epoch (the clock of `date +%s.%N`):

    lobby_start.py PREFIX [TIMEOUT_S]

The kernel keeps each process's start in clock ticks since boot, so the moment is exact to a
tick (10 ms) however late the poll sees the process, and the test lobby, which ends at once,
lives long enough under wine to be seen. Processes older than this one are not looked at (nor
again while they live), which keeps each poll short on a busy machine; pids wrap, so their
order says nothing. Exits 1 on timeout.
"""
import os
import sys
import time


def lobby_start_ticks(prefix, skip):
    """The start of a lobby.exe of PREFIX among the processes not in SKIP, or None. Drops from
    SKIP the pids that ended (one may come back as the lobby) and adds the lobbies of other
    prefixes."""
    alive = {name for name in os.listdir("/proc") if name.isdigit()}
    skip &= alive
    for name in alive - skip:
        try:
            with open(f"/proc/{name}/stat") as f:
                comm, fields = f.read().split("(", 1)[1].rsplit(")", 1)
            if comm != "lobby.exe":
                continue  # wine names the process only once it runs
            with open(f"/proc/{name}/environ", "rb") as f:
                ours = f"WINEPREFIX={prefix}".encode() in f.read().split(b"\0")
        except OSError:
            continue
        if ours:
            return int(fields.split()[19])  # starttime, field 22 of stat
        skip.add(name)
    return None


def start_ticks_of(pid):
    with open(f"/proc/{pid}/stat") as f:
        return int(f.read().rsplit(")", 1)[1].split()[19])


def older_processes():
    """The processes that began before this one: the lobby, started after it, is not among
    them however long the interpreter took to get here."""
    mine, older = start_ticks_of("self"), set()
    for name in os.listdir("/proc"):
        try:
            if name.isdigit() and start_ticks_of(name) < mine:
                older.add(name)
        except OSError:
            pass
    return older


def main():
    prefix, timeout = sys.argv[1], float(sys.argv[2]) if len(sys.argv) > 2 else 300
    ticks = os.sysconf("SC_CLK_TCK")
    # The start in /proc counts from boot, suspended time included: CLOCK_BOOTTIME's zero.
    epoch_of_boot = time.time() - time.clock_gettime(time.CLOCK_BOOTTIME)
    skip = older_processes()
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        start_ticks = lobby_start_ticks(prefix, skip)
        if start_ticks is not None:
            print(f"{epoch_of_boot + start_ticks / ticks:.3f}")
            return 0
        time.sleep(0.01)
    return 1


if __name__ == "__main__":
    sys.exit(main())
