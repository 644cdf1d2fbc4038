#!/usr/bin/env python3
"""Follows one running program every 10 ms until it ends and prints what it used, as
KEY=VALUE lines for a shell to read:

    sample_process.py PID PACKAGE_FILE PACKAGE_BYTES

PEAK_ANON_KIB    largest RssAnon seen: the program's private resident memory (heap, stacks,
                 private mappings; not the shared libraries and files it maps)
PEAK_RSS_KIB     the kernel's VmHWM at the last sample (everything resident, shared included)
CPU_AT_PACKAGE   user + system CPU seconds when the package file first had all its bytes
SECONDS_AT_PACKAGE  seconds from the first sample to that moment
EPOCH_AT_PACKAGE    that moment as Unix time (to set against other clocks' moments)
"""
import os
import sys
import time


def status_kib(text, key):
    for line in text.splitlines():
        if line.startswith(key + ":"):
            return int(line.split()[1])
    return 0


def main():
    pid, package, total = int(sys.argv[1]), sys.argv[2], int(sys.argv[3])
    ticks = os.sysconf("SC_CLK_TCK")
    peak_anon = peak_rss = 0
    cpu_at_package = seconds_at_package = epoch_at_package = None
    start = time.monotonic()
    while True:
        try:
            with open(f"/proc/{pid}/status") as f:
                status = f.read()
            with open(f"/proc/{pid}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
        except OSError:
            break
        if "State:\tZ" in status:
            break
        peak_anon = max(peak_anon, status_kib(status, "RssAnon"))
        peak_rss = max(peak_rss, status_kib(status, "VmHWM"))
        if cpu_at_package is None:
            try:
                complete = os.path.getsize(package) >= total
            except OSError:
                complete = False
            if complete:
                # utime and stime are fields 14 and 15 of stat, 12 and 13 after the name.
                cpu_at_package = (int(fields[11]) + int(fields[12])) / ticks
                seconds_at_package = time.monotonic() - start
                epoch_at_package = time.time()
        time.sleep(0.01)
    print(f"PEAK_ANON_KIB={peak_anon}")
    print(f"PEAK_RSS_KIB={peak_rss}")
    print(f"CPU_AT_PACKAGE={'' if cpu_at_package is None else f'{cpu_at_package:.2f}'}")
    print(f"SECONDS_AT_PACKAGE={'' if seconds_at_package is None else f'{seconds_at_package:.2f}'}")
    print(f"EPOCH_AT_PACKAGE={'' if epoch_at_package is None else f'{epoch_at_package:.3f}'}")


if __name__ == "__main__":
    main()
