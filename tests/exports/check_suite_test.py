#!/usr/bin/env python3
"""./go check-suite on suite folders: in each, everything QVWIZ32.DLL imports
resolves; in a copy whose QVCOMM32.DLL exports GetCommError with an unsigned
int where the library passes an unsigned short, that one import is named,
with the difference, and the check fails.

    check_suite_test.py FOLDER...      (missing folders are noted and skipped)
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile

from check_boundary import report

CHECK_SUITE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools",
                           "suite", "check_suite.py")
MISS = ("GFSerial::GetCommError: QVWIZ32 wants (unsigned short &), "
        "QVCOMM32 exports (unsigned int &)")


def check_suite(folder):
    run = subprocess.run([sys.executable, CHECK_SUITE, folder], stdout=subprocess.PIPE, text=True)
    return run.returncode, run.stdout


def retype_get_comm_error(dll):
    """The export's last argument code, G (unsigned short), becomes I (in
    the symbol table's copy of the name too, when the file has one)."""
    with open(dll, "rb") as f:
        data = f.read()
    data, count = re.subn(rb"(\?GetCommError@GFSerial@@\w*?)G@Z\0", rb"\1I@Z\0", data)
    with open(dll, "wb") as f:
        f.write(data)
    return count


def problems(folder):
    status, out = check_suite(folder)
    if status or "everything resolves" not in out:
        yield "%s: exit %d\n%s" % (folder, status, out)
    with tempfile.TemporaryDirectory() as copy:
        for name in os.listdir(folder):
            if name.upper().endswith(".DLL"):
                shutil.copy(os.path.join(folder, name), copy)
        if not retype_get_comm_error(os.path.join(copy, "QVCOMM32.DLL")):
            yield "%s: QVCOMM32.DLL has no GetCommError export to retype" % folder
            return
        status, out = check_suite(copy)
        if status != 1 or MISS not in out or out.count("UNRESOLVED") != 1:
            yield "%s, GetCommError retyped: exit %d, expected 1 and '%s' alone\n%s" % (
                folder, status, MISS, out)


if __name__ == "__main__":
    sys.exit(report(sys.argv[1:], problems))
