#!/usr/bin/env python3
"""Runs a Windows program that uses serial ports (the serial tests, the
serial benchmark) under Wine with the ports' far ends in place.

    serial_rig.py --harness tools/wine/wine.py --suite build/x64/bin -- PROGRAM

COM1 is a pty with an echoing peer; QVCOMM.INI in the suite folder redirects
COM2 to ser2net (in front of another pty), COM3 to a small RFC 2217 server,
COM4 to a loopback port nobody listens on, COM5 to an unusable entry and
COM6 to an RFC 2217 server that reports carrier only when it changes.
Everything listens on 127.0.0.1 and ends with the run.
"""

import argparse
import importlib.util
import os
import shutil
import signal
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [HERE, os.path.join(HERE, "..", "wine")]
from procstat import CpuClock, pids_in_prefix  # noqa: E402
from loopback import free_port  # noqa: E402
from far_ends import ComPortServer, PtyPeer, Ser2net  # noqa: E402


def load_harness(path):
    spec = importlib.util.spec_from_file_location("wine_harness", path)
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


def wineserver_clock(prefix):
    """A clock of the CPU time the wineserver of a prefix uses (its share of
    every wait and message call the program makes)."""
    servers = pids_in_prefix(prefix, "wineserver")
    return CpuClock(servers) if servers else None


def main(argv):
    ap = argparse.ArgumentParser()
    ap.add_argument("--harness", required=True)
    ap.add_argument("--suite", required=True)
    ap.add_argument("--timeout", type=float, default=120)
    ap.add_argument("--wineserver-cpu", action="store_true",
                    help="print the wineserver's CPU time during the program's run")
    ap.add_argument("program", nargs=argparse.REMAINDER)
    a = ap.parse_args(argv)
    program = a.program[1:] if a.program[:1] == ["--"] else a.program
    wine = load_harness(a.harness)

    work = tempfile.mkdtemp(prefix="kx-serial-")
    direct, server, s2n = PtyPeer(), ComPortServer(), Ser2net(work)
    quiet = ComPortServer(report_at_start=False)
    try:
        direct.start()
        server.start()
        quiet.start()
        s2n.start()
        with wine.WineSession(suite=a.suite, com={"COM1": direct.path}) as session:
            with open(os.path.join(session.c_drive(wine.SUITE_DIR), "QVCOMM.INI"), "w") as f:
                f.write("[Ports]\r\nCOM2=127.0.0.1:%d\r\nCOM3=127.0.0.1:%d\r\n"
                        "COM4=127.0.0.1:%d\r\nCOM5=no port here\r\nCOM6=127.0.0.1:%d\r\n"
                        % (s2n.port, server.port, free_port(), quiet.port))
            clock = wineserver_clock(session.prefix)
            start = time.monotonic()
            status = session.run(program[0], program[1:], timeout=a.timeout)
            if a.wineserver_cpu and clock is not None:
                spent = clock.seconds()
                print("wineserver: %.2f s cpu in %.1f s" % (spent, time.monotonic() - start))
            return status
    finally:
        s2n.stop()
        server.stop()
        quiet.stop()
        direct.stop()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    # ctest ends a test that overruns with SIGTERM: leave through the finally
    # blocks so that ser2net, the peers and Wine end too.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(124))
    sys.exit(main(sys.argv[1:]))
