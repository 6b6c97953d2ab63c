#!/usr/bin/env python3
"""The registration wizard under Wine, through the simulated modem on COM2 to
the registration host: the record filled from the profile, page 1's checks,
the OEM.CFG number modes, a registration stored by the host exactly as the
record holds it with the dial prefix dialled, the product file received,
opened by the first viewer that starts, and the record marked registered; a
second run asks before registering again, and "No" makes no call.

    register_flow.py --suite build/x64/bin --version win95|nt40
"""
import argparse
import os
import re
import socket
import sqlite3
import subprocess
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
# The survey's and services' answers as the record holds them: per group its
# field, first control, letters in control order, and whether it is a radio
# group (one letter) or check boxes (letters joined by commas).
ANSWERS = [(19, 1035, "HPUMSB", True), (22, 1041, "RIMV", True), (23, 1001, "PBTU", False),
           (20, 1005, "RTDIAMWP", False), (29, 1001, "LACDGMPO", False), (21, 1009, "BFSHZICPKLAW", False)]


def host_rows(session):
    db = sqlite3.connect(os.path.join(session.line_dir, "regs.sqlite"))
    cols = [r[1] for r in db.execute("pragma table_info(registrations)")]
    return cols, db.execute("select * from registrations").fetchall()


def check_stored_answers(session, answers):
    """The survey's and services' fields of the host's newest row."""
    cols, rows = host_rows(session)
    last = rows[-1][cols.index("first_name"):]
    assert {f: last[f] for f in answers} == answers, (last, answers)


# Pick radio button `pick` of each group and every check box, on the survey
# page (services False) or the services page; what the host stores then.
SERVICES_FIELDS = (21, 29)  # the services page's groups; the others are the survey's


def choose(w, pick, services):
    for field, first, letters, radio in ANSWERS:
        if (field in SERVICES_FIELDS) == services:
            for i in range(len(letters)):
                w.do("check %d %d" % (first + i, i == pick or not radio))
    return {f: letters[pick] if radio else ",".join(letters) for f, _, letters, radio in ANSWERS}


def walk_and_register(suite, text, number=None, hold=False, prefix=None, pick=None):
    w = RegisterWizard(suite, text)
    w.fill(INFO)
    for services in (False, True):
        w.press("next")
        if pick is not None:
            w.answers = choose(w, pick, services)
    w.press("next")
    if number:
        w.do("set 1021 " + number)
    if prefix:
        w.do("set 1025 " + prefix)
    if hold:
        w.do("hold COM2")
    w.press("next")          # "&Register"
    return w


# The most each field of page 1 takes.
LIMITS = {1024: 30, 1025: 30, 1026: 30, 1027: 15, 1028: 15, 1029: 30, 1030: 30, 1031: 30,
          1032: 5, 1033: 30, 1034: 20}


def save_for_later_keeps_answers(suite):
    # Escape on page 2 saves as "&Save for later" does; an empty country is
    # saved as U.S.A.
    w = RegisterWizard(suite)
    assert {c: int(w.do("limit %d" % c)) for c in LIMITS} == LIMITS
    w.fill({**INFO, 1033: ""})
    w.press("next")
    w.do("check 1039 1")    # survey: School
    suite.s.xdotool("windowfocus", suite.s.wait_for_window("^Kestrix Registration Wizard$"))
    suite.s.xdotool("key", "Escape")
    assert w.finish() == 0
    assert register_dat(suite)[0][8] == "U.S.A."
    w = RegisterWizard(suite)
    shown = {c: w.do("get %d" % c) for c in INFO}
    assert shown == INFO, shown
    w.press("next")
    assert w.do("checked 1039") == "1"
    w.do("close")
    assert w.finish() == 0


# A known profile, and what the record makes of it: the name split at its
# first space, a state of at most five letters, the country from WIN.INI
# when the profile has none, the phones with the area code, the product
# fields and the system's name.
PROFILE = ("S86=John Q Public\nS91=Acme Tools\nL45=1 Main St\nL46=Suite 2\nS92=Austin\n"
           "S93=Texas\nS94=78701\nS90=jqp@example.com\nS97=303\nS87=555-1234\nS89=555-9876\n"
           "S110=Sportster 28800\nL55=COM2\n")
PROFILE_FIELDS = {0: "John", 1: "Q Public", 2: "Acme Tools", 3: "1 Main St", 4: "Suite 2",
                  5: "Austin", 6: "Texas", 7: "78701", 8: "Canada", 9: "jqp@example.com",
                  11: "(303) 555-1234", 12: "(303) 555-9876", 13: "from-test", 14: "KXWIN",
                  15: "1.0.0", 16: "Sportster 28800", 17: "QVCO", 18: "CPU:???", 31: "COM2"}
OS_NAME = {"win95": "Win 95", "nt40": "Win NT"}
# Page 1's Next with fields emptied: the message, and the control that gets
# the focus (the first empty one).
NAME = "Please include both a first and last name before continuing."
ADDRESS = "Please include all address information before continuing."
PAGE1 = [((1025,), NAME, 1025), ((1024, 1029), NAME, 1024), ((1034, 1029), ADDRESS, 1029),
         ((1031,), ADDRESS, 1031), ((1032, 1034), ADDRESS, 1032), ((1034,), ADDRESS, 1034)]
# OEM.CFG: one RegNumber wins over a list; none gives the default number.
OEM_MODES = [("[Registration]\r\nRegNumber=555-0101\r\nRegNumber1=555-0102\r\n", "555-0101"),
             (None, "1-800-555-0199")]


def reg(session, key, *value):
    program = session.c_drive("C:\\windows\\system32\\reg.exe")
    assert session.run(program, ["add", key, *value, "/f"], timeout=60) == 0, key


def fresh_record(suite, profile):
    dat = os.path.join(suite.dir, "REGISTER", "REGISTER.DAT")
    if os.path.exists(dat):
        os.remove(dat)
    suite.reset(profile, real_libraries=True)


def record_from_profile(suite):
    # Wine keeps WIN.INI's [intl] in the registry.
    reg(suite.s, "HKCU\\Control Panel\\International", "/v", "sCountry", "/d", "Canada")
    fresh_record(suite, PROFILE)
    w = RegisterWizard(suite, "from-test")
    for emptied, message, focus in PAGE1:
        kept = {c: w.do("get %d" % c) for c in emptied}
        w.fill({c: "" for c in emptied})
        w.press("next")
        assert w.do("msgbox Registration Wizard") == message, emptied
        for _ in range(20):
            if w.do("focus") == str(focus):
                break
            time.sleep(0.05)
        assert w.do("focus") == str(focus), (emptied, w.do("focus"))
        w.fill(kept)
    w.do("press 2")          # "&Save for later", from page 1
    assert w.finish() == 0
    want = [PROFILE_FIELDS.get(n, "") for n in range(32)]
    want[30] = OS_NAME[suite.version]
    fields, registered = register_dat(suite)
    assert (fields, registered) == (want, 0), "\n%r\n%r" % (fields, want)

    # One word of name, a six-letter state, the profile's country; then with
    # no country in the profile or WIN.INI, U.S.A.
    for country, shows in (("S95=Peru\n", "Peru"), ("", "U.S.A.")):
        if not country:
            assert suite.s.run(suite.s.c_drive("C:\\windows\\system32\\reg.exe"), ["delete",
                               "HKCU\\Control Panel\\International", "/v", "sCountry", "/f"]) == 0
        fresh_record(suite, "S86=Ann\nS93=Oregon\n" + country + MODEM)
        w = RegisterWizard(suite)
        shown = [w.do("get %d" % c) for c in (1024, 1025, 1032, 1033, 1027)]
        assert shown == ["Ann", "", "", shows, "()"], shown  # "() ", as the driver trims
        w.do("close")
        assert w.finish() == 0


def number_modes(suite):
    oem = os.path.join(suite.dir, "OEM.CFG")
    installed = open(oem, "rb").read()
    for text, number in OEM_MODES:
        if text:
            open(oem, "w").write(text)
        else:
            os.remove(oem)
        w = RegisterWizard(suite)
        w.fill(INFO)
        for _ in range(3):
            w.press("next")
        shown = (w.do("visible 1024"), w.do("visible 1021"), w.do("get 1024"), w.do("limit 1025"))
        assert shown == ("1", "0", number, "32"), shown
        if not text:
            w.do("set 1024 ")
            w.press("next")
            assert w.do("msgbox Registration Wizard") == \
                "Please choose a registration phone number before registering."
            assert w.do("get 57620") == "&Register"
        w.do("close")
        assert w.finish() == 0
    open(oem, "wb").write(installed)


# The product file's viewer: WRITE, else WORDPAD, else the shell's
# association, each a recording stand-in (or a file that cannot start).
def viewers(suite, write, wordpad):
    fake = open(os.path.join(suite.dir, "FAKEVIEW.EXE"), "rb").read()
    for name, works in (("WRITE.EXE", write), ("WORDPAD.EXE", wordpad)):
        open(os.path.join(suite.dir, name), "wb").write(fake if works else b"not a program")
    if os.path.exists(suite.calls):
        os.remove(suite.calls)


def viewers_started(suite):
    # The viewers started with the product file.
    for _ in range(100):
        started = [line.split()[1] for line in suite.log()
                   if line.startswith("viewer ") and line.endswith(' "C:\\KESTRIX\\REGISTER.RTF"')]
        if started:
            return started
        time.sleep(0.05)
    return []


def dials(session):
    return sum(line.count("ATD") for line in modem_log(session).splitlines() if " dte-in " in line)


# A call that does not complete: its message, its end (a message box, the
# status line waiting for "&OK", or the dialog closing by itself after a
# Cancel), the wizard left on the dial page, no REGISTER.RTF, nothing stored
# by the host, the cancel bytes (six CAN, twice when not acknowledged) the
# modem saw, and for some the caller's time limit, timed in the modem's
# transcript from a text to the hang-up.
#   profile, number, line (persona, reghost options, modemsim options),
#   disturbance (hold the port, click Cancel once the modem's transcript
#   shows a text, or "rfc": COM2 redirected to the RFC 2217 port, where the
#   carrier's drop shows), end, message[, (from text, seconds)]
LINE = (None, [], [])
CANCEL = "Cancel pressed...\\r\\rPlease wait."
SILENT = "The registration host has failed to respond."
with socket.socket() as free:
    free.bind(("127.0.0.1", 0))
    RFC = str(free.getsockname()[1])
HANGUP = re.compile("closed the port|DTR off|dte-in \"ATH")
FAILURES = [
    ("L55=com0\n", None, LINE, None, "box", "There is no port or modem specified"),
    (MODEM, None, LINE, "hold", "box", "Please close any other applications"),
    (MODEM, None, LINE, "rfc", "box", "Modem error."),  # nothing answers on the redirected port
    (MODEM, "555-0104", (None, [], ["--dial", "555-0104=nocarrier,delay=1000"]), None, "status",
     "Failure to connect"),
    # Silent after Info; the host hangs up 2 s later, and the carrier is gone
    # when the caller's 5 s run out.
    (MODEM, None, (None, ["--stall-after", "7", "--reply-timeout", "2000"], ["--rfc2217", RFC]), "rfc",
     "status", "connection with the registration host has been lost", ("KXWIN", 5)),
    (MODEM, None, ("deaf", [], []), None, "status", "The modem is not responding."),
    # The profile's init string is refused, the fixed one taken: the call
    # goes on to dial, and finds the number busy.
    (MODEM.replace("AT&F", "AT&F&K3"), "555-0101", (None, [], ["--error-on", "&K"]), None,
     "status", "The registration host is busy."),
    (MODEM, "555-0102", (None, [], ["--dial", "555-0102=nodialtone"]), None, "status", "No dial tone."),
    # No init string, as in the installed profile: the fixed setup is sent.
    (MODEM.replace("L58=AT&F\n", ""), "555-0101", LINE, None, "status",
     "The registration host is busy."),
    (MODEM, "555-0103", (None, [], ["--dial", "555-0103=noanswer,delay=1000"]), None,
     "status", "The registration host failed to answer."),
    (MODEM, None, (None, ["--stall-after", "0", "--reply-timeout", "60000"], []), None, "status", SILENT,
     ("CONNECT", 30)),
    (MODEM, None, (None, ["--refuse", "ERROR"], []), None, "status", "has indicated an error."),
    (MODEM, None, (None, ["--refuse", "UNKNOWN"], []), None, "status", "does not accept registrations"),
    # The carrier drops a few hundred bytes into the product file.
    (MODEM, None, (None, [], ["--drop-after", "400"]), None, "status", SILENT, ('net-in "\\r\\nOK', 45)),
    # The host falls silent inside the size line, the caller reads it while
    # taking window messages, then cancels; the host acknowledges.
    (MODEM, None, (None, ["--stall-after", "19"], []), "KXWIN", "gone", CANCEL),
    # Not acknowledged: the cancel goes again, at once after ERROR, else after 40 s.
    (MODEM, None, (None, ["--stall-after", "19", "--cancel-reply", "ERROR"], []), "KXWIN", "gone", CANCEL),
    (MODEM, None, (None, ["--stall-after", "19", "--cancel-reply", "none"], []), "KXWIN", "gone", CANCEL,
     ("x18", 40)),
    (MODEM, None, (None, ["--stall-after", "600"], []), "rtf1", "gone", CANCEL),
]


def modem_log(session):
    with open(os.path.join(session.line_dir, "modem.log"), encoding="latin-1") as f:
        return f.read()


def sent_to_modem(session):
    return "".join(line.split(" dte-in ", 1)[1][1:-1] for line in modem_log(session).splitlines()
                   if " dte-in " in line)


def click_cancel_after(session, w, trigger):
    x, y = w.do("where 2 Registering").split()
    for _ in range(600):
        if trigger in modem_log(session):
            break
        time.sleep(0.05)
    session.xdotool("mousemove", x, y, "click", "1")


def failures_end_as_they_should(suite, session):
    for profile, number, (persona, host, modem), disturb, end, want, *limit in FAILURES:
        session.restart_line(persona, host, modem)
        suite.reset(profile, real_libraries=True, env={"QVHELP_VIEWER": "none"})
        with open(os.path.join(suite.dir, "QVCOMM.INI"), "w") as f:
            f.write("[Ports]\r\n" + ("COM2=127.0.0.1:%s\r\n" % RFC if disturb == "rfc" else ""))
        w = walk_and_register(suite, None, number, disturb == "hold")
        if disturb not in (None, "hold", "rfc"):
            click_cancel_after(session, w, disturb)
        got = w.do({"box": "msgbox Registration Error", "status": "registering 150",
                    "gone": "vanishes 60"}[end])
        row = "%s %s %s: " % (number, host, modem)
        assert want in got, row + repr(got)
        assert w.do("get 57620") == "&Register", row + "left the dial page"
        init = re.search("L58=(.*)", profile)
        first = (init.group(1) if init else "AT&F&C1&D2E1V1") + "\\r"
        assert end == "box" or sent_to_modem(session).startswith(first), row + sent_to_modem(session)
        if disturb == "hold":
            w.do("release")
        w.do("close")
        assert w.finish() == 0
        assert not os.path.exists(os.path.join(suite.dir, "REGISTER.RTF")), row + "REGISTER.RTF kept"
        assert len(host_rows(session)[1]) == 0, row + "host stored the call"
        log = modem_log(session)
        cans = sum(line.count("\\x18") for line in log.splitlines() if " dte-in " in line)
        for start, seconds in limit:
            stamps = [(float(line.split()[0]), line) for line in log.splitlines()]
            begun = next(t for t, line in stamps if start in line)
            took = next(t for t, line in stamps if t > begun and HANGUP.search(line)) - begun
            print("%s%s took %.2f s" % (row, start, took))
            assert abs(took - seconds) <= seconds / 10, row + "%s took %.2f s" % (start, took)
        want_cans = 0 if disturb != "KXWIN" else 12 if "--cancel-reply" in host else 6
        assert cans == want_cans and (want_cans != 6 or "\\x1a\\x1a\\x1a" in log), row + "CAN %d" % cans
    os.remove(os.path.join(suite.dir, "QVCOMM.INI"))
    session.restart_line()


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--suite", required=True)
    ap.add_argument("--version", default="win95")
    a = ap.parse_args()
    # The host says "Info:" once and takes only CR LF line ends, as the
    # wizard sends them.
    with WineSession(version=a.version, suite=a.suite, line="COM2",
                     line_host=["--info-repeat", "0", "--strict-lines"],
                     line_dir=os.environ.get("REG_FLOW_LINE_DIR")) as session:
        suite = Suite(session, a.version)
        record_from_profile(suite)
        suite.reset(MODEM, real_libraries=True, env={"QVHELP_VIEWER": "none"})
        number_modes(suite)
        save_for_later_keeps_answers(suite)
        failures_end_as_they_should(suite, session)
        # The port opens at the fastest speed the modem's N159 names: 38400.
        suite.reset(MODEM + "N159=1104\n", real_libraries=True, env={"QVHELP_VIEWER": "none"})
        viewers(suite, write=True, wordpad=True)
        # Cancel while the first number rings, then "&Register" again on the
        # number that works: the new call sees its CONNECT.
        w = walk_and_register(suite, "from-test", "555-0177", prefix="9,", pick=0)
        click_cancel_after(session, w, "event \"dial")
        assert CANCEL in w.do("vanishes 60")
        w.do("set 1021 1-800-555-0199")
        w.press("next")
        status = w.do("registering 150")
        assert status == SUCCESS, "status %r" % status
        result = w.finish(timeout=60)
        assert result == 1, "DoRegisterWizard %d" % result
        assert viewers_started(suite) == ["WRITE"], suite.log()
        assert "DT9,1-800-555-0199" in modem_log(session), "no dial prefix"
        assert "terminal speed 38400" in modem_log(session)

        fields, registered = register_dat(suite)
        assert registered == 1, "flag %d" % registered
        check_stored_answers(session, w.answers)
        cols, rows = host_rows(session)
        assert len(rows) == 1, "rows %r" % rows
        stored = list(rows[0][cols.index("first_name"):][:32])
        assert stored == fields, "host row %r\nrecord   %r" % (stored, fields)
        assert fields[13] == "from-test", fields
        product = open(os.path.join(TOP, "data", "reghost", "product.rtf"), "rb").read()
        got = open(os.path.join(suite.dir, "REGISTER.RTF"), "rb").read()
        assert got == product, "REGISTER.RTF %d bytes, host file %d" % (len(got), len(product))

        # Registered once: the next "&Register" asks first; going on
        # registers again, and field 13 stays as saved; the second time the
        # host asks for the record before it announces the file's size.
        for write, shell, seen in ((False, False, "WORDPAD"), (False, True, "FAKEVIEW")):
            if shell:
                session.restart_line(None, ["--data-first"])
            viewers(suite, write, wordpad=not shell)
            if shell:
                reg(session, "HKCR\\.rtf", "/ve", "/d", "kxview")
                reg(session, "HKCR\\kxview\\shell\\open\\command", "/ve", "/d",
                    "C:\\KESTRIX\\FAKEVIEW.EXE \"%1\"")
            w = walk_and_register(suite, None, pick=1 + shell)
            answer = w.do("msgbox Registration Warning")
            assert "already registered" in answer, answer
            assert w.do("registering 150") == SUCCESS
            assert w.finish(timeout=60) == 1
            assert viewers_started(suite) == [seen], suite.log()
            check_stored_answers(session, w.answers)
        assert len(host_rows(session)[1]) == 3
        assert register_dat(suite)[0][13] == "from-test"

        # "No" to registering again: no call, the dial page stays.
        before = dials(session)
        w = walk_and_register(suite, None)
        assert "already registered" in w.do("answer 7 Registration Warning")
        w.do("nomsgbox Registering")
        assert w.do("get 57620") == "&Register"
        w.do("close")
        assert w.finish() == 0
        assert dials(session) == before and len(host_rows(session)[1]) == 3
        assert register_dat(suite)[1] == 1

        # REGISTER.DAT held by another program while the wizard loads it,
        # free again when it saves: the page shows the profile's (empty)
        # name, and that record does not replace the file.
        holder = suite.s.start("WIZDRIVE.EXE", [], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        holder.stdin.write("hold C:\\KESTRIX\\REGISTER\\REGISTER.DAT\n")
        holder.stdin.flush()
        assert holder.stdout.readline().startswith("ok")
        kept = register_dat(suite)
        w = RegisterWizard(suite)
        holder.communicate("release\n", timeout=10)
        assert w.do("get 1024") == ""
        w.do("close")
        assert w.finish() == 0
        assert register_dat(suite) == kept
    print("register_flow %s: ok" % a.version)


if __name__ == "__main__":
    main()
