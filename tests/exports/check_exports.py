#!/usr/bin/env python3
"""A DLL exports exactly the given names, undecorated (no leading underscore,
no @N suffix), as callers that look functions up by name need. With --i686,
the shipping 32-bit file (when that build exists) exports the same names and
is a PE32 file for Intel 386, stripped and within the shipping size budget.
With --members, C++ members (decorated names, checked by check_db_classes.py)
may be exported besides the names.

    check_exports.py OBJDUMP DLL [--i686 I686_DLL] [--members] NAME...
"""

import os
import re
import subprocess
import sys

# What the wizard library may weigh as shipped (stripped, code and resources).
SHIPPING_BUDGET = 300 * 1024


def objdump_out(objdump, option, dll):
    return subprocess.run([objdump, option, dll], check=True, stdout=subprocess.PIPE,
                          text=True).stdout


def exported_names(objdump, dll):
    names, in_table = [], False
    for line in objdump_out(objdump, "-p", dll).splitlines():
        if "[Ordinal/Name Pointer] Table" in line:
            in_table = True
        elif in_table and line.strip().startswith("["):
            names.append(line.split("]", 1)[1].strip())
        elif in_table:
            break
    return sorted(names)


def main(argv):
    objdump, dlls, expected = argv[1], [argv[2]], argv[3:]
    i686 = None
    if expected[:1] == ["--i686"]:
        i686, expected = expected[1], expected[2:]
        if os.path.isfile(i686):
            dlls.append(i686)
        else:
            print("note: no i686 build at %s; only %s was checked" % (i686, argv[2]))
    members = expected[:1] == ["--members"]
    if members:
        expected = expected[1:]
    status = 0
    for dll in dlls:
        names = [n for n in exported_names(objdump, dll) if not (members and n.startswith("?"))]
        if names != sorted(expected):
            print("%s exports %s, expected %s" % (dll, names, sorted(expected)))
            status = 1
    if i686 in dlls:
        header = objdump_out(objdump, "-p", i686)
        magic = re.search(r"^Magic\s+(\w+)", header, re.M)
        arch = re.search(r"^architecture: ([^,]*)", objdump_out(objdump, "-f", i686), re.M)
        found = ("pei-i386" in header, magic and magic.group(1), arch and arch.group(1))
        if found != (True, "010b", "i386"):
            print("%s: pei-i386 format, optional header magic, architecture: %s; expected "
                  "(True, '010b', 'i386')" % (i686, found))
            status = 1
        size = os.path.getsize(i686)
        if size > SHIPPING_BUDGET or ".debug_info" in objdump_out(objdump, "-h", i686):
            print("%s: %d bytes (budget %d) or not stripped" % (i686, size, SHIPPING_BUDGET))
            status = 1
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv))
