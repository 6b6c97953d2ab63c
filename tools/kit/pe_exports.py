#!/usr/bin/env python3
"""Writes a module-definition (.def) file from a built DLL's own export table.

    tools/kit/pe_exports.py X.DLL [-o X.def]

Each export keeps its name and ordinal; one that points into a section that
holds no code is marked DATA, so an import library made from the file gives
it no call thunk. As a module: read_exports(path) and def_text(path)."""

import argparse
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "suite"))
import pe_names  # noqa: E402

MACHINES = {"i686": "i386", "x86_64": "i386:x86-64"}  # llvm-dlltool's -m names


def read_exports(path):
    """(machine name, DLL name, [(ordinal, name, is_data)])."""
    pe = pe_names.PeFile(path)
    if pe.machine not in MACHINES:
        raise ValueError("%s: machine %s" % (path, pe.machine))
    return (MACHINES[pe.machine],) + pe.export_entries()


def def_text(path):
    """The .def file of a DLL, and the machine name llvm-dlltool wants for it."""
    machine, dll, exports = read_exports(path)
    lines = ["; The exports of %s, read from the file itself." % dll, "LIBRARY %s" % dll, "EXPORTS"]
    for ordinal, name, is_data in exports:
        lines.append("    %s @%d%s" % (name, ordinal, " DATA" if is_data else ""))
    return machine, "\n".join(lines) + "\n"


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("dll")
    ap.add_argument("-o", "--out")
    a = ap.parse_args()
    _, text = def_text(a.dll)
    if a.out:
        with open(a.out, "w") as f:
            f.write(text)
    else:
        sys.stdout.write(text)


if __name__ == "__main__":
    main()
