#!/usr/bin/env python3
"""Runs startup_items_test.exe in a Windows 95 shell and in a Program Manager
(NT 4) shell: it passes, and what it was refused left no link behind.

    startup_items_check.py SUITE_DIR
"""

import os
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools", "wine"))
from startup_links import startup_links  # noqa: E402
from wine import WineSession  # noqa: E402

SUITE = None


class StartupItems(unittest.TestCase):
    def test_refused_items_leave_nothing_in_either_shell(self):
        for version in ("win95", "nt40"):
            with WineSession(version=version, suite=SUITE) as session:
                status = session.run("startup_items_test.exe", timeout=120)
                self.assertEqual((status, startup_links(session)), (0, {}), version)


if __name__ == "__main__":
    SUITE = sys.argv.pop(1)
    unittest.main()
