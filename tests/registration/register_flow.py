#!/usr/bin/env python3
"""The registration wizard under Wine, through the simulated modem on COM2 to
the registration host: a registration stored by the host exactly as the
record holds it, the product file received and the record marked
registered; a second run asks before registering again.

    register_flow.py --suite build/x64/bin --version win95|nt40
"""
import argparse
import os
import sqlite3
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
TOP = os.path.join(HERE, "..", "..")
sys.path.insert(0, os.path.join(TOP, "tools", "wine"))
from wine import WineSession  # noqa: E402
from wizard_driver import RegisterWizard, Suite, register_dat  # noqa: E402

INFO = {1024: "Grace", 1025: "Hopper", 1029: "1 Navy Yard", 1031: "Arlington",
        1032: "VA", 1034: "22201"}
# What choosing the modem model writes: its init string and dial commands.
MODEM = "L55=COM2\nL58=AT&F\nS125=DT\nS130=X4\nS133=L2\nS142=M1\n"
SUCCESS = "Registration successful\\r\\rThank You."


def host_rows(session):
    db = sqlite3.connect(os.path.join(session.line_dir, "regs.sqlite"))
    cols = [r[1] for r in db.execute("pragma table_info(registrations)")]
    return cols, db.execute("select * from registrations").fetchall()


def walk_and_register(suite, text, number=None, hold=False):
    w = RegisterWizard(suite, text)
    w.fill(INFO)
    for _ in range(2):
        w.press("next")
    w.do("check 1001 1")    # services page: America On-Line
    w.press("next")
    if number:
        w.do("set 1021 " + number)
    if hold:
        w.do("hold COM2")
    w.press("next")          # "&Register"
    return w


def save_for_later_keeps_answers(suite):
    w = RegisterWizard(suite)
    w.fill(INFO)
    w.press("next")
    w.do("check 1039 1")    # survey: School
    w.do("press 2")          # "&Save for later", from page 2
    assert w.finish() == 0
    w = RegisterWizard(suite)
    shown = {c: w.do("get %d" % c) for c in INFO}
    assert shown == INFO, shown
    w.press("next")
    assert w.do("checked 1039") == "1"
    w.do("close")
    assert w.finish() == 0


# A call that does not complete: its message, its end (a message box, the
# status line waiting for "&OK", or the dialog closing by itself after a
# Cancel), the wizard left on the dial page, no REGISTER.RTF, nothing stored
# by the host, and the cancel bytes (six CAN) the modem saw.
#   profile, number, line (persona, reghost options, modemsim options),
#   disturbance (hold the port, or click Cancel once the modem's transcript
#   shows a text), end, message
LINE = (None, [], [])
CANCEL = "Cancel pressed...\\r\\rPlease wait."
SILENT = "The registration host has failed to respond."
FAILURES = [
    ("L55=com0\n", None, LINE, None, "box", "There is no port or modem specified"),
    (MODEM, None, LINE, "hold", "box", "Please close any other applications"),
    (MODEM, None, ("deaf", [], []), None, "status", "The modem is not responding."),
    # The profile's init string is refused, the fixed one taken: the call
    # goes on to dial, and finds the number busy.
    (MODEM.replace("AT&F", "AT&F&K3"), "555-0101", (None, [], ["--error-on", "&K"]), None,
     "status", "The registration host is busy."),
    (MODEM, "555-0102", (None, [], ["--dial", "555-0102=nodialtone"]), None, "status", "No dial tone."),
    (MODEM, "555-0101", LINE, None, "status", "The registration host is busy."),
    (MODEM, "555-0103", (None, [], ["--dial", "555-0103=noanswer,delay=1000"]), None,
     "status", "The registration host failed to answer."),
    (MODEM, None, (None, ["--stall-after", "0", "--reply-timeout", "60000"], []), None, "status", SILENT),
    (MODEM, None, (None, ["--refuse", "ERROR"], []), None, "status", "has indicated an error."),
    (MODEM, None, (None, ["--refuse", "UNKNOWN"], []), None, "status", "does not accept registrations"),
    # The carrier drops a few hundred bytes into the product file.
    (MODEM, None, (None, [], ["--drop-after", "400"]), None, "status", SILENT),
    (MODEM, "555-0177", LINE, "event \"dial", "gone", CANCEL),
    # The host falls silent inside the size line, the caller reads it while
    # taking window messages, then cancels; the host acknowledges.
    (MODEM, None, (None, ["--stall-after", "19"], []), "KXWIN", "gone", CANCEL),
    (MODEM, None, (None, ["--stall-after", "600"], []), "rtf1", "gone", CANCEL),
]


def modem_log(session):
    with open(os.path.join(session.line_dir, "modem.log"), encoding="latin-1") as f:
        return f.read()


def click_cancel_after(session, w, trigger):
    x, y = w.do("where 2 Registering").split()
    for _ in range(600):
        if trigger in modem_log(session):
            break
        time.sleep(0.05)
    session.xdotool("mousemove", x, y, "click", "1")


def failures_end_as_they_should(suite, session):
    for profile, number, (persona, host, modem), disturb, end, want in FAILURES:
        session.restart_line(persona, host, modem)
        suite.reset(profile, real_libraries=True, env={"QVHELP_VIEWER": "none"})
        w = walk_and_register(suite, None, number, disturb == "hold")
        if disturb not in (None, "hold"):
            click_cancel_after(session, w, disturb)
        got = w.do({"box": "msgbox Registration Error", "status": "registering 150",
                    "gone": "vanishes 60"}[end])
        row = "%s %s %s: " % (number, host, modem)
        assert want in got, row + repr(got)
        assert w.do("get 57620") == "&Register", row + "left the dial page"
        if disturb == "hold":
            w.do("release")
        w.do("close")
        assert w.finish() == 0
        assert not os.path.exists(os.path.join(suite.dir, "REGISTER.RTF")), row + "REGISTER.RTF kept"
        assert len(host_rows(session)[1]) == 0, row + "host stored the call"
        log = modem_log(session)
        cans = sum(line.count("\\x18") for line in log.splitlines() if " dte-in " in line)
        want_cans = 6 if disturb == "KXWIN" else 0
        assert cans == want_cans and (not want_cans or "\\x1a\\x1a\\x1a" in log), row + "CAN %d" % cans
    session.restart_line()


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--suite", required=True)
    ap.add_argument("--version", default="win95")
    a = ap.parse_args()
    with WineSession(version=a.version, suite=a.suite, line="COM2",
                     line_dir=os.environ.get("REG_FLOW_LINE_DIR")) as session:
        suite = Suite(session, a.version)
        suite.reset(MODEM, real_libraries=True, env={"QVHELP_VIEWER": "none"})
        save_for_later_keeps_answers(suite)
        failures_end_as_they_should(suite, session)
        suite.reset(MODEM, real_libraries=True, env={"QVHELP_VIEWER": "none"})
        w = walk_and_register(suite, "from-test")
        status = w.do("registering 150")
        assert status == SUCCESS, "status %r" % status
        result = w.finish(timeout=60)
        assert result == 1, "DoRegisterWizard %d" % result

        fields, registered = register_dat(suite)
        assert registered == 1, "flag %d" % registered
        cols, rows = host_rows(session)
        assert len(rows) == 1, "rows %r" % rows
        stored = list(rows[0][cols.index("first_name"):][:32])
        assert stored == fields, "host row %r\nrecord   %r" % (stored, fields)
        assert fields[13] == "from-test" and fields[29] == "L", fields
        product = open(os.path.join(TOP, "data", "reghost", "product.rtf"), "rb").read()
        got = open(os.path.join(suite.dir, "REGISTER.RTF"), "rb").read()
        assert got == product, "REGISTER.RTF %d bytes, host file %d" % (len(got), len(product))

        # Registered once: the next "&Register" asks first; going on
        # registers again, and field 13 stays as saved.
        w = walk_and_register(suite, None)
        answer = w.do("msgbox Registration Warning")
        assert "already registered" in answer, answer
        assert w.do("registering 150") == SUCCESS
        assert w.finish(timeout=60) == 1
        assert len(host_rows(session)[1]) == 2
        assert register_dat(suite)[0][13] == "from-test"
    print("register_flow %s: ok" % a.version)


if __name__ == "__main__":
    main()
