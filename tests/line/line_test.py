#!/usr/bin/env python3
"""The registration call end to end: start-line.sh brings up the host and the
simulated modem, regcall plays the caller on the pty, and the database, the
received file and the modem's transcript are checked after each call.

    line_test.py START_LINE_SH BIN_DIR
"""
import os
import signal
import sqlite3
import subprocess
import sys
import tempfile
import unittest

TOP = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(TOP, "tools", "line"))
import regcall  # noqa: E402

START, BIN = sys.argv[1:3] if len(sys.argv) >= 3 else ("", "")


class Line(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.TemporaryDirectory(prefix="line-test-")
        cls.line = subprocess.Popen([START, "--dir", cls.dir.name], stdout=subprocess.PIPE, text=True,
                                    env=dict(os.environ, QV_BIN=BIN))
        cls.pty = cls.line.stdout.readline().strip()

    @classmethod
    def tearDownClass(cls):
        cls.line.send_signal(signal.SIGTERM)
        cls.line.wait(10)
        cls.dir.cleanup()

    def call(self, number, tag="KXWIN"):
        self.assertTrue(self.pty.startswith("/dev/"), f"no pty from start-line.sh: {self.pty!r}")
        with regcall.SerialPort(self.pty) as port:
            return regcall.RegistrationCall(port).run(number, regcall.product_line(tag), regcall.sample_record(tag))

    def rows(self):
        """Each row as its product line and the 32 field columns, which run from first_name to port."""
        with sqlite3.connect(os.path.join(self.dir.name, "regs.sqlite")) as db:
            cursor = db.execute("SELECT * FROM registrations")
            names = [d[0] for d in cursor.description]
            line, first = names.index("product_line"), names.index("first_name")
            self.assertEqual(names[first + 31], "port")
            return [[row[line]] + list(row[first:first + 32]) for row in cursor.fetchall()]

    def transcript(self):
        with open(os.path.join(self.dir.name, "modem.log"), encoding="utf-8", errors="replace") as f:
            return f.read()

    def test_1_registration_stores_the_record_and_delivers_the_file(self):
        result = self.call("1-800-555-0199")
        self.assertEqual(result.outcome, "registered", result)
        with open(os.path.join(TOP, "data", "reghost", "product.rtf"), "rb") as f:
            expected = f.read()
        self.assertEqual(result.announced_size, len(expected))
        self.assertEqual(result.file, expected)
        # The pace of data mode is modemsim_process_test's (28800 bit/s, both bounds).
        self.assertEqual(result.line_speed, 28800)

        rows = self.rows()
        self.assertEqual(len(rows), 1)
        fields = [f.decode("cp1252") for f in regcall.sample_record()]
        self.assertEqual(rows[0], ["KXWIN\t32\tSF"] + fields)  # Windows ANSI arrives as UTF-8

        log = self.transcript()
        for seen in ('event "dial \\"T1-800-555-0199\\": connect 127.0.0.1:', 'event "host answered"',
                     'dte-out "\\r\\nCONNECT 28800\\r\\n"', 'dte-in "+++"', 'dte-in "ATH0\\r"',
                     'event "hang up"'):
            self.assertIn(seen, log)
        self.assertLess(log.index("CONNECT 28800"), log.index('event "hang up"'))

    def test_2_refused_calls_store_nothing(self):
        before = len(self.rows())
        busy = self.call("555-0101")
        self.assertEqual((busy.outcome, busy.connect), ("busy", "BUSY"))
        refused = self.call("1-800-555-0199", tag="KXMAC")
        self.assertEqual(refused.outcome, "unknown", refused)
        self.assertEqual(refused.file, b"")
        self.assertEqual(len(self.rows()), before)
        self.assertIn('event "call result busy"', self.transcript())


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
