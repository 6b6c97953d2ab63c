#!/usr/bin/env python3
"""The caption bar on the screen: the setup sheet and CAPPROBE.EXE's eight
dialogs under Wine, pixels read back from the X display, mouse input from
xdotool.

    caption_test.py --suite build/x64/bin --version nt40|win95
"""
import argparse
import os
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools", "wine"))
from wine import WineSession  # noqa: E402

SHEET = "Kestrix Setup Wizard"
LIGHT, DARK = "ffffff", "808080"


class Probe:
    """CAPPROBE.EXE and the lines it printed, each split into words."""

    def __init__(self, session, *args):
        self.p = session.start("CAPPROBE.EXE", list(args), stdout=subprocess.PIPE, text=True)
        self.patience = session.patience
        self.lines = []
        threading.Thread(target=lambda: self.lines.extend(l.split() for l in self.p.stdout),
                         daemon=True).start()

    def get(self, kind, ident=None):
        return [l for l in self.lines if l[0] == kind and (ident is None or int(l[1]) == ident)]

    def wait(self, kind, ident=None, timeout=20):
        deadline = time.monotonic() + timeout * self.patience
        while not self.get(kind, ident):
            assert time.monotonic() < deadline, "no %s %s; got %s" % (kind, ident, self.lines)
            time.sleep(0.1)
        return self.get(kind, ident)[0]

    def at(self, kind, ident):
        line = self.wait(kind, ident)
        return int(line[2]), int(line[3])


def pixel_reader(s):
    raw = subprocess.run(["import", "-display", s.display, "-window", "root", "-depth", "8",
                          "rgb:-"], stdout=subprocess.PIPE, check=True).stdout
    return lambda x, y: raw[(y * 1024 + x) * 3:(y * 1024 + x) * 3 + 3].hex()


def wrong_pixels(s, probe, active, ids=range(10)):
    """Checks of the dialogs numbered ids whose pixel differs; the caption
    fill is compared with the active colour for the dialog numbered active,
    the inactive one else."""
    time.sleep(0.5)
    pixel = pixel_reader(s)
    checks = [(l[1] + " " + l[2], int(l[3]), int(l[4]), l[5]) for l in probe.get("check")
              if int(l[1]) in ids]
    if probe.get("colours"):
        colours = probe.get("colours")[0]
        checks += [("%s fill" % l[1], int(l[2]), int(l[3]), colours[1 if int(l[1]) == active else 2])
                   for l in probe.get("fill") if int(l[1]) in ids]
    return ["%s at %d,%d is %s, want %s" % (what, x, y, pixel(x, y), want)
            for what, x, y, want in checks if pixel(x, y) != want]


def wrong_title(s, probe, ident, active):
    """Where the title of dialog ident goes wrong along its text's middle
    row: anything but the fill just outside the centred text's span (the
    frame's lines cross the caption further out), or no pixel of the text
    colour inside it."""
    colours = probe.get("colours")[0]
    fill, text = (colours[1], colours[3]) if active else (colours[2], colours[4])
    start, end, text_start, text_end, y = map(int, probe.get("title", ident)[0][2:])
    pixel = pixel_reader(s)
    bad = ["%d,%d is %s, want %s" % (x, y, pixel(x, y), fill)
           for x in range(max(start, text_start - 8), min(end, text_end + 8))
           if not text_start - 1 <= x <= text_end and pixel(x, y) != fill]
    if text not in [pixel(x, y) for x in range(text_start, text_end)]:
        bad.append("no %s at %d-%d,%d" % (text, text_start, text_end, y))
    return bad


def wait_for(condition, probe, timeout=20):
    deadline = time.monotonic() + timeout
    while not condition():
        assert time.monotonic() < deadline, probe.lines
        time.sleep(0.1)


def mouse(s, point, *actions):
    s.xdotool("mousemove", str(point[0]), str(point[1]), *actions)
    time.sleep(0.4)


def wrong_sheet_pixels(s):
    kestrix = s.start("KESTRIX.EXE", ["--setup"], stdout=subprocess.DEVNULL)
    window = s.wait_for_window("^" + SHEET + "$")
    s.xdotool("mousemove", "--window", window, "150", "8", "click", "1")
    probe = Probe(s, "--find", SHEET)
    assert probe.p.wait(20 * s.patience) == 0
    bad = wrong_pixels(s, probe, 0)
    kestrix.kill()
    kestrix.wait(20 * s.patience)
    return bad


def nt(s):
    bad = wrong_sheet_pixels(s)
    assert not bad, "setup sheet:\n" + "\n".join(bad)
    probe = Probe(s)
    probe.wait("ready")
    mouse(s, probe.at("fill", 7), "click", "1")
    bad = wrong_pixels(s, probe, 7) + wrong_title(s, probe, 7, True) + wrong_title(s, probe, 0, False)
    assert not bad, "\n".join(bad)

    # A double-click on the caption does nothing.
    mouse(s, probe.at("fill", 7), "click", "--repeat", "2", "--delay", "80", "1")
    assert not [l for l in probe.get("syscommand", 7) if l[2] != "f010"], probe.lines
    assert not probe.get("close", 7)

    # Clicks a pixel outside the drawn caption close nothing.
    for band in probe.get("band", 5):
        mouse(s, (int(band[2]), int(band[3])), "click", "1")
    assert not probe.get("close", 5)
    assert not [l for l in probe.get("syscommand", 5) if l[2] != "f010"], probe.get("syscommand")

    # A click off the box forgets the menu it opened: the next click on the
    # box opens it again.
    for point in [probe.at("sysmenu", 5), probe.at("fill", 5), probe.at("fill", 5),
                  probe.at("sysmenu", 5)]:
        mouse(s, point, "click", "1")
    wait_for(lambda: len(probe.get("menu", 5)) == 2, probe)
    mouse(s, probe.at("sysmenu", 5), "click", "1")

    # Dragged by its caption, a dialog moves.
    x, y = probe.at("fill", 6)
    mouse(s, (x, y), "mousedown", "1")
    mouse(s, (x + 40, y + 30))
    mouse(s, (x + 40, y + 30), "mouseup", "1")
    assert probe.wait("moved", 6)[2:] == ["40", "30"], probe.get("moved")

    # The box opens the menu with size, maximize and restore greyed; a
    # second click closes it without opening it again.
    mouse(s, probe.at("sysmenu", 3), "click", "1")
    assert probe.wait("menu", 3)[2] == "01011", probe.get("menu")
    mouse(s, probe.at("sysmenu", 3), "click", "1")
    probe.wait("menuend", 3)
    time.sleep(0.5)
    assert len(probe.get("menu", 3)) == 1, probe.get("menu")

    # Pressed while the cursor is on the button, released off it: nothing.
    edge = [(int(l[3]), int(l[4])) for l in probe.get("check", 3) if l[2] == "button-light"][0]
    button = probe.at("minimize", 3)
    off = (button[0], button[1] + 60)
    faces = []
    for point, action in [(button, "mousedown"), (off, None), (button, None), (off, "mouseup")]:
        mouse(s, point, *([action, "1"] if action else []))
        faces.append(pixel_reader(s)(*edge))
    assert faces == [DARK, LIGHT, DARK, LIGHT], faces
    assert not probe.get("syscommand", 3), probe.get("syscommand")

    mouse(s, probe.at("sysmenu", 1), "click", "--repeat", "2", "--delay", "80", "1")
    probe.wait("close", 1)
    mouse(s, button, "click", "1")
    assert probe.wait("syscommand", 3)[2] == "f020"
    # Iconic, its menu (opened by the probe) offers maximize, not restore.
    wait_for(lambda: len(probe.get("menu", 3)) == 2, probe)
    assert probe.get("menu", 3)[1][2] == "11001", probe.get("menu")

    # Maximized: the restore glyph, and a menu with move greyed and restore not.
    mouse(s, probe.at("maximize", 7), "click", "1")
    assert probe.get("syscommand", 7)[-1][2] == "f030", probe.get("syscommand")
    probe.wait("maximized", 7)
    bad = wrong_pixels(s, probe, 17, ids=[17])
    assert not bad, "maximized:\n" + "\n".join(bad)
    assert [l for l in probe.get("check", 17) if l[2] == "glyph-restore"], probe.get("check", 17)
    mouse(s, probe.at("sysmenu", 17), "click", "1")
    assert probe.wait("menu", 7)[2] == "11000", probe.get("menu")
    mouse(s, probe.at("sysmenu", 17), "click", "1")
    probe.wait("menuend", 7)
    mouse(s, probe.at("maximize", 17), "click", "1")
    assert probe.get("syscommand", 7)[-1][2] == "f120", probe.get("syscommand")


def win95(s):
    assert wrong_sheet_pixels(s), "the system did not draw the sheet's frame"
    probe = Probe(s)
    probe.wait("ready")
    # The system's own double-click on a caption maximizes (its caption
    # buttons take the right end).
    x, y = probe.at("fill", 7)
    mouse(s, (x - 100, y), "click", "--repeat", "2", "--delay", "80", "1")
    assert "f030" in [l[2] for l in probe.get("syscommand", 7)], probe.lines


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--suite", required=True)
    ap.add_argument("--version", required=True)
    a = ap.parse_args()
    with WineSession(version=a.version, suite=a.suite, env={"QVHELP_VIEWER": "none"}) as s:
        (win95 if a.version == "win95" else nt)(s)
    print("caption_%s: passed" % a.version)
    return 0


if __name__ == "__main__":
    sys.exit(main())
