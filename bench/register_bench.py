#!/usr/bin/env python3
"""Benchmark of the registration call under Wine, through the simulated
modem to the registration host (a measurement, not a test).

    python3 bench/register_bench.py [--suite build/x64/bin] [--runs 3] [--speed 28800]
        [--line-dir DIR]

Each run registers once (the record is made unregistered first) and prints,
from the simulator's transcript:
  - the product file's rate, from the host's OK to the program's first
    act after the file's last byte (its hang-up), against the byte rate of
    the connection (speed / 10; goal at least 95%);
  - the call's wall time, from the program opening the port to the modem's
    answer to the hang-up command, against its floor: the fixed delays
    (the hang-up's DTR drop, 0.5 s + 1 s, and the simulated dial, from the
    dial command to CONNECT) plus every command byte at the port's speed and
    every data byte at the connection's (goal at most 1.2x + 1 s);
  - the CPU time of the program and its wineserver during the call (goal at
    most 3% of one core). The window driver stays still meanwhile: the end
    of the call is watched in the transcript.
"""
import argparse
import os
import re
import statistics
import sys
import time

TOP = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
sys.path.insert(0, os.path.join(TOP, "tools", "wine"))
from procstat import CpuClock, pids_in_prefix  # noqa: E402
from wine import WineSession  # noqa: E402
from wizard_driver import RegisterWizard, Suite  # noqa: E402

PROFILE = "L55=COM2\nL58=AT&F\nS125=DT\nS130=X4\nS133=L2\nS142=M1\n"
NAME = {1024: "Grace", 1025: "Hopper", 1029: "1 Navy Yard", 1031: "Arlington",
        1032: "VA", 1034: "22201"}
HANG_UP_DELAYS = 1.5
SUB3 = "\x1a\x1a\x1a"


def transcript(path, start):
    """[(seconds, channel, text)] of the modem's transcript from byte start."""
    rows = []
    with open(path, encoding="latin-1") as f:
        f.seek(start)
        for line in f:
            m = re.match(r"(\d+\.\d+) (\S+) \"(.*)\"$", line.strip())
            if m:
                text = m.group(3).encode("latin-1").decode("unicode_escape")
                rows.append((float(m.group(1)), m.group(2), text))
    return rows


def first(rows, test, after=0.0):
    return next((r for r in rows if r[0] >= after and test(r)), None)


def arrival(rows, text, after):
    """The dte-out row in which the terminal's received stream, from time
    after on, first holds text, and how many bytes it held by then."""
    stream = ""
    for r in rows:
        if r[1] == "dte-out" and r[0] >= after:
            stream += r[2]
            if text in stream:
                return r, len(stream) - stream.index(text) - len(text)
    raise RuntimeError("%r never reached the terminal" % text)


def call_figures(rows, line_speed):
    opened = first(rows, lambda r: r[2] == "terminal opened the port")
    dialled = first(rows, lambda r: r[2].startswith("dial "))
    connected = first(rows, lambda r: r[2] == "call result connect")
    hung = first(rows, lambda r: r[2] == "hang up")
    answered = first(rows, lambda r: r[1] == "dte-out", hung[0])
    ok, _ = arrival(rows, "\r\nOK\r\n", connected[0])
    received = "".join(r[2] for r in rows if r[1] == "dte-out" and r[0] >= connected[0])
    body = received[received.index("\r\nOK\r\n") + 6:]
    body = body[:body.index(SUB3) + 3]
    last, _ = arrival(rows, body[-40:], ok[0])
    # The program's first act after the file: closing the port to hang up.
    reacted = first(rows, lambda r: r[1] not in ("dte-out", "net-in", "net-out"), last[0])
    rate = len(body) / (reacted[0] - ok[0])

    speed = [int(m) for r in rows for m in re.findall(r"terminal speed (\d+)", r[2])][-1:] or [57600]
    command_bytes = sum(len(r[2]) for r in rows if r[1] in ("dte-in", "dte-out")
                        and not connected[0] <= r[0] < hung[0])
    data_bytes = sum(len(r[2]) for r in rows if r[1] in ("dte-in", "dte-out")
                     and connected[0] <= r[0] < hung[0])
    floor = (HANG_UP_DELAYS + (connected[0] - dialled[0]) + command_bytes * 10.0 / speed[0]
             + data_bytes * 10.0 / line_speed)
    return rate, answered[0] - opened[0], floor


def one_call(session, suite, line_speed):
    for name in ("REGISTER\\REGISTER.DAT", "REGISTER.RTF"):
        path = os.path.join(suite.dir, *name.split("\\"))
        if os.path.exists(path):
            os.remove(path)
    suite.reset(PROFILE, real_libraries=True, env={"QVHELP_VIEWER": "none"})
    log = os.path.join(session.line_dir, "modem.log")
    start = os.path.getsize(log)
    w = RegisterWizard(suite)
    w.fill(NAME)
    for _ in range(3):
        w.press("next")
    watched = pids_in_prefix(session.prefix, "KESTRIX.EXE") + pids_in_prefix(session.prefix, "wineserver")
    w.press("next")  # "&Register"
    # The CPU is read when the transcript shows the port opened and when it
    # shows the answer to the hang-up: the transcript is followed every few
    # milliseconds, as the viewer of the product file starts right after.
    clock = t0 = None
    pressed = time.monotonic()
    with open(log, encoding="latin-1") as f:
        f.seek(start)
        hung = False
        while time.monotonic() < pressed + 120:
            at = f.tell()
            line = f.readline()
            if not line.endswith("\n"):
                f.seek(at)  # a line still being written: read it whole later
                if clock is None and time.monotonic() - pressed > 20:
                    raise RuntimeError("the program did not open the port")
                time.sleep(0.003)
                continue
            if clock is None and '"terminal opened the port"' in line:
                clock, t0 = CpuClock(watched), time.monotonic()
            hung = hung or '"hang up"' in line
            if hung and " dte-out " in line:
                break
    cpu, spent = clock.seconds(), time.monotonic() - t0
    status = w.do("registering 60")
    w.finish(timeout=60)
    if not status.startswith("Registration successful"):
        raise RuntimeError("the call failed: %s" % status)
    return call_figures(transcript(log, start), line_speed) + (cpu, spent)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--suite", default=os.path.join(TOP, "build", "x64", "bin"))
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--speed", type=int, default=28800, help="the connection's bit/s")
    ap.add_argument("--line-dir", help="keep the transcripts and database here")
    a = ap.parse_args()
    with WineSession(version="win95", suite=a.suite, line="COM2", line_dir=a.line_dir) as session:
        session.restart_line(modem=["--speed", str(a.speed)])
        suite = Suite(session, "win95")
        rates, walls, cpus = [], [], []
        for _ in range(a.runs):
            rate, wall, floor, cpu, spent = one_call(session, suite, a.speed)
            line_rate = a.speed / 10.0
            rates.append(rate / line_rate)
            walls.append((wall, floor))
            cpus.append(cpu / spent)
            print("file %.0f bytes/s of %.0f (%.1f%%); call %.2f s, floor %.2f s (%.2fx); "
                  "CPU %.2f s in %.1f s (%.1f%% of a core)"
                  % (rate, line_rate, 100 * rate / line_rate, wall, floor, wall / floor,
                     cpu, spent, 100 * cpu / spent))
        wall, floor = walls[len(walls) // 2]
        print("median: file at %.1f%% of the line (goal >= 95%%); call %.2f s against "
              "1.2 x %.2f + 1 = %.2f s; CPU %.1f%% of a core (goal <= 3%%)"
              % (100 * statistics.median(rates), statistics.median(w for w, _ in walls),
                 floor, 1.2 * floor + 1, 100 * statistics.median(cpus)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
