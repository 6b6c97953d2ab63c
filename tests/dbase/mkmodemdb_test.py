#!/usr/bin/python3
"""The modem database builder: what it makes of model files, what it
refuses, and the shipped MODEM.DBF as an outside reader sees it.
Usage: mkmodemdb_test.py MKMODEMDB WORK_DIR SHIPPED_MODEM_DBF"""
import os
import shutil
import subprocess
import sys

import dbfread

TOOL, WORK, SHIPPED = sys.argv[1:4]
failures = []


def check(what, actual, expected):
    if actual != expected:
        failures.append("%s: got %r, expected %r" % (what, actual, expected))


def build(*files):
    paths = []
    for i, text in enumerate(files):
        paths.append(os.path.join(WORK, "m%d.modem" % i))
        with open(paths[-1], "w") as f:
            f.write(text)
    out = os.path.join(WORK, "TEST.DBF")
    run = subprocess.run([TOOL, "-o", out] + paths, capture_output=True, text=True)
    return run.returncode, run.stderr, out


def main():
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    defaults = "MODEL = (defaults)\nPREFIX = AT\nINIT = AT&F\nMAXCMDLEN = 40\nNOTES = defaults only\n"

    rc, err, out = build(defaults, "# a model\nMODEL = Own Init\nINIT = ATZ\nNOTES = line one\nNOTES = line two\n",
                         'MODEL = Inherits\nMFR_REPLY = "  ROCKWELL"\nHARDFLOW = T\nN160 = -1\n')
    check("good files build", (rc, err), (0, ""))
    rows = list(dbfread.DBF(out, load=True))
    check("records in file order", [r["MODEL"] for r in rows], ["(defaults)", "Own Init", "Inherits"])
    check("own value kept", rows[1]["INIT"], "ATZ")
    check("value taken from the defaults", (rows[2]["INIT"], rows[2]["PREFIX"], rows[2]["MAXCMDLEN"]), ("AT&F", "AT", 40))
    check("memo lines joined", rows[1]["NOTES"], "line one\r\nline two")
    check("notes are not inherited", rows[2]["NOTES"] or "", "")
    check("quoted value keeps its leading blanks", rows[2]["MFR_REPLY"], "  ROCKWELL")
    check("numbers and flags", (rows[2]["N160"], rows[2]["HARDFLOW"]), (-1, True))

    refusals = {
        "unknown field": "MODEL = X\nCOLOUR = red\n",
        "too long": "MODEL = X\nID_CMD = +FMDL?+FMFR?\n",
        "not a number": "MODEL = X\nMAXCMDLEN = forty\n",
        "out of range": "MODEL = X\nMAXCMDLEN = 70000\n",
        "flag": "MODEL = X\nHARDFLOW = yes\n",
        "no model": "PREFIX = AT\n",
        "no equals sign": "MODEL = X\nINIT AT&F\n",
        "repeated field": "MODEL = X\nINIT = A\nINIT = B\n",
    }
    for what, text in refusals.items():
        rc, err, _ = build(defaults, text)
        check("refuses: " + what, (rc, "mkmodemdb:" in err), (1, True))
    rc, err, _ = build(defaults, "MODEL = Same\n", "MODEL = Same\n")
    check("refuses a repeated model name", (rc, "repeats" in err), (1, True))

    shipped = list(dbfread.DBF(SHIPPED, load=True))
    check("shipped: defaults first", shipped[0]["MODEL"], "(defaults)")
    check("shipped: at least 30 models", len(shipped) - 1 >= 30, True)
    for r in shipped[1:]:
        missing = [k for k in ("MODELTEXT", "PREFIX", "INIT", "HANGUP", "R_OK", "R_CONNECT", "DIAL_TONE") if not r[k]]
        check("shipped %s: empty columns" % r["MODEL"], missing, [])
        if r["ID_REPLY"] and not r["ID_CMD"]:
            failures.append("shipped %s: identification reply without command" % r["MODEL"])
    for f in failures:
        print("FAIL", f)
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
