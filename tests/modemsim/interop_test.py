#!/usr/bin/env python3
"""Programs that no one here wrote, talking to the simulator as to a modem.

  interop_test.py MODEMSIM wvdialconf   wvdial's scanner finds and identifies it
  interop_test.py MODEMSIM chat         ppp's chat runs an init-and-dial dialogue
  interop_test.py MODEMSIM ser2net      data through ser2net (RFC 2217 and raw TCP) in front of the pty

Exit 0 on success, 77 when the outside program (or root, for /dev) is missing.
Every wait is bounded; every process started here is stopped here.
"""
import fcntl
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools",
                                "serial"))
from loopback import free_port, start_ser2net, stop  # noqa: E402

SKIP = 77


def start_simulator(modemsim, *args):
    proc = subprocess.Popen([modemsim, *args], stdout=subprocess.PIPE, text=True)
    where = proc.stdout.readline().strip()
    return proc, where


def tiny_host(greeting):
    """A host on loopback that greets one caller, then waits for it to hang up."""
    srv = socket.socket()
    srv.bind(("127.0.0.1", 0))
    srv.listen(1)
    srv.settimeout(20)

    def serve():
        try:
            conn, _ = srv.accept()
            conn.sendall(greeting)
            conn.settimeout(20)
            while conn.recv(4096):
                pass
        except OSError:
            pass
        srv.close()

    threading.Thread(target=serve, daemon=True).start()
    return "127.0.0.1:%d" % srv.getsockname()[1]


def check(condition, message):
    if not condition:
        print("FAILED:", message)
        sys.exit(1)


def wvdialconf(modemsim, work):
    if not shutil.which("wvdialconf"):
        return SKIP
    if os.geteuid() != 0:
        print("wvdialconf scans only /dev: needs root for the link there")
        return SKIP
    # wvdialconf looks at /dev/ttyS*, /dev/ttyUSB*... only, so the pty gets a
    # name there for the length of the test. It scans every port and reports
    # the first modem it finds, so two runs at once would see each other's
    # simulators: a machine-wide lock keeps them apart.
    lock = open("/tmp/modemsim-wvdialconf.lock", "w")
    fcntl.flock(lock, fcntl.LOCK_EX)
    link = "/dev/ttyUSB%d" % (90 + os.getpid() % 9)
    sim, _ = start_simulator(modemsim, "--link", link, "--persona", "usr-sportster-288")
    try:
        conf = os.path.join(work, "wvdial.conf")
        out = subprocess.run(["wvdialconf", conf], stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                             text=True, timeout=240).stdout
        print(out)
        name = os.path.basename(link)
        check("Found a modem on %s." % link in out, "wvdialconf did not find the modem")
        check("%s<*1>: Modem Identifier: ATI -- 2886" % name in out, "wrong identification")
        check("Modem = %s" % link in open(conf).read(), "not in the written configuration")
    finally:
        stop(sim)
        lock.close()
    check(not os.path.lexists(link), "the link outlived the simulator")
    return 0


def chat(modemsim, work):
    if not shutil.which("chat"):
        return SKIP
    host = tiny_host(b"\r\nWelcome\r\n")
    sim, pty = start_simulator(modemsim, "--dial", "1-800-555-0199=" + host, "--dial", "5550100=busy",
                               "--dial-time", "100", "--transcript", os.path.join(work, "chat.log"))
    try:
        def dialogue(number):
            script = os.path.join(work, "dial.chat")
            with open(script, "w") as f:
                f.write("ABORT BUSY\nABORT 'NO CARRIER'\nABORT ERROR\nTIMEOUT 5\n"
                        "'' ATZ\nOK 'AT&F E1 V1 &C1 &D2'\nOK ATDT%s\nCONNECT ''\nWelcome\n" % number)
            with open(pty, "r+b", buffering=0) as port:
                return subprocess.run(["chat", "-v", "-s", "-f", script], stdin=port, stdout=port,
                                      stderr=subprocess.PIPE, timeout=30)
        ok = dialogue("9,1-800-555-0199")
        print(ok.stderr.decode(errors="replace"))
        check(ok.returncode == 0, "chat dialogue failed with %d" % ok.returncode)
        # Closing the port hangs up (on a pty the simulator sees the close,
        # as a modem sees DTR drop); give it a moment to see it.
        time.sleep(0.5)
        busy = dialogue("555-0100")
        # chat's exit code 4 + n: the n-th ABORT string came (BUSY is the first).
        check(busy.returncode == 4, "busy line gave exit %d, not 4" % busy.returncode)
    finally:
        stop(sim)
    log = open(os.path.join(work, "chat.log")).read()
    check('event "dial \\"T9,1-800-555-0199\\": connect' in log, "the call is not in the transcript")
    return 0


def ser2net(modemsim, work):
    if not shutil.which("ser2net"):
        return SKIP
    link = os.path.join(work, "modem")
    host = tiny_host(b"\r\nInfo:")
    sim, _ = start_simulator(modemsim, "--link", link, "--persona", "davicom", "--dial", "1=" + host,
                             "--dial-time", "50")
    ports = [free_port(), free_port()]
    conf = os.path.join(work, "ser2net.yaml")
    with open(conf, "w") as f:
        for name, accepter, port in (("c2217", "telnet(rfc2217),tcp", ports[0]), ("craw", "tcp", ports[1])):
            f.write("connection: &%s\n  accepter: %s,127.0.0.1,%d\n"
                    "  connector: serialdev,%s,115200n81,local\n" % (name, accepter, port, link))
    server = None
    try:
        server = start_ser2net(conf, ports[1])
        def talk(port, first, send, until):
            # ser2net may still be closing the device for the previous
            # caller and turns a new one away meanwhile: try again.
            deadline = time.time() + 15
            while True:
                got = b""
                try:
                    with socket.create_connection(("127.0.0.1", port), timeout=5) as s:
                        s.sendall(first + send)
                        while until not in got:
                            data = s.recv(4096)
                            if not data:
                                break
                            got += data
                except OSError:
                    pass
                if until in got or time.time() > deadline:
                    return got
                time.sleep(0.3)

        # The Telnet side offers com port control; the modem's answer comes through.
        telnet = talk(ports[0], bytes([255, 251, 44]), b"ATE0I3\r", b"OK\r\n")
        print(repr(telnet))
        check(b"\xff\xfd," in telnet, "ser2net did not take the com port option")
        check(b"\r\nDAVICOM DATA/FAX MODEM, DATE 97/09/22\r\n\r\nOK\r\n" in telnet, "no reply through RFC 2217")
        # A call through raw TCP: echo stays off (the modem keeps its settings
        # from one caller to the next) and the host's first prompt comes through.
        raw = talk(ports[1], b"", b"ATX0D1\r", b"Info:")
        print(repr(raw))
        check(raw == b"\r\nCONNECT\r\n\r\nInfo:", "no call through raw TCP")
    finally:
        stop(server)
        stop(sim)
    return 0


def main():
    modemsim, which = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory() as work:
        return {"wvdialconf": wvdialconf, "chat": chat, "ser2net": ser2net}[which](modemsim, work)


if __name__ == "__main__":
    sys.exit(main())
