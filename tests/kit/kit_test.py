#!/usr/bin/env python3
"""Builds the kit program from a release kit alone, as a suite programmer
would (clang in Microsoft's C++ ABI, lld-link, the kit's Windows-format
import libraries and MSVCRT's), and runs it under Wine in the suite folder.

    kit_test.py --suite DIR (--kit KIT | --build BUILD) --work DIR

--kit names a release's KIT/; --build makes the kit of that build first
(scripts/dist.py --kit-only)."""

import argparse
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
TOP = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(TOP, "tools", "wine"))
import wine  # noqa: E402

ARCHES = {"win32": ("i686", ["/safeseh:no"]), "win64": ("x86_64", [])}


def run(argv):
    print("+ " + " ".join(argv), flush=True)
    subprocess.run(argv, check=True)


def build_program(kit, arch, work):
    cpu, link_options = ARCHES[arch]
    objects = []
    for source in (os.path.join(HERE, "kit_program.cpp"), os.path.join(HERE, "kit_runtime.cpp"),
                   os.path.join(TOP, "cmake", "msvc_abi_runtime.cpp")):
        obj = os.path.join(work, os.path.basename(source)[:-4] + ".obj")
        run(["clang++", "--target=%s-pc-windows-msvc" % cpu, "-std=c++17", "-O1", "-Wall",
             "-fno-exceptions", "-fno-rtti", "-fno-stack-protector", "-Xclang", "-fno-autolink",
             "-nostdlibinc", "-I", os.path.join(kit, "include"), "-I", HERE,
             "-c", source, "-o", obj])
        objects.append(obj)
    mingw = ["%s-w64-mingw32-gcc" % cpu, "-print-file-name=%s"]
    runtime = [subprocess.run(mingw[:1] + [mingw[1] % lib], check=True, capture_output=True,
                              text=True).stdout.strip() for lib in ("libmsvcrt.a", "libkernel32.a")]
    exe = os.path.join(work, "KITPROG.EXE")
    run(["lld-link", "/nologo", "/out:" + exe, "/subsystem:console", "/entry:mainCRTStartup",
         "/nodefaultlib", *link_options, *objects, os.path.join(kit, "lib", "QVWIZ32.lib"),
         os.path.join(kit, "lib", "CBASE32.lib"), *runtime])
    return exe


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--suite", required=True)
    ap.add_argument("--kit")
    ap.add_argument("--build")
    ap.add_argument("--work", required=True)
    a = ap.parse_args()
    os.makedirs(a.work, exist_ok=True)
    kit = a.kit
    if not kit:
        run([sys.executable, os.path.join(TOP, "scripts", "dist.py"), "--kit-only",
             "--build", a.build, "--out", a.work])
        kit = os.path.join(a.work, "KIT")
    arch = wine.folder_arch(a.suite)
    exe = build_program(kit, arch, a.work)
    session = wine.WineSession(suite=a.suite, copies=[(exe, wine.SUITE_DIR + "\\KITPROG.EXE")])
    with session:
        return session.run("KITPROG.EXE", timeout=60 * session.patience)


if __name__ == "__main__":
    sys.exit(main())
