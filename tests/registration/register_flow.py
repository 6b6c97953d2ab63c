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


# A failed call: its message, the wizard left on the dial page, nothing stored.
FAILURES = [
    # profile, number, port held by another program, message box or status line
    ("L55=com0\n", None, False, "box", "There is no port or modem specified"),
    (MODEM, None, True, "box", "Please close any other applications"),
    (MODEM, "555-0101", False, "status", "The registration host is busy."),
]


def failures_end_with_their_message(suite, session):
    for profile, number, hold, where, want in FAILURES:
        suite.reset(profile, real_libraries=True, env={"QVHELP_VIEWER": "none"})
        w = walk_and_register(suite, None, number, hold)
        got = w.do("msgbox Registration Error" if where == "box" else "registering 150")
        assert want in got, "%s %s: %r" % (profile.strip(), number, got)
        assert w.do("get 57620") == "&Register", "left the dial page"
        if hold:
            w.do("release")
        w.do("close")
        assert w.finish() == 0
        assert len(host_rows(session)[1]) == 0


def cancel_while_dialling_closes_at_once(suite, session):
    """A number nobody answers; Cancel clicked while the
    modem waits: the dialog goes by itself and the wizard stays."""
    suite.reset(MODEM, real_libraries=True, env={"QVHELP_VIEWER": "none"})
    w = walk_and_register(suite, None, "555-0177")
    x, y = w.do("where 2 Registering").split()
    w.do("pause 1500")
    session.xdotool("mousemove", x, y, "click", "1")
    # The button reads "&OK" while the line is hung up; the driver may read
    # the status then, or find the dialog gone between two reads.
    got = w.do("registering 20")
    assert got in ("closed", "", "Cancel pressed...\\r\\rPlease wait."), repr(got)
    assert w.do("get 57620") == "&Register", "left the dial page"
    w.do("close")
    assert w.finish() == 0
    assert len(host_rows(session)[1]) == 0


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
        failures_end_with_their_message(suite, session)
        cancel_while_dialling_closes_at_once(suite, session)
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
