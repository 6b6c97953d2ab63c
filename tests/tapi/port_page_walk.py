#!/usr/bin/env python3
"""The modem-or-port page under Wine, driven by WIZDRIVE.EXE: with the
suite's line provider and modems in the registry, with Wine's own TAPI32,
and on NT.   port_page_walk.py --suite build/x64/bin [-k NAME]"""
import argparse
import os
import subprocess
import sys
import traceback

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools", "wine"))
from wine import WineSession  # noqa: E402
from wizard_driver import SHEET, Suite, Wizard, choose, walk_to_port  # noqa: E402

MODEMS = r"HKLM\System\CurrentControlSet\Services\Class\Modem"
PORTS = ["Direct to COM%d" % n for n in range(1, 10)]
LIST, ICON, ADD = 1021, 1045, 1080


def install(suite, key, **values):
    """A modem key as reg.exe writes it; without values, an empty key."""
    for name, value in (values or {"": None}).items():
        args = ["add", "%s\\%s" % (MODEMS, key), "/f"] + (["/v", name, "/d", value] if name else [])
        assert suite.s.run(suite.s.c_drive("C:\\windows\\system32\\reg.exe"), args,
                           stdout=subprocess.DEVNULL) == 0, args


def items(w):
    return w.do("items %d" % LIST).split("|")


def lines_come_first_and_skip_the_model_page(suite):
    suite.reset()
    install(suite, "0000", FriendlyName="Zoom V.34", AttachedTo="COM2")
    install(suite, "0001", FriendlyName="Hayes Accura 336", AttachedTo="COM1")
    install(suite, "0002")                                   # no fields at all
    install(suite, "0003", FriendlyName="No Port")
    w = Wizard(suite)
    walk_to_port(w)
    assert items(w) == ["Hayes Accura 336", "Zoom V.34"] + PORTS[:4], items(w)
    w.do("select %d Zoom V.34" % LIST)
    line_icon = w.do("icon %d" % ICON)
    w.do("select %d Direct to COM2" % LIST)
    assert w.do("icon %d" % ICON) not in ("0", line_icon), "the icon follows the choice"
    w.press("next")
    assert w.page() == "model", "a direct port leads to the model page, not %s" % w.page()
    w.press("back")
    w.do("select %d Zoom V.34" % LIST)
    w.press("next")
    assert w.page() == "startup", "a line skips the model page"
    w.press("back")
    assert w.page() == "port", "Back skips it too"
    w.press("next")
    choose(w, False, False, False)
    w.press("next")
    assert w.finish() == 1
    assert suite.profile().get("L55") == "Zoom V.34", suite.profile().get("L55")

    # Preselected from the profile next time; nothing stored on cancel.
    w = Wizard(suite)
    walk_to_port(w)
    assert w.do("get %d" % LIST) == "Zoom V.34"
    w.do("select %d Hayes Accura 336" % LIST)
    w.press("next")
    w.do("close")
    assert w.finish() == 0
    assert suite.profile().get("L55") == "Zoom V.34"


def add_installs_a_modem_with_real_keys(suite):
    suite.reset()
    w = Wizard(suite)
    walk_to_port(w)
    assert items(w) == PORTS[:4], items(w)
    sheet = suite.s.wait_for_window("^%s$" % SHEET)

    def keys(dialog, *names):
        """Keys for the dialog once it shows; the applet's newest window has
        the focus by itself."""
        w.do("sheet " + dialog)
        if dialog == SHEET:  # a click on its picture makes it active again
            suite.s.xdotool("mousemove", "--window", sheet, "60", "150", "click", "1")
        for name in names:
            suite.s.xdotool("key", "--delay", "80", name)
        w.do("pause 400")

    def listed_after_reload(count):
        w.do("sheet " + SHEET)
        for _ in range(50):
            if len(items(w)) == count:
                break
            w.do("pause 100")
        return items(w)

    keys(SHEET, "alt+a")
    keys("Modems Properties", "alt+a")
    keys("Install New Modem", "Return")
    keys("Modems Properties", "Escape")
    added = listed_after_reload(5)
    assert len(added) == 5 and added[1:] == PORTS[:4], added

    # The applet closed while a modem is being installed: nothing is added.
    keys(SHEET, "alt+a")
    keys("Modems Properties", "alt+a")
    w.do("sheet Install New Modem")
    w.do("sheet Modems Properties")
    w.do("close")
    w.do("sheet " + SHEET)
    w.do("pause 1000")
    assert items(w) == added, items(w)
    w.do("close")
    assert w.finish() == 0


def only_direct_ports(suite, count, telephony_controls, before_sheet=None):
    suite.reset()
    w = Wizard(suite, before_sheet)
    walk_to_port(w)
    assert items(w) == PORTS[:count], items(w)
    shown = "1" if telephony_controls else "0"
    assert (w.do("visible %d" % ADD), w.do("visible %d" % ICON)) == (shown, shown)
    w.press("next")
    assert w.page() == "model", w.page()
    w.do("close")
    assert w.finish() == 0
    return w


def no_tapi32(suite):
    """TAPI32.DLL cannot be loaded: one message, then the nine ports. Next
    pressed behind the message, on the sheet if it shows by then, moves on
    one page as it always does (it once finished the wizard)."""
    suite.s.env["WINEDLLOVERRIDES"] += ";tapi32=d"

    def next_behind_the_message(w):
        w.do("awaits Error")
        pressed = w.do("shown " + SHEET) == "1"
        if pressed:
            w.press("next")
        assert "TAPI32.DLL" in w.do("msgbox Error")
        w.do("sheet " + SHEET)
        if pressed:
            assert w.page() == "identity", w.page()
            w.press("back")
    only_direct_ports(suite, 9, False, next_behind_the_message)


CHECKS = [  # name, Windows version, the suite's provider, check
    ("lines_first", "win95", True, lines_come_first_and_skip_the_model_page),
    ("add", "win95", True, add_installs_a_modem_with_real_keys),
    # Wine's own TAPI32 registers but reports no lines: four ports only.
    ("wine_tapi", "win95", False, lambda suite: only_direct_ports(suite, 4, True)),
    ("nt", "nt40", True, lambda suite: only_direct_ports(suite, 9, False)),
    ("no_tapi32", "win95", True, no_tapi32),
]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--suite", required=True)
    parser.add_argument("-k", help="run only checks whose name contains this")
    args = parser.parse_args()
    failed = 0
    for name, version, telephony, check in CHECKS:
        if args.k and args.k not in name:
            continue
        with WineSession(version=version, suite=args.suite, telephony=telephony) as session:
            try:
                check(Suite(session, version))
                print("PASS", name, flush=True)
            except Exception:
                failed += 1
                print("FAIL", name)
                traceback.print_exc(file=sys.stdout)
    print("%d failed" % failed)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
