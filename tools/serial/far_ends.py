#!/usr/bin/env python3
"""The far ends a serial port test talks to, all on this machine and loopback.

PtyPeer    the other side of a pty that Wine maps to a COM port: echoes every
           byte, answers ENQ (0x05) with a status line, and counts hang-ups
           (the COM side closing the pty, which is how a DTR drop shows).
ComPortServer  a small RFC 2217 server with modem lines: echoes data, confirms
           every command, reports carrier detect and drops it when DTR falls;
           byte 0x01 raises it (a call), 0x02 drops it;
           ENQ answers with the commands received since the last ENQ, as
           "command=value" in hex, space-separated.
Ser2net    ser2net in front of a pty, as an independent RFC 2217 server.

serial_rig.py starts them around a Windows test program.
"""

import os
import select
import socket
import sys
import termios
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from loopback import free_port, start_ser2net, stop  # noqa: E402

ENQ = 0x05
FLOOD = 0x03         # the RFC 2217 server then sends FLOOD_BYTES without pause
FLOOD_BYTES = 16 << 20
IAC, SB, SE, WILL, WONT, DO, DONT = 255, 250, 240, 251, 252, 253, 254
COM_PORT = 44

SPEEDS = {getattr(termios, "B%d" % b): b
          for b in (300, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200)}


def line_settings(path):
    """Speed, data bits, parity letter and stop bits the pty is set to."""
    fd = os.open(path, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
    try:
        iflag, oflag, cflag, lflag, ispeed, ospeed, cc = termios.tcgetattr(fd)
    finally:
        os.close(fd)
    bits = {termios.CS5: 5, termios.CS6: 6, termios.CS7: 7, termios.CS8: 8}[cflag & termios.CSIZE]
    parity = "N"
    if cflag & termios.PARENB:
        parity = "O" if cflag & termios.PARODD else "E"
    stop = 2 if cflag & termios.CSTOPB else 1
    return SPEEDS.get(ospeed, 0), bits, parity, stop


class PtyPeer(threading.Thread):
    def __init__(self):
        super().__init__(daemon=True)
        self.master, slave = os.openpty()
        self.path = os.ttyname(slave)
        os.close(slave)
        self.hangups = 0
        self.received = 0
        self._halt = threading.Event()

    def status(self):
        speed, bits, parity, stop = line_settings(self.path)
        return ("H%d S%d C%d P%s B%d\r" % (self.hangups, speed, bits, parity, stop)).encode()

    def run(self):
        is_open = False
        poller = select.poll()
        poller.register(self.master, select.POLLIN)
        while not self._halt.is_set():
            events = poller.poll(50)
            if not events:
                continue
            hung_up = any(ev & select.POLLHUP for _, ev in events)
            data = b""
            if any(ev & select.POLLIN for _, ev in events):
                try:
                    data = os.read(self.master, 4096)
                except OSError:
                    hung_up = True
            if hung_up and not data:
                if is_open:
                    self.hangups += 1
                is_open = False
                time.sleep(0.02)
                continue
            is_open = True
            self.received += len(data)
            reply = bytearray()
            for b in data:
                if b == ENQ:
                    reply += self.status()
                else:
                    reply.append(b)
            self._write(bytes(reply))

    def _write(self, data):
        while data:
            try:
                n = os.write(self.master, data)
            except BlockingIOError:
                time.sleep(0.005)
                continue
            data = data[n:]

    def stop(self):
        self._halt.set()
        self.join(2)
        os.close(self.master)


class ComPortServer(threading.Thread):
    """Serves one connection at a time on 127.0.0.1."""

    def __init__(self, report_at_start=True):
        super().__init__(daemon=True)
        self.report_at_start = report_at_start  # some servers wait for a change
        self.listener = socket.socket()
        self.listener.bind(("127.0.0.1", 0))
        self.listener.listen(1)
        self.listener.settimeout(0.1)
        self.port = self.listener.getsockname()[1]
        self.commands = []      # (command, value bytes) in the order received
        self._halt = threading.Event()

    def run(self):
        while not self._halt.is_set():
            try:
                conn, _ = self.listener.accept()
            except socket.timeout:
                continue
            with conn:
                self._serve(conn)

    def _serve(self, conn):
        conn.settimeout(0.1)
        carrier = True
        mask = 0xFF
        state, sub = "data", bytearray()

        def notify(cd):
            # As strict servers do: only the bits the client asked for, and
            # nothing at all when none of them is set.
            value = ((0x80 if cd else 0) | 0x08) & mask
            if value:
                conn.sendall(bytes([IAC, SB, COM_PORT, 107, value, IAC, SE]))

        while not self._halt.is_set():
            try:
                chunk = conn.recv(4096)
            except socket.timeout:
                continue
            if not chunk:
                return
            out = bytearray()
            for b in chunk:
                if state == "data":
                    if b == IAC:
                        state = "iac"
                    elif b in (1, 2):
                        carrier = b == 1
                        notify(carrier)
                    elif b == FLOOD:
                        if not self._flood(conn):
                            return
                    elif b == ENQ:
                        log = " ".join("%d=%s" % (c, v.hex()) for c, v in self.commands)
                        out += log.encode() + b"\r"
                        self.commands = []
                    else:
                        out.append(b)
                elif state == "iac":
                    if b == IAC:
                        out += bytes([IAC, IAC])
                        state = "data"
                    elif b in (WILL, WONT, DO, DONT):
                        state = ("opt", b)
                    elif b == SB:
                        state, sub = "sb", bytearray()
                    else:
                        state = "data"
                elif state == "sb":
                    if b == IAC:
                        state = "sbiac"
                    else:
                        sub.append(b)
                elif state == "sbiac":
                    if b == SE:
                        state = "data"
                        if sub and sub[0] == COM_PORT and len(sub) >= 2:
                            cmd, value = sub[1], bytes(sub[2:])
                            self.commands.append((cmd, value))
                            reply = bytes([IAC, SB, COM_PORT, cmd + 100])
                            reply += value.replace(bytes([IAC]), bytes([IAC, IAC]))
                            conn.sendall(reply + bytes([IAC, SE]))
                            if cmd == 11 and value:  # modem state mask set
                                mask = value[0]
                                if self.report_at_start:
                                    notify(carrier)
                            if cmd == 5 and value == b"\x09" and carrier:
                                carrier = False  # a modem hangs up when DTR drops
                                notify(carrier)
                    else:
                        sub.append(b)
                        state = "sb"
                else:
                    verb = state[1]
                    if verb == WILL and b == COM_PORT:
                        conn.sendall(bytes([IAC, DO, COM_PORT]))
                    state = "data"
            if out:
                conn.sendall(bytes(out))

    def _flood(self, conn):
        """A runaway device: FLOOD_BYTES of data as fast as the client
        takes them. False once the client has gone."""
        chunk, left = b"x" * 65536, FLOOD_BYTES
        while left > 0 and not self._halt.is_set():
            try:
                left -= conn.send(chunk[:left])
            except socket.timeout:
                continue
            except OSError:
                return False
        return True

    def stop(self):
        self._halt.set()
        self.join(2)
        self.listener.close()


class Ser2net:
    """ser2net serving a pty (with its own PtyPeer) on a loopback port."""

    def __init__(self, workdir):
        self.peer = PtyPeer()
        self.port = free_port()
        self.config = os.path.join(workdir, "ser2net.yaml")
        with open(self.config, "w") as f:
            f.write("connection: &test\n"
                    "  accepter: telnet(rfc2217),tcp,127.0.0.1,%d\n"
                    "  connector: serialdev,%s,9600n81,local\n"
                    "  options:\n"
                    "    kickolduser: true\n" % (self.port, self.peer.path))
        self.process = None

    def start(self):
        self.peer.start()
        self.process = start_ser2net(self.config, self.port, "-u")

    def stop(self):
        stop(self.process)
        self.peer.stop()
