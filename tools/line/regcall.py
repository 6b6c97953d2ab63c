#!/usr/bin/env python3
"""regcall: the caller's side of a registration call, played on a modem's
serial port (the simulator's pty, or any tty).

It does what the registration wizard does on the line: initialise the modem,
dial, wait for CONNECT, answer the host's "Info:" with the product line and
its "Data:" with the 32-field record, take the product file up to the three
SUB bytes, then escape with +++ between guard times and hang up.

As a command:
    regcall.py /dev/pts/7 [--number 1-800-555-0199] [--tag KXWIN] [--out FILE]
prints what happened and the file's throughput, and exits 0 when registered.

As a library:
    with SerialPort(path) as port:
        result = RegistrationCall(port).run("1-800-555-0199", product_line(), sample_record())
"""
import argparse
import os
import re
import select
import sys
import termios
import time
import tty
from dataclasses import dataclass

PROMPTS = (b"\r\nInfo:", b"\r\nData:", b"\r\nFileSize:", b"\r\nOK\r\n", b"\r\nERROR\r\n",
           b"\r\nUNKNOWN\r\n", b"\r\nNO CARRIER\r\n")
INFO, DATA, FILE_SIZE, OK, ERROR, UNKNOWN, NO_CARRIER = range(len(PROMPTS))
FILE_END = b"\x1a\x1a\x1a"
DIAL_RESULTS = (b"CONNECT", b"BUSY", b"NO CARRIER", b"NO DIALTONE", b"NO ANSWER", b"ERROR")
FIELD_COUNT = 32
PRODUCT_FIELD = 14  # the record repeats the product line's tag here


class SerialPort:
    """A raw 8-bit serial port with a receive buffer that survives between waits."""

    def __init__(self, path, speed=termios.B57600):
        self.fd = os.open(path, os.O_RDWR | os.O_NOCTTY)
        tty.setraw(self.fd)
        attrs = termios.tcgetattr(self.fd)
        attrs[4] = attrs[5] = speed
        termios.tcsetattr(self.fd, termios.TCSANOW, attrs)
        self.pending = b""

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def close(self):
        if self.fd >= 0:
            os.close(self.fd)
            self.fd = -1

    def send(self, data):
        while data:
            data = data[os.write(self.fd, data):]

    def _fill(self, deadline):
        wait = deadline - time.monotonic()
        if wait <= 0:
            return False
        ready, _, _ = select.select([self.fd], [], [], wait)
        if ready:
            self.pending += os.read(self.fd, 4096)
        return True

    def wait_for(self, needles, timeout):
        """Reads until one of needles arrives. Returns (index, bytes before it),
        consuming through the needle; (None, b"") on timeout, consuming nothing."""
        deadline = time.monotonic() + timeout
        while True:
            found = [(self.pending.find(n), i) for i, n in enumerate(needles) if n in self.pending]
            if found:
                at, index = min(found)
                before = self.pending[:at]
                self.pending = self.pending[at + len(needles[index]):]
                return index, before
            if not self._fill(deadline):
                return None, b""

    def drain(self, seconds):
        """Keeps reading for a while; what arrived is discarded."""
        deadline = time.monotonic() + seconds
        while self._fill(deadline):
            pass
        self.pending = b""


@dataclass
class CallResult:
    outcome: str                 # registered, busy, no carrier, unknown, error, timeout, ...
    connect: str = ""            # the CONNECT line as the modem gave it
    line_speed: int = 0          # bit/s from that line (W2 reports the line's speed)
    announced_size: int = -1     # from "FileSize:"
    file: bytes = b""
    file_seconds: float = 0.0    # from OK to the third SUB
    file_bytes_timed: int = 0    # the file's bytes that came in that time

    @property
    def throughput(self):
        """Bytes per second of the file after OK (the three SUB bytes included)."""
        return self.file_bytes_timed / self.file_seconds if self.file_seconds else 0.0


def product_line(tag="KXWIN"):
    return f"{tag}\t{FIELD_COUNT}\tSF".encode()


def sample_record(tag="KXWIN"):
    """A filled-in record as the wizard sends it: Windows ANSI text, empty
    fields allowed, the product tag in its field."""
    fields = ["Jörg", "Müller", "Kestrix Test GmbH", "Hauptstraße 12", "", "Köln", "NRW", "50667",
              "Germany", "jm@example.com", "", "+49 221 555 0100", "+49 221 555 0101", "Hello",
              tag, "1.0", "USR Sportster V.34 28.8", "U.S. Robotics", "Pentium", "Office",
              "Magazine", "PC Pro", "Dealer", "Fax, voice", "", "", "", "", "", "CompuServe",
              "Windows 95", "COM2"]
    return [f.encode("cp1252") for f in fields]


class RegistrationCall:
    """One call through a Hayes modem; every wait has a time limit."""

    def __init__(self, port, init=(b"ATZ", b"ATE0V1X4W2&C1&D2"), guard=1.0, log=None):
        self.port = port
        self.init = init
        self.guard = guard      # S12 at its default of 50 is one second
        self.log = log or (lambda text: None)
        self.online = False

    def command(self, line, timeout=3.0):
        self.port.send(line + b"\r")
        index, _ = self.port.wait_for((b"OK\r\n", b"ERROR\r\n"), timeout)
        self.log(f"{line.decode()}: {'OK' if index == 0 else 'ERROR' if index == 1 else 'no answer'}")
        return index == 0

    def dial(self, number, timeout=60.0):
        """Dials and returns the result line ("CONNECT 28800", "BUSY"...) or ""."""
        self.port.send(b"ATDT" + number.encode() + b"\r")
        index, _ = self.port.wait_for(DIAL_RESULTS, timeout)
        if index is None:
            return ""
        _, rest = self.port.wait_for((b"\r\n",), 2.0)
        result = (DIAL_RESULTS[index] + rest).decode(errors="replace")
        self.online = index == 0
        self.log(f"dial {number}: {result}")
        return result

    def transfer(self, result, product, record):
        """The host's dialogue, led by its prompts, up to the end of the file."""
        limit = 30.0  # until the first "Info:", then each prompt within 5 s
        while True:
            index, _ = self.port.wait_for(PROMPTS, limit)
            if index is None:
                result.outcome = "timeout"
                return
            if index == INFO:
                limit = 5.0
                self.port.send(b"\r\n" + product + b"\r\n")
            elif index == DATA:
                self.port.send(b"\r\n" + b"\t".join(record) + b"\r\n")
            elif index == FILE_SIZE:
                got, line = self.port.wait_for((b"\r\n",), 2.0)
                if got == 0:
                    result.announced_size = int(line.strip() or b"0")
            elif index == OK:
                start = time.monotonic()
                early = len(self.port.pending)  # came with the OK: not timed
                got, body = self.port.wait_for((FILE_END, PROMPTS[NO_CARRIER]), 45.0)
                result.file_seconds = time.monotonic() - start
                result.file = body
                result.file_bytes_timed = len(body) + len(FILE_END) - early
                result.outcome = "registered" if got == 0 else "no carrier" if got == 1 else "timeout"
                if got == 1:
                    self.online = False
                return
            else:
                result.outcome = {ERROR: "error", UNKNOWN: "unknown", NO_CARRIER: "no carrier"}[index]
                self.online = index != NO_CARRIER
                return

    def hang_up(self):
        """+++ between guard times back to command mode, then ATH0."""
        if self.online:
            time.sleep(self.guard * 1.1)
            self.port.send(b"+++")
            index, _ = self.port.wait_for((b"OK\r\n", b"NO CARRIER\r\n"), self.guard * 3 + 2)
            self.log("+++: " + ("OK" if index == 0 else "NO CARRIER" if index == 1 else "no answer"))
        self.online = False
        return self.command(b"ATH0")

    def run(self, number, product, record):
        result = CallResult("no modem")
        if not all(self.command(line) for line in self.init):
            return result
        result.connect = self.dial(number)
        if not self.online:
            result.outcome = result.connect.lower() or "no dial result"
            return result
        speed = re.match(r"CONNECT (\d+)", result.connect)
        result.line_speed = int(speed.group(1)) if speed else 0
        self.transfer(result, product, record)
        if not self.hang_up() and result.outcome == "registered":
            result.outcome = "registered, hang-up failed"
        return result


def main():
    parser = argparse.ArgumentParser(description="Place a registration call through a modem.")
    parser.add_argument("port", help="the modem's serial port (pty path)")
    parser.add_argument("--number", default="1-800-555-0199")
    parser.add_argument("--tag", default="KXWIN", help="product tag of the product line and the record")
    parser.add_argument("--out", help="write the received file here")
    parser.add_argument("--guard", type=float, default=1.0, help="escape guard time in seconds (S12/50)")
    args = parser.parse_args()
    log = lambda text: print("regcall:", text, file=sys.stderr)
    with SerialPort(args.port) as port:
        result = RegistrationCall(port, guard=args.guard, log=log).run(
            args.number, product_line(args.tag), sample_record(args.tag))
    if args.out and result.outcome == "registered":
        with open(args.out, "wb") as f:
            f.write(result.file)
    report = f"{result.outcome}: {result.connect or '-'}"
    if result.file:
        report += (f"; file {len(result.file)} bytes (announced {result.announced_size}) in"
                   f" {result.file_seconds:.3f} s, {result.throughput:.0f} bytes/s of the"
                   f" {result.line_speed // 10} the line allows")
    print(report)
    return 0 if result.outcome == "registered" else 1


if __name__ == "__main__":
    sys.exit(main())
