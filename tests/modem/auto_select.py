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
from wizard_driver import Suite, Wizard, walk_to_model  # noqa: E402

# Persona -> the model Auto Select must name for it, from the table the
# model commands test shares.
MODELS = dict(line.strip().split(None, 2)[1:] for line in
              open(os.path.join(HERE, "..", "modemsim", "personas.txt")) if line.startswith("*"))
# Real modems that say nothing to tell them by: the 1496EG+ answers ATI3 and
# ATI4 with OK alone, and AT+FMFR? with ERROR.
UNIDENTIFIABLE = {"zyxel-1496eg-plus"}
NONE_TEXT = "Your modem's type could not be determined."
CHOOSE_TEXT = ("The exact model of your modem could not be determined.  Please choose a modem "
               "from the new modem list.")


def sweep(w, line, port):
    """Failures, and a persona whose probe leaves a choice of models."""
    failures, identified, ambiguous, chooser = [], 0, 0, None
    for persona, model in sorted(MODELS.items()):
        line.start("--persona", persona)
        message, selected, candidates = auto_select(w)
        if message == "The following modem was detected on %s:\\n\\n%s" % (port, model) and selected == model:
            outcome, identified = "identified", identified + 1
        elif persona in UNIDENTIFIABLE and message.startswith(NONE_TEXT):
            outcome = "message 526 (gives no identification)"
        elif candidates and model in candidates[1:] and message == CHOOSE_TEXT:
            outcome, ambiguous = "ambiguous among %s" % candidates[1:], ambiguous + 1
            chooser = chooser or persona
        else:
            outcome = "WRONG: %r, selected %r, candidates %r" % (message, selected, candidates)
            if not failures:
                print(open(line.transcript, encoding="latin-1").read()[-3000:])
            failures.append(persona)
        print("  %-28s -> %s" % (persona, outcome))
    print("%d personas: %d identified, %d ambiguous, %d unidentifiable, %d wrong"
          % (len(MODELS), identified, ambiguous, len(UNIDENTIFIABLE), len(failures)))
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
            failures, chooser = sweep(w, line, port)
            failures += choosing_among_candidates(w, line, chooser) if chooser else ["no choice"]
            failures += broken_ports(w, line, port)
    finally:
        line.stop()
    print("FAIL" if failures else "PASS", failures or "")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
