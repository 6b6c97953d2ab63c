#!/usr/bin/env python3
"""Runs startup_items_test.exe in a Windows 95 shell and in a Program Manager
(NT 4) shell, then reads the links it left in the Startup folder with lnkinfo.

    startup_items_check.py SUITE_DIR
"""

import os
import shutil
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools", "wine"))
from startup_links import check_suite_links, startup_links  # noqa: E402
from wine import WineSession  # noqa: E402

SUITE = None


def run_in_shell(version):
    """Runs the test program; returns its exit status and the Startup links."""
    with WineSession(version=version, suite=SUITE) as session:
        suite = session.c_drive("C:\\KESTRIX")
        # Program Manager takes only programs that exist; the launcher is
        # another component, so stand in for it if this build lacks it.
        if not os.path.exists(os.path.join(suite, "KESTRIX.EXE")):
            shutil.copy(os.path.join(suite, "QVMENU.EXE"), os.path.join(suite, "KESTRIX.EXE"))
        status = session.run("startup_items_test.exe", timeout=120)
        return status, startup_links(session)


class StartupItems(unittest.TestCase):
    def test_windows95_shell_gets_shell_links(self):
        status, links = run_in_shell("win95")
        self.assertEqual(status, 0)
        check_suite_links(links)
        self.assertEqual(links["Kestrix.lnk"].get("Working directory"), "C:\\KESTRIX")

    def test_program_manager_shell_gets_group_items(self):
        status, links = run_in_shell("nt40")
        self.assertEqual(status, 0)
        check_suite_links(links)


if __name__ == "__main__":
    SUITE = sys.argv.pop(1)
    unittest.main()
