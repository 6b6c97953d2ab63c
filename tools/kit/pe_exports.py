#!/usr/bin/env python3
"""Writes a module-definition (.def) file from a built DLL's own export table.

    tools/kit/pe_exports.py X.DLL [-o X.def]

Each export keeps its name and ordinal; one that points into a section that
holds no code is marked DATA, so an import library made from the file gives
it no call thunk. As a module: read_exports(path) and def_text(path)."""

import argparse
import struct
import sys

MACHINES = {0x14C: "i386", 0x8664: "i386:x86-64"}  # llvm-dlltool's -m names
IMAGE_SCN_CNT_CODE = 0x20
IMAGE_SCN_MEM_EXECUTE = 0x20000000


class Image:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("not an MZ file")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE header")
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        directories = optional + (96 if magic == 0x10B else 112)
        self.export_rva, self.export_size = struct.unpack_from("<II", data, directories)
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            _, vsize, va, rawsize, rawptr = struct.unpack_from("<8sIIII", data, table + 40 * i)
            flags = struct.unpack_from("<I", data, table + 40 * i + 36)[0]
            self.sections.append((va, max(vsize, rawsize), rawptr, flags))

    def section_of(self, rva):
        for va, size, rawptr, flags in self.sections:
            if va <= rva < va + size:
                return va, rawptr, flags
        raise ValueError("RVA %#x lies in no section" % rva)

    def offset(self, rva):
        va, rawptr, _ = self.section_of(rva)
        return rawptr + rva - va

    def is_code(self, rva):
        return bool(self.section_of(rva)[2] & (IMAGE_SCN_CNT_CODE | IMAGE_SCN_MEM_EXECUTE))

    def text(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def u32(self, rva, index=0):
        return struct.unpack_from("<I", self.data, self.offset(rva) + 4 * index)[0]

    def u16(self, rva, index=0):
        return struct.unpack_from("<H", self.data, self.offset(rva) + 2 * index)[0]


def read_exports(path):
    """(machine name, DLL name, [(ordinal, name, is_data)])."""
    with open(path, "rb") as f:
        image = Image(f.read())
    if image.machine not in MACHINES:
        raise ValueError("%s: machine %#x" % (path, image.machine))
    if not image.export_rva:
        return MACHINES[image.machine], None, []
    d = image.export_rva
    name_rva, base, _, count, functions, names, ordinals = (image.u32(d, i) for i in range(3, 10))
    exports = []
    for i in range(count):
        name = image.text(image.u32(names, i))
        index = image.u16(ordinals, i)
        rva = image.u32(functions, index)
        # A forwarded export points at the text naming its target; a caller
        # imports it as code from this DLL all the same.
        forwarded = image.export_rva <= rva < image.export_rva + image.export_size
        exports.append((base + index, name, not forwarded and not image.is_code(rva)))
    return MACHINES[image.machine], image.text(name_rva), sorted(exports)


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
