#!/usr/bin/env python3
"""Runs startup_items_test.exe in a Windows 95 shell and in a Program Manager
(NT 4) shell, then reads the links it left in the Startup folder with lnkinfo,
a reader of .lnk files written by other people.

    startup_items_check.py SUITE_DIR
"""

import glob
import os
import shutil
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "harness"))
from wine import WineSession  # noqa: E402

SUITE = None
STARTUP = "users/*/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/StartUp"


def lnkinfo(path):
    """The fields lnkinfo prints, as a dict ("Local path", ...)."""
    out = subprocess.run(["lnkinfo", path], check=True, stdout=subprocess.PIPE, text=True).stdout
    fields = {}
    for line in out.splitlines():
        name, sep, value = line.strip().partition(":")
        if sep and name.strip() not in fields:
            fields[name.strip()] = value.strip()
    return fields


def run_in_shell(version):
    """Runs the test program; returns its exit status and the Startup links."""
    with WineSession(version=version, suite=SUITE) as session:
        suite = session.c_drive("C:\\KESTRIX")
        # Program Manager takes only programs that exist; the launcher is
        # another component, so stand in for it if this build lacks it.
        if not os.path.exists(os.path.join(suite, "KESTRIX.EXE")):
            shutil.copy(os.path.join(suite, "QVMENU.EXE"), os.path.join(suite, "KESTRIX.EXE"))
        status = session.run("startup_items_test.exe", timeout=120)
        links = {}
        for folder in glob.glob(os.path.join(session.c_drive(), STARTUP)):
            for path in glob.glob(os.path.join(folder, "*.lnk")):
                links[os.path.basename(path)] = lnkinfo(path)
        return status, links


class StartupItems(unittest.TestCase):
    def check_links(self, links):
        self.assertEqual(sorted(links), ["Kestrix Menu.lnk", "Kestrix.lnk"])
        suite, menu = links["Kestrix.lnk"], links["Kestrix Menu.lnk"]
        self.assertEqual(suite.get("Local path"), "C:\\KESTRIX\\KESTRIX.EXE")
        self.assertNotIn("Command line arguments", suite)
        self.assertEqual(menu.get("Local path"), "C:\\KESTRIX\\QVMENU.EXE")
        self.assertEqual(menu.get("Command line arguments"), "/KX")
        self.assertEqual(menu.get("Description"), "Kestrix Menu")

    def test_windows95_shell_gets_shell_links(self):
        status, links = run_in_shell("win95")
        self.assertEqual(status, 0)
        self.check_links(links)
        self.assertEqual(links["Kestrix.lnk"].get("Working directory"), "C:\\KESTRIX")

    def test_program_manager_shell_gets_group_items(self):
        status, links = run_in_shell("nt40")
        self.assertEqual(status, 0)
        self.check_links(links)


if __name__ == "__main__":
    SUITE = sys.argv.pop(1)
    unittest.main()
