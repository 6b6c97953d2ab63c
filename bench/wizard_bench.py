#!/usr/bin/env python3
"""Benchmark of the wizard frame under Wine (a measurement, not a test).

    python3 bench/wizard_bench.py [--suite build/x64/bin] [--idle 10] [--runs 20]

Prints the CPU an idle setup wizard uses over --idle seconds (the program
plus its wineserver, from its threads' run times; goal: at most 1% of one core)
and the median time from DoSetupWizard to the first page shown (goal: at
most 50 ms). The wineserver is measured again for as long once the
wizard has gone: from its start it wakes every 16 ms to keep the time in
the page of shared user data every Wine process maps, with or without any
program, which costs a few tenths of a percent of a core here; the wizard's
share is what comes on top of that."""

import argparse
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tools", "wine"))
from procstat import CpuClock, pids_in_prefix  # noqa: E402
from wine import WineSession  # noqa: E402


def server_alone(session, seconds):
    """Seconds of CPU the prefix's wineserver uses over seconds."""
    clock = CpuClock(pids_in_prefix(session.prefix, "wineserver"))
    time.sleep(seconds)
    return clock.seconds()


def measure_idle(session, seconds):
    p = session.start("WIZBENCH.EXE", ["idle", str(seconds + 4)], stdout=subprocess.PIPE, text=True)
    if p.stdout.readline().strip() != "shown":
        raise SystemExit("the wizard did not appear")
    time.sleep(1)  # let painting after the first show settle
    program = pids_in_prefix(session.prefix, "WIZBENCH.EXE")
    server = pids_in_prefix(session.prefix, "wineserver")
    watched = program + server
    clock = CpuClock(watched)
    start = time.monotonic()
    time.sleep(seconds)
    elapsed = time.monotonic() - start
    used = {pid: clock.seconds(pid) for pid in watched}
    p.wait(60)
    floor = server_alone(session, seconds)
    program_cpu = sum(used[pid] for pid in program)
    server_cpu = sum(used[pid] for pid in server)
    if not program or not server:
        raise SystemExit("program or wineserver not found in /proc")
    print("idle wizard over %.1f s: program %.2f%% + wineserver %.2f%% = %.2f%% of one core"
          % (elapsed, 100 * program_cpu / elapsed, 100 * server_cpu / elapsed,
             100 * (program_cpu + server_cpu) / elapsed))
    print("wineserver alone after the wizard: %.2f%%; the wizard's share: %.2f%% of one core"
          % (100 * floor / seconds, 100 * (program_cpu + server_cpu - floor) / elapsed))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--suite", default=os.path.join(HERE, "..", "build", "x64", "bin"))
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
