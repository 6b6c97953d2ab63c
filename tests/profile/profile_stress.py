#!/usr/bin/env python3
"""The setup profile with two writers at once and with writers killed
mid-write, in one Wine prefix with the suite installed.

    profile_stress.py --suite BUILD/bin [--kills 100] [--count 500] [--seed N]
"""

import argparse
import os
import random
import re
import signal
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "wine"))
from wine import WineSession  # noqa: E402


def read_store(path):
    """The items of QVSETUP.INI; fails on any line the store does not write."""
    with open(path, "rb") as f:
        text = f.read().decode("latin-1")
    assert text.endswith("\r\n"), "store cut short: %r" % text[-40:]
    items = {}
    for line in text.split("\r\n")[:-1]:
        m = re.match(r"([SLN]\d+)=(.*)$", line)
        assert m or line.startswith(";") or line == "[Setup]", "torn line: %r" % line
        if m:
            items[m.group(1)] = m.group(2)
    return items


def two_writers(session, store, count):
    """Each writer checks its own writes as it goes; here the end state."""
    writers = [session.start("profile_writer.exe", ["share", w, str(count)]) for w in "AB"]
    assert [p.wait(600) for p in writers] == [0, 0], "a writer lost an item"
    items, expected = read_store(store), {}
    for s in range(count):
        expected["S%d" % (s % 256)] = "A%d" % s
        expected[("N%d" if s % 2 else "L%d") % (s // 2 % 128)] = str(s) if s % 2 else "B%d" % s
    lost = [k for k, v in expected.items() if items.get(k) != v]
    assert not lost, "items lost: %s" % lost[:10]


def last_logged(log):
    marks = {"begin": None, "end": None}
    if os.path.exists(log):
        with open(log) as f:
            for line in f:
                word, _, number = line.partition(" ")
                if word in marks and number.endswith("\n"):
                    marks[word] = int(number)
    return marks["begin"], marks["end"]


def killed_writers(session, store, kills, rng):
    """After every SIGKILL the store is whole, item 200 holds the value of the
    last write begun or of the one before it, and nothing else changed."""
    log = session.c_drive("C:\\churn.log")
    before = read_store(store)
    previous, inside = before.get("S200"), 0
    for k in range(kills):
        if os.path.exists(log):
            os.remove(log)
        p = session.start("profile_writer.exe", ["churn", "C:\\churn.log", str((k + 1) * 10**6)])
        deadline = time.monotonic() + 60
        while last_logged(log)[0] is None:
            assert p.poll() is None and time.monotonic() < deadline, "writer did not write"
            time.sleep(0.005)
        time.sleep(rng.uniform(0, 0.05))
        os.kill(p.pid, signal.SIGKILL)
        p.wait()
        begun, ended = last_logged(log)
        inside += begun != ended
        allowed = [previous if ended is None else "%d:%s" % (ended, "x" * (ended * 37 % 70)),
                   "%d:%s" % (begun, "x" * (begun * 37 % 70))]
        items = read_store(store)
        assert items.get("S200") in allowed, "kill %d: S200=%r, not one of %s" % (
            k, items.get("S200"), allowed)
        previous = items.pop("S200")
        assert items == {key: v for key, v in before.items() if key != "S200"}, \
            "kill %d changed other items" % k
    print("%d of %d kills came inside a write" % (inside, kills))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--suite", required=True)
    ap.add_argument("--kills", type=int, default=100)
    ap.add_argument("--count", type=int, default=500)
    ap.add_argument("--seed", type=int, default=random.randrange(1 << 30))
    a = ap.parse_args()
    print("seed %d" % a.seed)
    with WineSession(suite=a.suite) as session:
        store = session.c_drive("C:\\KESTRIX\\QVSETUP.INI")
        for name, run in (("two writers, %d writes each" % a.count,
                           lambda: two_writers(session, store, a.count)),
                          ("%d kills mid-write" % a.kills,
                           lambda: killed_writers(session, store, a.kills, random.Random(a.seed)))):
            start = time.monotonic()
            run()
            print("%s: store whole, nothing lost (%.1f s)" % (name, time.monotonic() - start))
    return 0


if __name__ == "__main__":
    sys.exit(main())
