#!/usr/bin/env python3
"""Will QVWIZ32.DLL load in this suite folder? For every name it imports
from another DLL: whether the DLL is in the folder and exports that name.
When it does not, and the DLL exports the same member under another
decoration, says what differs (types, qualifiers, calling convention), as
a suite built by another compiler or from other headers shows it. Imports
from Windows' own DLLs are listed, not checked.

    ./go check-suite DIR [FILE]      (FILE: another program or DLL of DIR)

Exit status 1 when any import does not resolve.
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pe_names  # noqa: E402

USAGE = "usage: ./go check-suite DIR [FILE]"
PARTS = ("access", "storage", "type", "convention", "args", "qualifiers")
NONE = {"access": "no access", "storage": "not virtual", "type": "no result",
        "qualifiers": "no qualifiers"}


def files_by_name(folder):
    return {f.lower(): os.path.join(folder, f) for f in os.listdir(folder)}


def args_distance(a, b):
    a, b = a.strip("()").split(", "), b.strip("()").split(", ")
    return sum(x != y for x, y in zip(a, b)) + abs(len(a) - len(b))


def nearest(wanted, candidates):
    """The key of the candidate declaration closest to wanted: fewest
    differing parts, then fewest differing arguments."""
    def distance(key):
        have = candidates[key]
        return (sum(wanted[p] != have[p] for p in PARTS), args_distance(wanted["args"], have["args"]))
    return min(candidates, key=distance, default=None)


def describe_miss(importer, dll, name, readable, exported, imported):
    """Why name is not among exported, in one line. The near miss is looked
    for among the exports nothing else imports."""
    importer, dll = (os.path.splitext(n)[0].upper() for n in (importer, dll))
    wanted = pe_names.split_declaration(readable.get(name, ""))
    if not wanted:
        return "%s: not exported by %s" % (readable.get(name, name), dll)
    same_member = {}
    for export in exported:
        have = pe_names.split_declaration(readable.get(export, ""))
        if have and have["name"] == wanted["name"] and export not in imported:
            same_member[export] = have
    export = nearest(wanted, same_member)
    if not export:
        return "%s: %s exports no %s" % (readable[name], dll, wanted["name"])
    differ = [p for p in PARTS if wanted[p] != same_member[export][p]]
    if not differ:
        return "%s: %s wants %s, %s exports %s (the same declaration, decorated otherwise)" % (
            wanted["name"], importer, name, dll, export)
    return "%s: %s wants %s, %s exports %s" % (
        wanted["name"], importer, ", ".join(wanted[p] or NONE[p] for p in differ),
        dll, ", ".join(same_member[export][p] or NONE[p] for p in differ))


def check(folder, program="QVWIZ32.DLL"):
    """(report lines, number of unresolved imports)."""
    files = files_by_name(folder)
    if program.lower() not in files:
        return ["%s: no %s" % (folder, program)], 1
    pe = pe_names.PeFile(files[program.lower()])
    lines, unresolved = ["%s imports, in %s:" % (program, folder)], 0
    for dll, names in sorted(pe.imports.items()):
        if dll not in files:
            if dll in pe_names.SYSTEM_DLLS:
                lines.append("  %s: system (not checked), %s" % (dll, count(names)))
            else:
                lines.append("  %s: MISSING from the folder; %s unresolved" % (dll, count(names)))
                unresolved += len(names)
            continue
        other = pe_names.PeFile(files[dll])
        if other.machine != pe.machine:
            lines.append("  %s: built for %s, %s for %s; %s unresolved" % (
                dll, other.machine, program, pe.machine, count(names)))
            unresolved += len(names)
            continue
        exported = other.exports
        # An import by ordinal ("#7") resolves when the DLL has that ordinal.
        ordinals = {"#%d" % ordinal for ordinal, _, _ in other.export_entries()[1]}
        missing = sorted(set(names) - set(exported) - ordinals)
        lines.append("  %s: %d of %s resolve" % (dll, len(names) - len(missing), count(names)))
        readable = pe_names.undecorate(missing + exported) if missing else {}
        lines += ["    UNRESOLVED " + describe_miss(program, dll, n, readable, exported, set(names))
                  for n in missing]
        unresolved += len(missing)
    lines.append("%d unresolved" % unresolved if unresolved else "everything resolves")
    return lines, unresolved


def count(names):
    return "%d name%s" % (len(names), "" if len(names) == 1 else "s")


def main(argv):
    if len(argv) not in (2, 3) or not os.path.isdir(argv[1]):
        print(USAGE, file=sys.stderr)
        return 2
    lines, unresolved = check(*argv[1:])
    print("\n".join(lines))
    return 1 if unresolved else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
