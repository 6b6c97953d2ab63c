#!/usr/bin/env python3
"""Benchmark of the wizard frame under Wine (a measurement, not a test).

    python3 tests/bench/wizard_bench.py [--suite build/x64/bin] [--idle 10] [--runs 20]

Prints the CPU an idle setup wizard uses over --idle seconds (the program
plus its wineserver, from /proc/<pid>/stat; goal: at most 1% of one core)
and the median time from DoSetupWizard to the first page shown (goal: at
most 200 ms)."""

import argparse
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "harness"))
from wine import WineSession  # noqa: E402

TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    """utime + stime of a process, in seconds."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


def pids_in_prefix(prefix, name):
    """Processes of this session's prefix whose command line mentions name."""
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                cmdline = f.read().decode(errors="replace")
            with open("/proc/%s/environ" % entry, "rb") as f:
                environ = f.read().decode(errors="replace").split("\0")
        except OSError:
            continue
        if name in cmdline and "WINEPREFIX=" + prefix in environ:
            found.append(int(entry))
    return found


def measure_idle(session, seconds):
    p = session.start("WIZBENCH.EXE", ["idle", str(seconds + 4)], stdout=subprocess.PIPE, text=True)
    if p.stdout.readline().strip() != "shown":
        raise SystemExit("the wizard did not appear")
    time.sleep(1)  # let painting after the first show settle
    program = pids_in_prefix(session.prefix, "WIZBENCH.EXE")
    server = pids_in_prefix(session.prefix, "wineserver")
    watched = program + server
    before = {pid: cpu_seconds(pid) for pid in watched}
    start = time.monotonic()
    time.sleep(seconds)
    elapsed = time.monotonic() - start
    used = {pid: cpu_seconds(pid) - before[pid] for pid in watched}
    p.wait(60)
    program_cpu = sum(used[pid] for pid in program)
    server_cpu = sum(used[pid] for pid in server)
    if not program or not server:
        raise SystemExit("program or wineserver not found in /proc")
    print("idle wizard over %.1f s: program %.2f%% + wineserver %.2f%% = %.2f%% of one core"
          % (elapsed, 100 * program_cpu / elapsed, 100 * server_cpu / elapsed,
             100 * (program_cpu + server_cpu) / elapsed))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--suite", default=os.path.join(here, "..", "..", "build", "x64", "bin"))
    parser.add_argument("--idle", type=int, default=10)
    parser.add_argument("--runs", type=int, default=20)
    args = parser.parse_args()
    with WineSession(suite=os.path.abspath(args.suite)) as session:
        measure_idle(session, args.idle)
        p = session.start("WIZBENCH.EXE", ["start", str(args.runs)], stdout=subprocess.PIPE,
                          text=True)
        sys.stdout.write(p.communicate(timeout=300)[0])


if __name__ == "__main__":
    main()
