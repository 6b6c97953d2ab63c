#!/usr/bin/env python3
"""Makes the release from the shipping (i686) build.

    scripts/dist.py [--build build/i686] [--out DIR] [--no-zip] [--lane DIR]

DIR (default BUILD/release) gets:
    KESTRIX/      what a user installs: the wizard library, the suite's
                  components, the modem database, help, OEM.CFG and the
                  setup profile (the build's bin/ holds test programs and
                  stand-ins for Windows' own parts besides)
    KIT/include   for suite programmers: the four exports and the database
    KIT/def       classes, the DLLs' .def files and import libraries
    KIT/lib
    MANIFEST.txt  size, SHA-256 and path of every file above
and beside it DIR.zip of the same. With --lane, LANE becomes a suite folder
for the tests: the release's KESTRIX/ plus every other file of bin/ (the
test programs, WIZDRIVE.EXE, the TAPI32.DLL and MODEM.CPL that stand in for
Windows' own), so the tests run the released bytes."""

import argparse
import hashlib
import os
import shutil
import sys
import zipfile

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# What a user installs, as named in bin/ (folders with all they hold).
INSTALLED = [
    "QVWIZ32.DLL", "KESTRIX.EXE", "QVMENU.EXE",
    "QVSTP32.DLL", "QVCMMN32.DLL", "QVCOMM32.DLL", "QVDBF32.DLL", "CBASE32.DLL",
    "QVUTIL32.DLL", "QVDETECT.DLL",
    "MODEM.DBF", "MODEM.DBT", "OEM.CFG", "QVSETUP.INI", "HELP", "REGISTER",
]
HEADERS = ["entry/qvwiz32.h", "suite/include/cbase32.hpp", "suite/include/cbase32.h",
           "suite/include/cbase32_util.h"]
DEFS = ["entry/qvwiz32.def", "suite/cbase32/cbase32.def", "suite/qvutil32/qvutil32.def",
        "suite/qvdetect/qvdetect.def"]


def fail(message):
    sys.exit("dist: " + message)


def copy(src, dest):
    os.makedirs(os.path.dirname(dest), exist_ok=True)
    if os.path.isdir(src):
        shutil.copytree(src, dest)
    else:
        shutil.copy2(src, dest)


def import_libraries(build):
    """lib/libNAME.dll.a of every installed DLL that has one."""
    found = []
    for name in INSTALLED:
        if name.endswith(".DLL"):
            path = os.path.join(build, "lib", "lib%s.a" % name.replace(".DLL", ".dll"))
            if os.path.exists(path):
                found.append(path)
    if not any("QVWIZ32" in p for p in found):
        fail("no import library for QVWIZ32.DLL in %s/lib" % build)
    return found


def all_files(folder):
    for root, dirs, files in os.walk(folder):
        dirs.sort()
        for name in sorted(files):
            path = os.path.join(root, name)
            yield os.path.relpath(path, folder).replace(os.sep, "/"), path


def sha256(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 16), b""):
            h.update(block)
    return h.hexdigest()


def profile_names(profile):
    """The suite's files the setup profile points programs at (the modem
    database, the libraries loaded by name, the menu program)."""
    names = []
    with open(profile, encoding="latin-1") as f:
        for line in f:
            key, _, value = line.strip().partition("=")
            if key in ("S7", "S33", "S35", "L17") and value:
                names.append(value.replace("\\", "/").split("/")[-1])
    return names


def make_release(build, out):
    bin_dir = os.path.join(build, "bin")
    missing = [n for n in INSTALLED if not os.path.exists(os.path.join(bin_dir, n))]
    if missing:
        fail("the build lacks %s (build it first: ./go build i686)" % ", ".join(missing))
    if os.path.exists(out):
        shutil.rmtree(out)
    for name in INSTALLED:
        copy(os.path.join(bin_dir, name), os.path.join(out, "KESTRIX", name))
    installed = os.path.join(out, "KESTRIX")
    lacking = [n for n in profile_names(os.path.join(installed, "QVSETUP.INI"))
               if not os.path.exists(os.path.join(installed, n))]
    if lacking:
        fail("the profile names %s, which the release lacks" % ", ".join(lacking))
    for path in HEADERS:
        copy(os.path.join(TOP, path), os.path.join(out, "KIT", "include", os.path.basename(path)))
    for path in DEFS:
        copy(os.path.join(TOP, path), os.path.join(out, "KIT", "def", os.path.basename(path)))
    for path in import_libraries(build):
        copy(path, os.path.join(out, "KIT", "lib", os.path.basename(path)))
    lines = ["%10d  %s  %s" % (os.path.getsize(p), sha256(p), rel) for rel, p in all_files(out)]
    with open(os.path.join(out, "MANIFEST.txt"), "w") as f:
        f.write("# size  SHA-256  path\n" + "\n".join(lines) + "\n")


def make_zip(out):
    archive = out.rstrip("/") + ".zip"
    top = os.path.basename(out.rstrip("/"))
    with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as z:
        for rel, path in all_files(out):
            z.write(path, top + "/" + rel)
    return archive


def make_lane(build, out, lane):
    if os.path.exists(lane):
        shutil.rmtree(lane)
    shutil.copytree(os.path.join(out, "KESTRIX"), lane)
    bin_dir = os.path.join(build, "bin")
    for name in sorted(os.listdir(bin_dir)):
        if name not in INSTALLED:
            copy(os.path.join(bin_dir, name), os.path.join(lane, name))


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--build", default=os.path.join(TOP, "build", "i686"))
    ap.add_argument("--out")
    ap.add_argument("--no-zip", action="store_true")
    ap.add_argument("--lane")
    a = ap.parse_args()
    build = os.path.abspath(a.build)
    out = os.path.abspath(a.out or os.path.join(build, "release"))
    make_release(build, out)
    print("release: %s" % out)
    if not a.no_zip:
        print("zip: %s" % make_zip(out))
    if a.lane:
        make_lane(build, out, os.path.abspath(a.lane))
        print("test lane: %s" % a.lane)


if __name__ == "__main__":
    main()
