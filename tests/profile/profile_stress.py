#!/usr/bin/env python3
"""The setup profile under two writers at once and under writers killed
mid-write, in one Wine prefix with the suite installed.

    profile_stress.py --suite BUILD/bin [--kills 100] [--count 500]

1. Two processes write 500 values each into items of their own; each checks
   after every write that none of its earlier ones was lost, and at the end
   every item holds its writer's last value.
2. A process rewriting one item in a loop is killed with SIGKILL at a random
   moment, again and again; after each kill QVSETUP.INI is whole and holds
   the value of the last write begun or the one before it, and every other
   item is untouched.
"""

import argparse
import os
import random
import re
import signal
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "harness"))
from wine import WineSession  # noqa: E402

ITEM_LINE = re.compile(r"^([SLN])(\d+)=(.*)$")


def read_store(path):
    """The items of QVSETUP.INI; raises on any line the store would not write."""
    with open(path, "rb") as f:
        data = f.read()
    if not data.endswith(b"\r\n"):
        raise AssertionError("store does not end with a line end: %r" % data[-40:])
    items = {}
    for line in data.decode("latin-1").split("\r\n")[:-1]:
        if line.startswith(";") or line == "[Setup]":
            continue
        m = ITEM_LINE.match(line)
        if not m:
            raise AssertionError("torn or foreign line in store: %r" % line)
        items[m.group(1) + m.group(2)] = m.group(3)
    return items


def churn_value(n):
    return "%d:%s" % (n, "x" * (n * 37 % 70))


def expect_shared(items, count):
    """The last value each writer gave each of its items."""
    expected = {}
    for step in range(count):
        expected["S%d" % (step % 256)] = "A%d" % step
        key = ("N" if step % 2 else "L") + str((step // 2) % 128)
        expected[key] = str(step) if key[0] == "N" else "B%d" % step
    lost = {k: (v, items.get(k)) for k, v in expected.items() if items.get(k) != v}
    if lost:
        raise AssertionError("items lost (expected, found): %s" % dict(list(lost.items())[:10]))


def two_writers(session, store, count):
    start = time.monotonic()
    writers = [session.start("profile_writer.exe", ["share", w, str(count)]) for w in "AB"]
    codes = [p.wait(600) for p in writers]
    if codes != [0, 0]:
        raise AssertionError("writers ended with %s" % codes)
    expect_shared(read_store(store), count)
    print("two writers: %d writes each, nothing lost (%.1f s)" % (count, time.monotonic() - start))


def last_logged(log):
    begun = ended = None
    try:
        with open(log) as f:
            for line in f:
                word, _, number = line.partition(" ")
                if word == "begin" and number.endswith("\n"):
                    begun = int(number)
                elif word == "end" and number.endswith("\n"):
                    ended = int(number)
    except FileNotFoundError:
        pass
    return begun, ended


def killed_writers(session, store, kills, rng):
    start = time.monotonic()
    log_windows = "C:\\churn.log"
    log = session.c_drive(log_windows)
    before = read_store(store)
    previous = before.get("S200")
    for k in range(kills):
        first = (k + 1) * 1000000
        if os.path.exists(log):
            os.remove(log)
        p = session.start("profile_writer.exe", ["churn", log_windows, str(first)])
        deadline = time.monotonic() + 60
        while last_logged(log)[0] is None:
            if p.poll() is not None:
                raise AssertionError("writer ended with %s before writing" % p.returncode)
            if time.monotonic() > deadline:
                raise AssertionError("writer did not start writing")
            time.sleep(0.005)
        time.sleep(rng.uniform(0, 0.05))
        os.kill(p.pid, signal.SIGKILL)
        p.wait()
        begun, ended = last_logged(log)
        items = read_store(store)
        allowed = {churn_value(begun), churn_value(ended) if ended else previous}
        if items.get("S200") not in allowed:
            raise AssertionError("kill %d: S200=%r, expected one of %s"
                                 % (k, items.get("S200"), sorted(map(str, allowed))))
        others = {key: v for key, v in items.items() if key != "S200"}
        if others != {key: v for key, v in before.items() if key != "S200"}:
            raise AssertionError("kill %d: other items changed" % k)
        previous = items["S200"]
    print("killed writers: %d kills, store always whole (%.1f s)" % (kills, time.monotonic() - start))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--suite", required=True)
    ap.add_argument("--kills", type=int, default=100)
    ap.add_argument("--count", type=int, default=500)
    ap.add_argument("--seed", type=int, default=None)
    a = ap.parse_args()
    seed = a.seed if a.seed is not None else random.randrange(1 << 30)
    print("seed %d" % seed)
    with WineSession(suite=a.suite) as session:
        store = session.c_drive("C:\\KESTRIX\\QVSETUP.INI")
        two_writers(session, store, a.count)
        killed_writers(session, store, a.kills, random.Random(seed))
    return 0


if __name__ == "__main__":
    sys.exit(main())
