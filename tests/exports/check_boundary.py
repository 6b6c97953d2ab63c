#!/usr/bin/env python3
"""QVWIZ32.DLL meets the suite's other modules in Microsoft's C++ ABI: its
export table, and what it imports from the suite's profile, path, serial
port and modem database libraries, read back from the decorated names, are
exactly the declarations of qvwiz32_names.txt, with their types, qualifiers
and calling conventions. A program built by Microsoft's compiler against the
suite's headers finds every member under that name, and the library loads
beside the suite's own copies of those libraries.

    check_boundary.py DLL...      (missing files are noted and skipped)
"""

import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                "tools", "suite"))
import pe_names  # noqa: E402

NAMES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "qvwiz32_names.txt")


def expand(line):
    m = re.search(r"\{([^}]*)\}", line)
    if not m:
        return [line]
    return [d for alt in m.group(1).split(",")
            for d in expand(line[:m.start()] + alt + line[m.end():])]


def expected_lists(machine):
    lists, section = {}, None
    with open(NAMES) as f:
        for line in f:
            line = line.strip()
            if line.startswith("["):
                section = lists.setdefault(line.strip("[]"), set())
            elif line and not line.startswith("#"):
                if machine == "x86_64":
                    line = line.replace("__stdcall", "__cdecl")
                section.update(pe_names.tidy(d) for d in expand(line))
    return lists


def declarations(names, machine):
    readable = pe_names.undecorate(names)
    return {pe_names.plain_declaration(readable.get(n, n), machine) for n in names}


def problems(dll):
    pe = pe_names.PeFile(dll)
    found = {"exports": pe.exports}
    found.update(("imports " + lib, names) for lib, names in pe.imports.items())
    for section, expected in expected_lists(pe.machine).items():
        actual = declarations(found.get(section, []), pe.machine)
        tables = {d for d in actual if re.match(r"const (\w+)::`vftable'$", d)}
        for label, names in (("missing", expected - actual), ("not expected", actual - expected
                                                               - tables)):
            for name in sorted(names):
                yield "%s (%s) %s: %s: %s" % (dll, pe.machine, section, label, name)


def report(paths, problems):
    """Prints the problems of every path that exists; 1 if there was one."""
    status = 0
    for path in paths:
        if not os.path.exists(path):
            print("note: %s is not there; not checked" % path)
            continue
        for problem in problems(path):
            print(problem)
            status = 1
    return status


if __name__ == "__main__":
    sys.exit(report(sys.argv[1:], problems))
