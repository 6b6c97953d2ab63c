#!/usr/bin/env python3
"""A DLL exports exactly the given names, undecorated (no leading underscore,
no @N suffix), as callers that look functions up by name need. With --i686,
the shipping 32-bit file (when that build exists) exports the same names and
is a 32-bit file for Intel 386, stripped and within the shipping size budget.
With --members, C++ members (Microsoft-decorated names, checked by
check_boundary.py) may be exported besides the names.

    check_exports.py DLL [--i686 I686_DLL] [--members] NAME...
"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                "tools", "suite"))
import pe_names  # noqa: E402

# What the wizard library may weigh as shipped (stripped, code and resources).
SHIPPING_BUDGET = 300 * 1024


def main(argv):
    dlls, expected = [argv[1]], argv[2:]
    i686 = None
    if expected[:1] == ["--i686"]:
        i686, expected = expected[1], expected[2:]
        if os.path.isfile(i686):
            dlls.append(i686)
        else:
            print("note: no i686 build at %s; only %s was checked" % (i686, argv[1]))
    members = expected[:1] == ["--members"]
    if members:
        expected = expected[1:]
    status = 0
    for dll in dlls:
        names = sorted(n for n in pe_names.PeFile(dll).exports
                       if not (members and pe_names.is_microsoft_decorated(n)))
        if names != sorted(expected):
            print("%s exports %s, expected %s" % (dll, names, sorted(expected)))
            status = 1
    if i686 in dlls:
        pe, size = pe_names.PeFile(i686), os.path.getsize(i686)
        if (pe.machine, pe.pe32_plus) != ("i686", False):
            print("%s: machine %s, 64-bit header %s; expected i686, False" % (i686, pe.machine,
                                                                               pe.pe32_plus))
            status = 1
        if size > SHIPPING_BUDGET or pe.symbols:
            print("%s: %d bytes (budget %d) or not stripped" % (i686, size, SHIPPING_BUDGET))
            status = 1
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv))
