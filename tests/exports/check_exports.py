#!/usr/bin/env python3
"""A DLL exports exactly the given names, undecorated (no leading underscore,
no @N suffix), as callers that look functions up by name need.

    check_exports.py OBJDUMP DLL NAME...
"""

import subprocess
import sys


def exported_names(objdump, dll):
    out = subprocess.run([objdump, "-p", dll], check=True, stdout=subprocess.PIPE,
                         text=True).stdout
    names, in_table = [], False
    for line in out.splitlines():
        if "[Ordinal/Name Pointer] Table" in line:
            in_table = True
        elif in_table and line.strip().startswith("["):
            names.append(line.split("]", 1)[1].strip())
        elif in_table:
            break
    return names


def main(argv):
    objdump, dll, expected = argv[1], argv[2], sorted(argv[3:])
    names = sorted(exported_names(objdump, dll))
    if names != expected:
        print("%s exports %s, expected %s" % (dll, names, expected))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
