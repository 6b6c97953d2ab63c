#!/usr/bin/env python3
"""The setup wizard walked end to end: KESTRIX.EXE --setup under Wine, its
windows read and pressed by WIZDRIVE.EXE, the results checked where they
land (QVSETUP.INI, DBMAP.CFG, the calls the utility and detection libraries
received, the launcher's result).

    setup_walk.py --suite build/x64/bin --version win95|nt40
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import traceback

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools", "wine"))
from startup_links import check_suite_links, startup_links  # noqa: E402
from wine import WineSession  # noqa: E402
from wizard_driver import (BOX, SHEET, Suite, Wizard, choose,  # noqa: E402
                           walk_to_port, walk_to_startup)

NEED_AREA = ("An area code is required, so it can be determined if a call is local "
             "or long distance.")
DETECT = "Modem Auto-Detect"
NEED_CITY = "A city name is required, so your location can be identified."
WELCOME = ("Congratulations on purchasing Kestrix!",
           "Kestrix transforms your PC and modem into a powerful command center for sophisticated fax "
           "and data communications.  The ease-of-use and friendly interface of Kestrix allow you "
           "to harness its many features immediately.")

IDENTITY = {1065: "Ada Lovelace", 1066: "Analytical Engines Ltd", 1067: "555-0199",
            1069: "555-0100", 1068: "555-0142", 1076: "(212)"}
ADDRESS = {1074: "12 St James's Square", 1075: "Flat 3", 1070: "London", 1071: "Middlesex",
           1072: "SW1Y 4JH", 1073: "United Kingdom", 1076: "ada@example.org"}
# The most each field takes, read from the edit controls.
LIMITS = {"identity": {1065: 40, 1066: 40, 1067: 40, 1069: 40, 1068: 40, 1076: 40},
          "address": {1074: 60, 1075: 60, 1070: 60, 1071: 40, 1072: 40, 1073: 60, 1076: 40}}


def check_limits(w):
    page = w.page()
    got = {c: int(w.do("limit %d" % c)) for c in LIMITS[page]}
    assert got == LIMITS[page], "%s limits %r" % (page, got)


def item_calls(suite):
    """The utility library's calls for both start-up items, on this shell."""
    suite_exe, menu_exe = "C:\\KESTRIX\\KESTRIX.EXE", "C:\\KESTRIX\\QVMENU.EXE"
    if suite.win95:
        return ["load FAKEUTIL.DLL", "InitQVUtil 0",
                "CreateShortcutInStartup|Kestrix.lnk|%s|Kestrix|(null)|(null)|0|0" % suite_exe,
                "CreateShortcutInStartup|Kestrix Menu.lnk|%s|Kestrix Menu|(null)|/KX|0|0"
                % menu_exe, "DeInitQVUtil"]
    return ["load FAKEUTIL.DLL", "InitQVUtil 1", "ProgmanManageGroup|startup|startup|0",
            'ProgmanAddItem|Kestrix|"%s"' % suite_exe,
            'ProgmanAddItem|Kestrix Menu|"%s /KX"' % menu_exe, "DeInitQVUtil"]


def expect_items(p, want, what=""):
    wrong = {k: (p.get(k), v) for k, v in want.items() if p.get(k) != v}
    assert not wrong, "%s item: (got, want) %r" % (what, wrong)


def finish_choosing(w, want, utility=False):
    """From the start-up page: the items chosen (or none), Done, the result."""
    choose(w, utility, utility, utility)
    w.press("next")
    w.do("nomsgbox " + BOX)
    assert w.finish() == want


# -- the checks ----------------------------------------------------------------

def full_walk_stores_every_item(suite):
    suite.reset()
    w = Wizard(suite)
    assert (w.do("get 1047"), w.do("get 1048")) == WELCOME
    assert w.do("enabled 57621") == "0"
    w.press("next")
    # The area code is required, and only its first character is tested.
    w.press("next")
    assert w.do("msgbox " + BOX) == NEED_AREA
    assert w.page() == "identity"
    check_limits(w)
    w.fill(IDENTITY)
    w.press("next")
    assert w.page() == "address"
    check_limits(w)
    country = w.do("get 1073")
    # Empty item 95: the country Windows is set up for (Wine's own setting).
    assert country == "United States", "country %r" % country
    w.do("set 1070 ")
    w.press("next")
    assert w.do("msgbox " + BOX) == NEED_CITY
    assert w.page() == "address"
    w.fill(ADDRESS)
    # Back does not check the city; every Next from the identity page checks
    # the area code again.
    w.do("set 1070 ")
    w.press("back")
    assert w.page() == "identity"
    w.do("set 1076 ")
    w.press("next")
    assert w.do("msgbox " + BOX) == NEED_AREA
    w.fill({1076: IDENTITY[1076]})
    w.press("next")
    w.do("nomsgbox " + BOX)
    w.fill({1070: ADDRESS[1070]})
    w.press("next")
    w.do("select 1021 Direct to COM2")
    w.press("next")
    w.press("next")
    assert w.page() == "startup"
    assert w.do("get 57620") == "&Done"
    assert w.do("checked 1001") == "0" and w.do("checked 1002") == "1"
    assert w.do("checked 1003") == "1" and w.do("visible 1003") == "1"
    for hidden in (1004, 1005, 1047, 1035, 1036):
        assert w.do("visible %d" % hidden) == "0", "control %d shows" % hidden
    w.do("check 1001 1")
    w.press("next")
    assert w.finish() == 2

    p = suite.profile()
    want = {"S86": "Ada Lovelace", "S91": "Analytical Engines Ltd", "S87": "555-0199",
            "S89": "555-0100", "S88": "555-0142", "S97": "(212)", "S71": "2125550100",
            "L45": "12 St James's Square", "L46": "Flat 3", "S92": "London",
            "S93": "Middlesex", "S94": "SW1Y 4JH", "S95": "United Kingdom",
            "S90": "ada@example.org", "N9": "1", "N10": "1"}
    expect_items(p, want)
    check_defaults(suite, p)

    want_log = item_calls(suite) + ["load FAKEDET.DLL", "InitDetectDLL",
                                    "DoModemDetection|1|COM2|0", "InstallVoiceFiles|1|1",
                                    "DeInitDetectDLL"]
    assert suite.log() == want_log, "calls:\n%s" % "\n".join(suite.log())

    # Again over the profile just written: the pages show it, Done keeps it.
    w = Wizard(suite)
    w.press("next")
    assert {c: w.do("get %d" % c) for c in IDENTITY} == IDENTITY
    w.press("next")
    assert {c: w.do("get %d" % c) for c in ADDRESS} == ADDRESS
    for _ in range(3):  # the port, model and start-up pages
        w.press("next")
    finish_choosing(w, 1)
    expect_items(suite.profile(), want, "run again")


def check_defaults(suite, p, d="C:\\KESTRIX"):
    # A program, the phone book (a short item) and a folder stand for the
    # wizard's table of defaults, which a copy here would only repeat.
    files = {"L9": "KESTRIX.EXE", "S5": "PHONE.DBF", "L20": "INBOX"}
    expect_items(p, dict({k: d + "\\" + f for k, f in files.items()}, L0=d, L47=d))
    dbmap = open(os.path.join(suite.s.c_drive(d), "DBMAP.CFG"), encoding="latin-1").read()
    assert re.search(r"\[Maps\]\s*\r?\nMap0=%s\\PHONE\.DBF" % re.escape(d), dbmap), dbmap


def cancel_keeps_only_the_defaults(suite):
    """Cancelled, the wizard has still written the suite's paths, here for a
    suite folder with a long name: the loader's path, L18, in short form."""
    folder = "C:\\Kestrix Suite"
    host_folder = suite.s.c_drive(folder)
    shutil.rmtree(host_folder, ignore_errors=True)
    os.makedirs(host_folder)
    open(os.path.join(host_folder, "QVLOAD.EXE"), "wb").close()
    suite.reset("S95=Canada\nL0=%s\n" % folder)
    w = Wizard(suite)
    w.press("next")
    w.fill(IDENTITY)
    w.press("next")
    assert w.do("get 1073") == "Canada", "a stored country is shown unchanged"
    w.do("close")
    w.do("gone")
    assert w.finish() == 0
    p = suite.profile()
    check_defaults(suite, p, folder)
    assert re.fullmatch(r"C:\\[^ \\]{1,8}\\QVLOAD\.EXE", p.get("L18", ""), re.I), p.get("L18")
    for key in ("S86", "S97", "S71", "N9", "N10"):
        assert key not in p, "%s written by a cancelled wizard" % key
    assert not any(line.startswith("load") for line in suite.log()), suite.log()


def nothing_chosen_loads_no_utility_library(suite):
    # A stored S71 stays when no fax number is given, whatever the area code.
    suite.reset("S71=999\nS97=555\n", menu_program=False)
    # Without a country in the Windows profile the page offers "U.S.A.".
    assert suite.s.run(suite.s.c_drive("C:\\windows\\system32\\reg.exe"), ["delete", r"HKCU\Control Panel\International", "/v", "sCountry",
                               "/f"], timeout=60, stdout=subprocess.DEVNULL) == 0
    w = Wizard(suite)
    assert w.page() == "welcome"
    w.press("next")
    w.fill({1076: " "})
    w.press("next")
    assert w.page() == "address", "an area code of one blank passes"
    assert w.do("get 1073") == "U.S.A."
    w.press("back")
    w.press("back")
    walk_to_startup(w)
    assert w.do("visible 1003") == "0" and w.do("checked 1003") == "0"
    finish_choosing(w, 1)
    assert "load FAKEUTIL.DLL" not in suite.log(), suite.log()
    p = suite.profile()
    assert "N9" not in p and "N10" not in p
    assert p.get("S97") == "212" and p.get("S71") == "999", (p.get("S97"), p.get("S71"))


def library_failures_are_silent(suite):
    """A utility or detection library that cannot do its part costs only
    what it could not do: no message, the wizard finishes, and only items
    really made are recorded."""
    nt = 0 if suite.win95 else 1
    ready = ["load FAKEUTIL.DLL", "InitQVUtil %d" % nt]
    # (profile lines, environment, start-up items chosen, that library's calls
    # in order, N10); N9 is never written. Items chosen: the utility library's.
    cases = [
        ("S35=NOSUCH.DLL\n", {}, True, [], None),
        ("S35=UTILNODI.DLL\n", {}, True, ["load UTILNODI.DLL"], None),
        ("", {"FAKE_INIT": "0"}, True, ready, None),
        ("S35=UTILNOIT.DLL\n", {}, True, ["load UTILNOIT.DLL", "InitQVUtil %d" % nt, "DeInitQVUtil"],
         None),
        # The suite's item fails; the menu program's is still made.
        ("", {"FAKE_FAIL": "Kestrix"}, True, item_calls(suite), "1"),
        ("S33=NOSUCH.DLL\n", {}, False, [], None),
        ("S33=DETNOVO.DLL\n", {}, False, ["load DETNOVO.DLL"], None),
        ("", {"FAKE_INIT": "0"}, False, ["load FAKEDET.DLL", "InitDetectDLL"], None),
    ]
    if nt:
        cases.append(("", {"FAKE_GROUP": "0"}, True,
                      ready + ["ProgmanManageGroup|startup|startup|0", "DeInitQVUtil"], None))
    for extra, env, items, want, n10 in cases:
        suite.reset(extra, env=env)
        w = Wizard(suite)
        walk_to_startup(w)
        finish_choosing(w, 2 if items else 1, utility=items)
        detection = [c for c in suite.log() if "DET" in c.upper() or "Voice" in c]
        calls = [c for c in suite.log() if c not in detection] if items else detection
        assert calls == want, "%r %r:\n%s" % (extra, env, "\n".join(calls))
        p = suite.profile()
        assert (p.get("N9"), p.get("N10")) == (None, n10), (extra, env, p.get("N9"), p.get("N10"))


def real_start_up_items(suite):
    """The suite's own utility library: shell links in the Startup folder on
    the Windows 95 shell, Program Manager group "startup" items on NT (which
    Wine keeps as links in the same folder)."""
    suite.reset(real_libraries=True)
    w = Wizard(suite)
    walk_to_startup(w)
    choose(w, True, True, False)
    w.press("next")
    assert w.finish(timeout=90) == 1
    links = startup_links(suite.s)
    check_suite_links(links)
    if suite.win95:
        assert links["Kestrix.lnk"].get("Working directory") == "C:\\KESTRIX", links
    p = suite.profile()
    assert p.get("N9") == "1" and p.get("N10") == "1", (p.get("N9"), p.get("N10"))


def keyboard_walk(suite):
    """Real key presses on the X display: Enter is Next, mnemonics reach
    their fields and buttons, Tab moves on, Escape inside a page does
    nothing, Enter closes the message box; each page's Help opens its own
    help context, F1 that of the page created last (the model page); each
    page shows its picture."""
    suite.reset(env={"QVHELP_VIEWER": "none", "QVHELP_LOG": "C:\\help.log"})
    w = Wizard(suite)
    x = suite.s.xdotool
    window = suite.s.wait_for_window("^" + SHEET + "$")
    assert window, "no X window for the sheet"
    x("windowfocus", window)

    def keys(*names):
        for name in names:
            if name.startswith("="):
                x("type", "--delay", "30", name[1:])
            else:
                x("key", "--delay", "60", name)
            w.do("pause 300")

    # Keys pressed (after "=": text typed), then what the wizard shows.
    steps = [(["alt+h", "alt+n"], "page", "identity"), ([], "focus", "1065"),
             (["=Ada", "Tab"], "focus", "1066"),
             (["Return"], "msgbox " + BOX, NEED_AREA), ([], "page", "identity"),
             ([], "focus", "1076"),  # the area code gets the focus back
             (["alt+h", "alt+m"], "focus", "1065"), (["alt+l", "=212", "Escape"], "page", "identity"),
             (["Return"], "page", "address"), (["alt+h", "alt+c"], "focus", "1070"),
             (["=Paris", "alt+y"], "focus", "1073"), (["alt+b"], "page", "identity"),
             (["alt+n"], "page", "address"), (["Return", "alt+h", "alt+n"], "page", "model"),
             # There Enter would start Auto Select, the default button until it has run.
             (["alt+h", "alt+n"], "page", "startup"), (["alt+h", "alt+e"], "checked 1002", "0"),
             (["F1", "Escape"], "page", "startup")]
    pictures = {"welcome": 300, "identity": 301, "address": 302, "model": 304, "startup": 305}
    for names, query, want in [([], "page", "welcome")] + steps:
        keys(*names)
        got = w.do(query)
        assert got == want, "after %s, %s is %r" % (names, query, got)
        differing = w.do("picture %d" % pictures[want]) if query == "page" else "0"
        assert differing == "0", "%s page: %s pixels of its picture differ" % (want, differing)
    keys("alt+d")
    assert w.finish() == 1
    p = suite.profile()
    assert (p.get("S86"), p.get("S97"), p.get("S92")) == ("Ada", "212", "Paris"), p
    helps = open(suite.s.c_drive("C:\\help.log")).read().split()
    assert helps == ["28678", "28677", "28673", "28679", "28674", "28675", "28674"], helps


# A model record's columns and the profile items Done copies them into.
# INIT and HANGUP land in L58 and S114 only while N3 is nonzero.
RECORD_ITEMS = {
    "MODELTEXT": "S109", "MODEL": "S110", "MFR_REPLY": "S111", "PREFIX": "S112",
    "CMD113": "S113", "CMD115": "S115", "R_OK": "S116", "R_CONNECT": "S117", "R_NOCARR": "S118",
    "R_ERROR": "S119", "R_NODIALT": "S120", "R_BUSY": "S121", "R_NOANSWER": "S122",
    "R_FAIL1": "S123", "R_FAIL2": "S124", "DIAL_TONE": "S125", "DIAL_PULSE": "S126",
    "CP_NONE": "S127", "CP_DIALTON": "S128", "CP_BUSY": "S129", "CP_ALL": "S130",
    "VOL_LOW": "S132", "VOL_MEDIUM": "S133", "VOL_HIGH": "S134", "SPD_SLOW": "S135",
    "SPD_NORMAL": "S136", "SPD_FAST": "S137", "CMD138": "S138", "CMD139": "S139",
    "CMD140": "S140", "SPK_OFF": "S141", "SPK_CONN": "S142", "SPK_ON": "S143",
    "WATCHED": "S159", "CMD146": "S146", "CMD148": "S148", "INIT2": "L56", "CMD144": "S144",
    "CMD145": "S145", "N148": "N148", "MAXCMDLEN": "N155", "N178": "N178", "N162": "N162",
    "N160": "N160", "INIT": "L58", "HANGUP": "S114"}
NUMBERS = {"N148": "148148", "MAXCMDLEN": "155", "N178": "178178", "N162": "162",
           "N160": "-160160"}


def set_items(suite, items):
    """Replaces (or adds) items of the installed profile."""
    text = open(suite.ini, encoding="latin-1").read()
    for key, value in items.items():
        text, n = re.subn(r"(?m)^%s=[^\r\n]*" % key, lambda m: "%s=%s" % (key, value), text)
        if not n:
            text += "%s=%s\n" % (key, value)
    open(suite.ini, "w", encoding="latin-1").write(text)


def model_page_finishes(suite, model=None):
    """Done with model chosen on the model page (if given); the profile."""
    w = Wizard(suite)
    walk_to_port(w)
    w.press("next")
    assert w.page() == "model", w.page()
    names = w.do("items 1062").split("|")
    enabled = w.do("enabled page")
    if model:
        w.do("pick 1062 %d" % names.index(model))
    w.press("next")
    finish_choosing(w, 1)
    return names, enabled, suite.profile()


def model_record_reaches_the_profile(suite):
    """Every column of the chosen model's record in its own profile item
    (each column a value of its own, so that two items swapped show), the
    init string and hang-up command only with N3 set, the handshake as
    Hard or Soft; without a database the page is disabled and Done writes
    none of them."""
    tool = os.path.join(suite.build, "..", "mkmodemdb-host", "mkmodemdb")
    defaults = os.path.join(HERE, "..", "..", "data", "modems", "defaults.modem")
    model_file = os.path.join(suite.dir, "TEST.modem")
    kept = {"L58": "AT&FKEPT", "S114": "ATHKEPT"}
    for n3, flow, handshake in ((1, "T", "Hard"), (0, "F", "Soft")):
        values = {key: NUMBERS.get(key, "v" + item[1:]) for key, item in RECORD_ITEMS.items()}
        values["MODEL"] = "Test Model %d" % n3
        with open(model_file, "w") as f:
            f.writelines("%s = %s\n" % kv for kv in list(values.items()) + [("HARDFLOW", flow)])
        subprocess.run([tool, "-o", os.path.join(suite.dir, "TESTMDM.DBF"), defaults, model_file],
                       check=True, stdout=subprocess.DEVNULL)
        suite.reset()
        set_items(suite, dict(kept, S7="TESTMDM.DBF", N3=n3))
        names, enabled, p = model_page_finishes(suite, values["MODEL"])
        assert names == [values["MODEL"]] and enabled == "1", (names, enabled)
        # The store keeps numbers as 32 bits: the signed N160 reads back unsigned.
        want = {item: str(int(values[key]) % 2 ** 32) if key in NUMBERS else values[key]
                for key, item in RECORD_ITEMS.items()}
        want["S147"] = handshake
        if not n3:
            want.update(kept)
        expect_items(p, want, "N3=%d" % n3)

    suite.reset()
    set_items(suite, {"S7": "NOSUCH.DBF"})
    before = suite.profile()
    names, enabled, p = model_page_finishes(suite)
    assert names == [""] and enabled == "0", (names, enabled)
    written = {k for k in list(RECORD_ITEMS.values()) + ["S147"] if p.get(k) != before.get(k)}
    assert not written, "written without a database: %s" % sorted(written)


def auto_detect_dialog_ends_by_keys_and_close(suite):
    """The "Modem Auto-Detect" dialog after a probe of a port with nothing
    on it: OK has the focus, and Enter, Escape, Tab then Space, Alt+F4 and
    closing with the mouse (the close box on Windows 95, a double-click on
    the system-menu box of the library's caption on NT, which has no close
    box) each end it as OK does; the wizard then finishes."""
    suite.reset(env={"QVHELP_VIEWER": "none"})
    w = Wizard(suite)
    walk_to_port(w)
    w.do("select 1021")  # no port chosen ("COM0"): nothing to probe
    w.press("next")
    assert w.do("enabled 1064") == "0", "Auto Select offered without a port"
    w.press("back")
    w.do("select 1021 Direct to COM2")
    w.press("next")
    assert w.do("defid") == "1064", "Enter starts Auto Select until it has run"
    x = suite.s.xdotool
    ways = [("Return",), ("Escape",), ("Tab", "space"), ("alt+F4",), "mouse"]
    for way in ways:
        w.do("press 1064")
        assert w.do("awaits " + DETECT) == "1", "%s: OK has not the focus" % (way,)
        window = suite.s.wait_for_window("^" + DETECT + "$")
        assert window, "no X window for the dialog"
        x("windowfocus", window)
        if way == "mouse":
            box = "close" if suite.win95 else "menu"
            point = w.do("where %s %s" % (box, DETECT)).split()
            x("mousemove", point[0], point[1], "click", "--repeat", "1" if suite.win95 else "2", "1")
        else:
            for key in way:
                x("key", "--delay", "60", key)
        answer = w.ask("ended")
        assert answer == "ok", "%s: %s" % (way, answer)
    assert w.do("defid") == "57620"
    w.press("next")
    assert w.page() == "startup"
    finish_choosing(w, 1)


CHECKS = [model_record_reaches_the_profile, keyboard_walk, auto_detect_dialog_ends_by_keys_and_close,
          real_start_up_items, full_walk_stores_every_item, cancel_keeps_only_the_defaults,
          nothing_chosen_loads_no_utility_library, library_failures_are_silent]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--suite", required=True)
    parser.add_argument("--version", default="win95")
    parser.add_argument("-k", help="run only checks whose name contains this")
    args = parser.parse_args()
    passed = failed = 0
    with WineSession(version=args.version, suite=args.suite) as session:
        suite = Suite(session, args.version)
        suite.build = args.suite
        for check in CHECKS:
            if args.k and args.k not in check.__name__:
                continue
            try:
                check(suite)
                passed += 1
                print("PASS %s (%s)" % (check.__name__, args.version))
            except Exception:
                failed += 1
                print("FAIL %s (%s)" % (check.__name__, args.version))
                traceback.print_exc(file=sys.stdout)
            sys.stdout.flush()
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
