#!/usr/bin/env python3
"""The product's main job: the launcher KESTRIX.EXE runs the wizards under
Wine, with the simulated modem on COM2 and the registration host behind the
registration number.

    demo.py                 a scripted user walks through the setup wizard on a
                            private X display, asks to register and registers
                            through the simulated modem; pictures of every
                            page go to build/demo/
    demo.py --interactive   the wizards open on your own display ($DISPLAY) for
                            you to walk through
    --version win95|nt40    the Windows the suite sees (default win95)
    --shipping              run the release made from the i686 build (under
                            32-bit Wine, emulated) instead of the x86_64 files
    --suite DIR             run the suite folder DIR (a build's bin/, or a test
                            lane made by scripts/dist.py)
Wine's own messages go to wine.log in the output folder.
"""
import argparse
import os
import sqlite3
import subprocess
import sys

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(TOP, "tools", "wine"))
import wine  # noqa: E402
import wizard_driver  # noqa: E402
from startup_links import startup_links  # noqa: E402

SUITE = os.path.join(TOP, "build", "x64", "bin")
SHIPPING_BUILD = os.path.join(TOP, "build", "i686")
REGISTRATION_NUMBER = "1-800-555-0199"

USER = {1065: "Grace Hopper", 1066: "Cobol Consulting", 1067: "555-0123",
        1069: "555-0188", 1068: "555-0177", 1076: "703"}
ADDRESS = {1074: "1 Harbour Road", 1075: "", 1070: "Arlington", 1071: "VA",
           1072: "22201", 1073: "U.S.A.", 1076: "grace@example.org"}
PAGE_ITEMS = [("S86", "name"), ("S91", "company"), ("S87", "voice"), ("S89", "fax"),
              ("S88", "data"), ("S97", "area code"), ("S71", "fax digits"),
              ("L45", "address"), ("S92", "city"), ("S93", "state"), ("S94", "post code"),
              ("S95", "country"), ("S90", "e-mail"), ("N9", "Kestrix starts with Windows"),
              ("N10", "Kestrix Menu starts with Windows"), ("S110", "modem model"),
              ("S112", "command prefix"), ("S111", "manufacturer reply"),
              ("L58", "init string"), ("S114", "hang-up command")]


def scripted_walk(session, version, out_dir):
    """A user who fills in every page, asks for both start-up items and for
    registration, with a picture of each page."""
    suite = wizard_driver.Suite(session, version)
    suite.reset(real_libraries=True, env={"QVHELP_VIEWER": "none"})
    w = wizard_driver.Wizard(suite)
    shots = []

    def shoot(name):
        w.do("pause 400")
        path = os.path.join(out_dir, "%d-%s.png" % (len(shots) + 1, name))
        session.screenshot(path)
        shots.append(path)

    shoot("welcome")
    w.press("next")
    w.fill(USER)
    shoot("identity")
    w.press("next")
    w.fill(ADDRESS)
    shoot("address")
    w.press("next")
    w.do("select 1021 Direct to COM2")   # the simulated modem's port
    shoot("modem-port")
    w.press("next")
    w.do("press 1064")  # Auto Select...
    found = w.do("detect Modem Auto-Detect").replace("\\n", " ")
    print("Auto Select on COM2: %s" % found)
    if w.do("visible 1063") == "1":
        # Two models give the modem's reply: the user picks the one on the box.
        candidates = w.do("items 1063").split("|")
        print("candidates: %s" % ", ".join(candidates[1:]))
        mine = [i for i, name in enumerate(candidates) if "Sportster" in name]
        w.do("pick 1063 %d" % (mine[0] if mine else 1))
    print("detected model: %s" % w.do("selected 1062"))
    shoot("modem-model")
    w.press("next")
    wizard_driver.choose(w, True, True, True)
    shoot("startup")
    w.press("next")
    result = w.finish(timeout=90)
    print("DoSetupWizard returned %d (2: the user asked to register)" % result)
    profile = suite.profile()
    print("setup profile C:\\KESTRIX\\QVSETUP.INI now holds:")
    for key, what in PAGE_ITEMS:
        print("  %-4s %-32s %s" % (key, what, profile.get(key, "")))
    for name, info in sorted(startup_links(session).items()):
        print("start-up item %s -> %s %s" % (name, info.get("Local path"),
                                             info.get("Command line arguments", "")))
    print("pictures of every page: %s" % ", ".join(os.path.relpath(s, TOP) for s in shots))
    if result != 2 or profile.get("S86") != USER[1065]:
        return 1
    return registration_walk(session, suite, out_dir)


SURVEY = {1037: 1, 1041: 1, 1001: 1, 1003: 1, 1010: 1}     # business office, store, ...
SERVICES = {1003: 1, 1016: 1}                              # Compuserve, PC Magazine


def registration_walk(session, suite, out_dir):
    """The user asked to register: the registration wizard, "&Register"
    through COM2 to the host, the product file in the viewer, and the host's
    stored row beside what the user gave."""
    w = wizard_driver.RegisterWizard(suite)
    shots = []

    def picture(name):
        w.do("pause 400")
        path = os.path.join(out_dir, "reg-%d-%s.png" % (len(shots) + 1, name))
        session.screenshot(path)
        shots.append(path)

    picture("particulars")
    w.press("next")
    for control, on in SURVEY.items():
        w.do("check %d %d" % (control, on))
    picture("survey")
    w.press("next")
    w.fill({1024: ADDRESS[1076]})
    for control, on in SERVICES.items():
        w.do("check %d %d" % (control, on))
    picture("services")
    w.press("next")
    picture("dial")
    w.press("next")                       # "&Register"
    status = w.do("registered 150").replace("\\r", " ")
    picture("registering")                # the call's outcome, its button reading "OK"
    w.do("registering 10")
    print("Registering: %s" % status)
    w.do("pause 1500")
    picture("viewer")
    result = w.finish(timeout=90)
    print("DoRegisterWizard returned %d (1: registered)" % result)

    fields, flag = wizard_driver.register_dat(suite)
    db = sqlite3.connect(os.path.join(session.line_dir, "regs.sqlite"))
    cols = [r[1] for r in db.execute("pragma table_info(registrations)")]
    row = db.execute("select * from registrations order by id desc limit 1").fetchone()
    stored = list(row[cols.index("first_name"):][:32]) if row else [""] * 32
    names = cols[cols.index("first_name"):][:32]
    print("REGISTER.DAT registered flag: %d" % flag)
    print("%-16s %-30s %s" % ("field", "the user's record", "stored by the host"))
    for name, mine, theirs in zip(names, fields, stored):
        if mine or theirs:
            print("%-16s %-30s %s%s" % (name, mine, theirs, "" if mine == theirs else "   <- differs"))
    print("pictures of the registration: %s" % ", ".join(os.path.relpath(s, TOP) for s in shots))
    return 0 if result == 1 and flag == 1 and stored == fields else 1


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--interactive", action="store_true")
    ap.add_argument("--version", default="win95", choices=["win95", "win98", "nt40", "winxp"])
    ap.add_argument("--out", default=os.path.join(TOP, "build", "demo"))
    ap.add_argument("--shipping", action="store_true")
    ap.add_argument("--suite")
    a = ap.parse_args()
    if a.interactive and not os.environ.get("DISPLAY"):
        raise SystemExit("--interactive needs a display ($DISPLAY)")
    os.makedirs(a.out, exist_ok=True)
    db = os.path.join(a.out, "regs.sqlite")
    for stale in (db, db + "-wal", db + "-shm"):
        if os.path.exists(stale):
            os.remove(stale)
    suite = a.suite or SUITE
    if a.shipping and not a.suite:
        # The released bytes, with the window driver and the stand-ins for
        # Windows' telephony beside them, as the i686 tests run them.
        suite = os.path.join(SHIPPING_BUILD, "lane")
        subprocess.run([sys.executable, os.path.join(TOP, "scripts", "dist.py"), "--build",
                        SHIPPING_BUILD, "--no-zip", "--lane", suite], check=True,
                       stdout=subprocess.DEVNULL)
    log = os.path.join(a.out, "wine.log")
    session = wine.WineSession(version=a.version, suite=suite, line="COM2", line_dir=a.out,
                               display=os.environ.get("DISPLAY") if a.interactive else None,
                               log=log)
    print("Wine's own messages: %s" % log)
    with session:
        print("line: the simulated modem on COM2; %s reaches the registration host"
              % REGISTRATION_NUMBER)
        if a.interactive:
            rc = session.run("KESTRIX.EXE")
        else:
            rc = scripted_walk(session, a.version, a.out)
    rows = subprocess.run(["sqlite3", db, "select count(*) from registrations"],
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True).stdout
    print("registrations stored by the host: %s" % (rows.strip() or "0"))
    print("transcripts: %s, %s" % (os.path.join(a.out, "modem.log"),
                                   os.path.join(a.out, "reghost.log")))
    return rc


if __name__ == "__main__":
    sys.exit(main())
