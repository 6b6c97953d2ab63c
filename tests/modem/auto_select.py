#!/usr/bin/env python3
"""Auto Select on the real modem model page, under Wine, against the
simulated modem playing each persona in turn, on COM2 (a pty) or on COM3 (an
RFC 2217 port): prints persona -> outcome and fails on a wrong model, a model
missed, or a broken port that does not end in message 526.

    auto_select.py --suite build/x64/bin --modemsim build/native/bin/modemsim [--rfc2217]
"""
import argparse
import os
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
TOP = os.path.join(HERE, "..", "..")
sys.path.insert(0, os.path.join(TOP, "tools", "wine"))
from wine import WineSession  # noqa: E402
from modem_driver import Line, auto_select  # noqa: E402
from wizard_driver import Suite, Wizard, choose, walk_to_model  # noqa: E402

# Persona -> its model's file in data/modems (personas of models the
# database does not hold are left out).
RECORDS = {
    "boca-m144gra": "boca-m144gra", "bocamodem-144": "boca-144",
    "conexant-reference": "conexant-v90", "davicom": "davicom",
    "hayes-accura-336": "hayes-accura-336", "hayes-optima-336b": "hayes-optima-336b",
    "lucent-lt-winmodem": "lucent-lt-v90", "motorola-modemsurfr-288": "motorola-modemsurfr-288",
    "multitech-mt3334zdxv": "multitech-mt3334zdxv", "multitech-mt5634zbav": "multitech-mt5634zbav",
    "pp-pm14400fxmt": "pp-pm14400fxmt", "rockwell-rc144": "rockwell-rc144",
    "rockwell-rc288": "rockwell-rc288", "rockwell-rc336": "rockwell-rc336",
    "supra-fax-v32bis": "supra-v32bis", "supra-faxmodem-288": "supra-288",
    "supraexpress-56e": "supraexpress-56e", "usr-courier-dual-standard": "usr-courier-dual",
    "usr-courier-v34": "usr-courier-v34", "usr-sportster-288": "usr-sportster-288",
    "usr-sportster-33600": "usr-sportster-33600",
    "usr-sportster-message-plus": "usr-sportster-message", "zoom-2949l": "zoom-2949l",
    "zoom-v90-pci": "zoom-v90-pci", "zyxel-1496eg-plus": "zyxel-1496eg-plus",
    "zyxel-u1496e-plus": "zyxel-u1496e-plus",
}
# Real modems that say nothing to tell them by: the 1496EG+ answers ATI3 and
# ATI4 with OK alone, and AT+FMFR? with ERROR.
UNIDENTIFIABLE = {"zyxel-1496eg-plus"}
NONE_TEXT = "Your modem's type could not be determined."


def model_name(record):
    for line in open(os.path.join(TOP, "data", "modems", record + ".modem"), encoding="latin-1"):
        key, _, value = line.partition("=")
        if key.strip() == "MODEL":
            return value.strip()
    raise ValueError(record)


def sweep(w, line):
    """Failures, and a persona whose probe leaves a choice of models."""
    failures, identified, ambiguous, chooser = [], 0, 0, None
    for persona, record in sorted(RECORDS.items()):
        line.start("--persona", persona)
        model = model_name(record)
        message, selected, candidates = auto_select(w)
        if message.startswith("The following modem was detected") and selected == model:
            outcome, identified = "identified", identified + 1
        elif persona in UNIDENTIFIABLE and message.startswith(NONE_TEXT):
            outcome = "message 526 (gives no identification)"
        elif candidates and model in candidates[1:]:
            outcome, ambiguous = "ambiguous among %s" % candidates[1:], ambiguous + 1
            chooser = chooser or persona
        else:
            outcome = "WRONG: %r, selected %r, candidates %r" % (message, selected, candidates)
            if not failures:
                print(open(line.transcript, encoding="latin-1").read()[-3000:])
            failures.append(persona)
        print("  %-28s -> %s" % (persona, outcome))
    print("%d personas: %d identified, %d ambiguous, %d unidentifiable, %d wrong"
          % (len(RECORDS), identified, ambiguous, len(UNIDENTIFIABLE), len(failures)))
    return failures, chooser


def choosing_among_candidates(w, line, persona):
    """The candidates list: "None" first and the first name chosen in both
    lists; clicking a name chooses it in the full list behind; "None" brings
    the full list back with that choice kept."""
    line.start("--persona", persona)
    names = auto_select(w)[2]
    last = len(names) - 1
    steps = [(None, "1", names[1], names[1]), (last, "1", names[last], names[last]),
             (0, "0", names[last], None)]
    failures = []
    for action, shown, selected, candidate in steps:
        if action is not None:
            x, y = w.do("point 1063 %d" % action).split()
            w.suite.s.xdotool("mousemove", x, y, "click", "1")
            w.do("pause 300")
        got = (w.do("visible 1063"), w.do("visible 1062") == "0", w.do("selected 1062"))
        want = (shown, shown == "1", selected)
        if candidate:
            got += (w.do("selected 1063"),)
            want += (candidate,)
        ok = names[0] == "None" and got == want
        print("  %-28s -> %s" % ("candidates, %s" % ("at first" if action is None else
                                                    "click on %d" % action),
                                 "ok" if ok else "WRONG: %r, want %r (%r)" % (got, want, names)))
        if not ok:
            failures.append("candidates %s" % action)
    return failures


def broken_ports(w, line, port):
    failures = []
    for name, options in (("deaf", ["--deaf"]), ("ERROR to E0V1", ["--error-on", "E"]),
                          ("held by another program", ["--persona", "davicom"]),
                          ("nothing on the port", None)):
        held = name.startswith("held")
        if options is None:
            line.stop()
        else:
            line.start(*options)
        if held:
            w.do("hold " + port)
        message = auto_select(w)[0]
        if held:
            w.do("release")
        ok = message.startswith(NONE_TEXT)
        print("  %-28s -> %s" % (name, "message 526" if ok else "WRONG: %r" % message))
        if not ok:
            failures.append(name)
    return failures


def finish_keeps_the_model(w, line, suite):
    """Done after Auto Select leaves the persona's commands and replies in
    the profile."""
    line.start("--persona", "zoom-v90-pci")
    auto_select(w)
    w.press("next")
    choose(w, False, False, False)
    w.press("next")
    w.finish()
    profile = suite.profile()
    # The installed profile names no model and no manufacturer reply.
    got = {key: profile.get(key) for key in ("S110", "S111", "S147")}
    ok = got["S110"] == model_name("zoom-v90-pci") and got["S111"] and got["S147"]
    print("  finish after Auto Select    -> %s" % ("profile holds the model" if ok else "WRONG: %r" % got))
    return [] if ok else ["finish"]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--suite", required=True)
    parser.add_argument("--modemsim", required=True)
    parser.add_argument("--rfc2217", action="store_true")
    args = parser.parse_args()
    work = tempfile.mkdtemp(prefix="kx-autoselect-")
    link = os.path.join(work, "modem")
    rfc_port = 20000 + os.getpid() % 20000 if args.rfc2217 else 0
    port = "COM3" if args.rfc2217 else "COM2"
    line = Line(args.modemsim, rfc_port, link)
    try:
        with WineSession(suite=args.suite, com={"COM2": link}) as session:
            suite = Suite(session, "win95")
            if args.rfc2217:
                with open(os.path.join(suite.dir, "QVCOMM.INI"), "w") as f:
                    f.write("[Ports]\r\nCOM3=127.0.0.1:%d\r\n" % rfc_port)
            suite.reset("L55=%s\n" % port)
            w = Wizard(suite)
            walk_to_model(w, port)
            print("Auto Select on %s:" % port)
            failures, chooser = sweep(w, line)
            failures += choosing_among_candidates(w, line, chooser) if chooser else ["no choice"]
            failures += broken_ports(w, line, port)
            failures += finish_keeps_the_model(w, line, suite)
    finally:
        line.stop()
    print("FAIL" if failures else "PASS", failures or "")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
