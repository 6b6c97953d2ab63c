#!/usr/bin/env python3
"""Makes the release from the shipping (i686) build.

    scripts/dist.py [--build build/i686] [--out DIR] [--no-zip] [--lane DIR]
    scripts/dist.py --kit-only [--build BUILD] --out DIR

DIR (default BUILD/release) gets:
    KESTRIX/      what a user installs: the wizard library, the suite's
                  components, the modem database, help, OEM.CFG and the
                  setup profile (the build's bin/ holds test programs and
                  stand-ins for Windows' own parts besides)
    KIT/include   for suite programmers: the headers of the suite's DLLs
    KIT/def       each DLL's .def file, read from its own export table
    KIT/lib       each DLL's import library in Windows' own format (X.lib,
                  for Microsoft's linker or lld-link) and MinGW's (libX.dll.a)
    MANIFEST.txt  size, SHA-256 and path of every file above
and beside it DIR.zip of the same. With --kit-only, DIR gets KIT/ alone,
from any build (the x86_64 one's tests link a program against its own). With --lane, LANE becomes a suite folder
for the tests: the release's KESTRIX/ plus every other file of bin/ (the
test programs, WIZDRIVE.EXE, the TAPI32.DLL and MODEM.CPL that stand in for
Windows' own), so the tests run the released bytes."""

import argparse
import hashlib
import os
import shutil
import subprocess
import sys
import zipfile

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(TOP, "tools", "kit"))
import pe_exports  # noqa: E402

# What a user installs, as named in bin/ (folders with all they hold).
INSTALLED = [
    "QVWIZ32.DLL", "KESTRIX.EXE", "QVMENU.EXE",
    "QVSTP32.DLL", "QVCMMN32.DLL", "QVCOMM32.DLL", "QVDBF32.DLL", "CBASE32.DLL",
    "QVUTIL32.DLL", "QVDETECT.DLL",
    "MODEM.DBF", "MODEM.DBT", "OEM.CFG", "QVSETUP.INI", "HELP", "REGISTER",
]
HEADERS = ["entry/qvwiz32.h"] + ["suite/include/" + name for name in (
    "cbase32.hpp", "cbase32.h", "cbase32_util.h", "qvstp32.h", "qvcmmn32.h", "qvcomm32.h",
    "qvdbf32.h")]


def fail(message):
    sys.exit("dist: " + message)


def copy(src, dest):
    os.makedirs(os.path.dirname(dest), exist_ok=True)
    if os.path.isdir(src):
        shutil.copytree(src, dest)
    else:
        shutil.copy2(src, dest)


def make_import_library(dll, kit):
    """KIT/def/NAME.def from the DLL's export table and KIT/lib/NAME.lib from
    that; False when the DLL exports nothing."""
    machine, text = pe_exports.def_text(dll)
    if text.rstrip().endswith("EXPORTS"):
        return False
    stem = os.path.splitext(os.path.basename(dll))[0]
    definition = os.path.join(kit, "def", stem + ".def")
    os.makedirs(os.path.dirname(definition), exist_ok=True)
    with open(definition, "w") as f:
        f.write(text)
    library = os.path.join(kit, "lib", stem + ".lib")
    os.makedirs(os.path.dirname(library), exist_ok=True)
    subprocess.run(["llvm-dlltool", "-m", machine, "-d", definition, "-l", library], check=True)
    return True


def make_kit(build, kit):
    """The headers, and per exporting DLL its .def and both import libraries."""
    if os.path.exists(kit):
        shutil.rmtree(kit)
    for path in HEADERS:
        copy(os.path.join(TOP, path), os.path.join(kit, "include", os.path.basename(path)))
    for name in INSTALLED:
        dll = os.path.join(build, "bin", name)
        if not name.endswith(".DLL") or not make_import_library(dll, kit):
            continue
        mingw = os.path.join(build, "lib", "lib%s.a" % name.replace(".DLL", ".dll"))
        if os.path.exists(mingw):
            copy(mingw, os.path.join(kit, "lib", os.path.basename(mingw)))
    if not os.path.exists(os.path.join(kit, "lib", "QVWIZ32.lib")):
        fail("QVWIZ32.DLL exports nothing")


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


def check_built(build):
    bin_dir = os.path.join(build, "bin")
    missing = [n for n in INSTALLED if not os.path.exists(os.path.join(bin_dir, n))]
    if missing:
        fail("the build lacks %s (build it first: scripts/build.sh)" % ", ".join(missing))


def make_release(build, out):
    bin_dir = os.path.join(build, "bin")
    check_built(build)
    if os.path.exists(out):
        shutil.rmtree(out)
    for name in INSTALLED:
        copy(os.path.join(bin_dir, name), os.path.join(out, "KESTRIX", name))
    installed = os.path.join(out, "KESTRIX")
    lacking = [n for n in profile_names(os.path.join(installed, "QVSETUP.INI"))
               if not os.path.exists(os.path.join(installed, n))]
    if lacking:
        fail("the profile names %s, which the release lacks" % ", ".join(lacking))
    make_kit(build, os.path.join(out, "KIT"))
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
    ap.add_argument("--kit-only", action="store_true")
    a = ap.parse_args()
    build = os.path.abspath(a.build)
    out = os.path.abspath(a.out or os.path.join(build, "release"))
    if a.kit_only:
        check_built(build)
        make_kit(build, os.path.join(out, "KIT"))
        print("kit: %s" % os.path.join(out, "KIT"))
        return
    make_release(build, out)
    print("release: %s" % out)
    if not a.no_zip:
        print("zip: %s" % make_zip(out))
    if a.lane:
        make_lane(build, out, os.path.abspath(a.lane))
        print("test lane: %s" % a.lane)


if __name__ == "__main__":
    main()
