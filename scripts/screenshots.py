#!/usr/bin/env python3
"""Pictures of every setup wizard page, as Windows 95 and as NT 4, taken
from the launcher running under Wine, into docs/screenshots/. On Windows 95
two modems are installed, so the modem-or-port page lists them as lines,
and the Modems control panel its "&Add..." opens is pictured too.

    scripts/screenshots.py [BUILD_BIN] [--version win95|nt40]
        (default build/x64/bin, both versions)
    scripts/screenshots.py [BUILD_BIN] --captions
        the caption test's eight dialogs (every mix of system menu, minimize
        and maximize box) under both systems: docs/screenshots/captions-*.png
"""
import os
import subprocess
import sys
import time

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(TOP, "tools", "wine"))
from wine import WineSession  # noqa: E402

SHEET = "Kestrix Setup Wizard"
OUT = os.path.join(TOP, "docs", "screenshots")
# The page name and what to type into it before the picture is taken.
PAGES = [
    ("welcome", {}),
    ("identity", {1065: "Ada Lovelace", 1066: "Analytical Engines Ltd", 1067: "555-0199",
                  1069: "555-0100", 1068: "555-0142", 1076: "212"}),
    ("address", {1074: "12 St James's Square", 1070: "London", 1072: "SW1Y 4JH",
                 1076: "ada@example.org"}),
    ("modem-port", {}),
    ("modem-model", {}),
    ("startup", {}),
]


class Driver:
    def __init__(self, session):
        self.p = session.start("WIZDRIVE.EXE", [], stdin=subprocess.PIPE,
                               stdout=subprocess.PIPE, text=True)

    def do(self, line):
        self.p.stdin.write(line + "\n")
        self.p.stdin.flush()
        answer = self.p.stdout.readline().strip()
        if not answer.startswith("ok"):
            raise RuntimeError("%s -> %s" % (line, answer))
        return answer[3:]


def shoot(session, window, name, crop_to=None):
    """The window; with crop_to, the screen where that window stands (so a
    message box over it shows too)."""
    path = os.path.join(OUT, name + ".png")
    command = ["import", "-display", session.display, "-window", window]
    if crop_to:
        geometry = dict(line.split("=") for line in
                        session.xdotool("getwindowgeometry", "--shell", crop_to).split())
        command += ["-crop", "%sx%s+%s+%s" % (geometry["WIDTH"], geometry["HEIGHT"],
                                              geometry["X"], geometry["Y"])]
    subprocess.run(command + [path], check=True)
    print(path)


MODEMS = [("0000", "Zoom V.34 External", "COM2"), ("0001", "Hayes Accura 336", "COM1")]


def install_modems(s):
    reg = s.c_drive("C:\\windows\\system32\\reg.exe")
    for key, name, port in MODEMS:
        path = r"HKLM\System\CurrentControlSet\Services\Class\Modem\%s" % key
        for value, data in (("FriendlyName", name), ("DriverDesc", name), ("AttachedTo", port)):
            s.run(reg, ["add", path, "/v", value, "/d", data, "/f"], stdout=subprocess.DEVNULL)


def modems_applet(s, d, window):
    """The applet "&Add..." opens, then back to the page with a direct port
    chosen, so the modem model page follows."""
    d.do("press 1080")
    d.do("sheet Modems Properties")
    time.sleep(0.5)
    shoot(s, "root", "modems-applet-win95", crop_to=s.wait_for_window("^Modems Properties$"))
    d.do("close")
    d.do("sheet " + SHEET)
    time.sleep(1)
    d.do("select 1021 Direct to COM2")


def pictures(bin_dir, version):
    with WineSession(version=version, suite=bin_dir, env={"QVHELP_VIEWER": "none"}) as s:
        if version == "win95":
            install_modems(s)
        kestrix = s.start("KESTRIX.EXE", ["--setup"], stdout=subprocess.DEVNULL)
        d = Driver(s)
        d.do("sheet " + SHEET)
        window = s.wait_for_window("^" + SHEET + "$")
        # Without a window manager only a click makes the sheet the active
        # window, with the active caption colours.
        s.xdotool("mousemove", "--window", window, "150", "8", "click", "1")
        s.xdotool("mousemove", "0", "0")
        for index, (page, values) in enumerate(PAGES):
            for control, text in values.items():
                d.do("set %d %s" % (control, text))
            time.sleep(0.5)
            shoot(s, window, "setup-%s-%d-%s" % (version, index + 1, page))
            if page == "identity" and version == "win95":
                d.do("set 1076 ")
                d.do("press 57620")
                time.sleep(0.5)
                s.wait_for_window("^Setup Wizard$")
                shoot(s, "root", "setup-%s-area-code-message" % version, crop_to=window)
                d.do("msgbox Setup Wizard")
                d.do("set 1076 212")
            if page == "modem-port" and version == "win95":
                modems_applet(s, d, window)
            if index + 1 < len(PAGES):
                d.do("press 57620")
        d.do("close")
        d.do("gone")
        d.p.stdin.close()
        d.p.wait(10)
        kestrix.wait(30)


def caption_pictures(bin_dir, version):
    with WineSession(version=version, suite=bin_dir) as s:
        probe = s.start("CAPPROBE.EXE", [], stdout=subprocess.PIPE, text=True)
        while probe.stdout.readline().strip() != "ready":
            pass
        window = s.wait_for_window("^Probe$")
        s.xdotool("mousemove", "--window", window, "100", "8", "click", "1")
        s.xdotool("mousemove", "0", "0")
        time.sleep(0.5)
        path = os.path.join(OUT, "captions-%s.png" % version)
        subprocess.run(["import", "-display", s.display, "-window", "root",
                        "-crop", "950x650+0+0", path], check=True)
        print(path)
        probe.kill()


def main():
    args = sys.argv[1:]
    versions = ("win95", "nt40")
    if "--version" in args:
        at = args.index("--version")
        versions = (args[at + 1],)
        del args[at:at + 2]
    bin_dir = [a for a in args if not a.startswith("--")]
    bin_dir = bin_dir[0] if bin_dir else os.path.join(TOP, "build", "x64", "bin")
    if not os.path.exists(os.path.join(bin_dir, "WIZDRIVE.EXE")):
        print("build the x64 tree first (scripts/build.sh x64)")
        return 1
    os.makedirs(OUT, exist_ok=True)
    if "--captions" in args:
        for version in ("win95", "nt40"):
            caption_pictures(bin_dir, version)
        return 0
    for version in versions:
        pictures(bin_dir, version)
    return 0


if __name__ == "__main__":
    sys.exit(main())
