#!/usr/bin/env python3
"""Every dialog template, picture, icon and string the library's code names
is in the built DLL as the kind of resource the code loads it as, and so are
the ones shipped for the suite's other programs that the wizards never load.
Read from the file itself, so the shipping i686 build is checked too.

    check_resources.py WINDRES SOURCE_DIR DLL...
"""
import os
import re
import subprocess
import sys

CODE = ("framework", "setup", "registration", "modem", "entry")
HEADERS = ("resources/resource.h", "resources/setup_ids.h", "resources/registration_ids.h")
KINDS = {"IDD": "DIALOG", "IDB": "BITMAP", "IDI": "ICON", "IDS": "STRING"}
SHIPPED = {("DIALOG", 104), ("BITMAP", 303)}


def wanted(source):
    values = {}
    for header in HEADERS:
        text = open(os.path.join(source, header)).read()
        values.update(re.findall(r"^#define\s+(ID[DBIS]_\w+)\s+(\d+)", text, re.M))
    named = set()
    for folder in CODE:
        for root, _, files in os.walk(os.path.join(source, folder)):
            for name in (f for f in files if f.endswith(".cpp")):
                text = open(os.path.join(root, name), encoding="latin-1").read()
                named.update(re.findall(r"\b(ID[DBIS]_\w+)\b", text))
    undefined = sorted(n for n in named if n not in values)
    assert not undefined, "named in the code, defined in no resource header: %s" % undefined
    return {(KINDS[n[:3]], int(values[n])) for n in named} | SHIPPED


def present(windres, dll):
    rc = subprocess.run([windres, "-i", dll, "-O", "rc"], check=True, stdout=subprocess.PIPE,
                        text=True, errors="replace").stdout
    # Bitmaps and icons come out by type number with the type's name beside it.
    found = {(kind.replace("DIALOGEX", "DIALOG").replace("GROUP_ICON", "ICON"), int(i))
             for i, kind in re.findall(r"^(\d+)\s+(?:\d+\s+/\*\s*RT_)?"
                                       r"(DIALOGEX|DIALOG|BITMAP|GROUP_ICON)\b", rc, re.M)}
    for table in re.findall(r"^STRINGTABLE.*?^END", rc, re.M | re.S):
        found |= {("STRING", int(i)) for i in re.findall(r"^\s+(\d+),", table, re.M)}
    return found


def main(argv):
    windres, source, dlls = argv[1], argv[2], [d for d in argv[3:] if os.path.isfile(d)]
    need, status = wanted(source), 0
    for dll in dlls:
        lacking = sorted(need - present(windres, dll))
        if lacking:
            print("%s lacks %s" % (dll, lacking))
            status = 1
    print("checked %d resources in %s" % (len(need), ", ".join(dlls)))
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv))
