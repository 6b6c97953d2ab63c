"""The names a Windows program or DLL imports and exports, read from the
file itself, and Microsoft-decorated C++ names in readable form.

Only the parts of the PE format the tables need are read: the section table
(to turn addresses into file offsets), the export directory's name table and
each imported DLL's lookup table. Pure Python, so what it reports does not
move with the version of a disassembler.
"""

import re
import struct
import subprocess

EXPORT_DIRECTORY, IMPORT_DIRECTORY = 0, 1
IMAGE_SCN_CNT_CODE, IMAGE_SCN_MEM_EXECUTE = 0x20, 0x20000000
MACHINES = {0x14C: "i686", 0x8664: "x86_64"}
# What Windows 95 and NT 4 have of their own that the suite's files import.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll",
               "ole32.dll", "oleaut32.dll", "comctl32.dll", "comdlg32.dll", "msvcrt.dll",
               "winmm.dll", "version.dll"}
CONVENTIONS = "__cdecl|__thiscall|__stdcall|__fastcall|__vectorcall"
# A function's own convention comes right before its name; one inside a
# type (a pointer to function) comes before the pointer's star.
OWN_CONVENTION = re.compile(r"\b(%s) (?!\*)" % CONVENTIONS)


class PeFile:
    """path: .machine ("i686", "x86_64" or the number), .pe32_plus (the
    64-bit header), .symbols (whether a COFF symbol table is left: not
    stripped), .exports (names, sorted as the table keeps them), .imports
    ({dll name in lower case: [names or "#ordinal"]})."""

    def __init__(self, path):
        self.path = path
        with open(path, "rb") as f:
            self.data = f.read()
        if self.data[:2] != b"MZ":
            raise ValueError("%s: not a Windows program or DLL" % path)
        pe = self.u32(0x3C)
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("%s: no PE header" % path)
        machine, sections, _, symbols, _, optional_size = struct.unpack_from("<HHIIIH", self.data,
                                                                             pe + 4)
        self.machine, self.symbols = MACHINES.get(machine, machine), bool(symbols)
        optional = pe + 24
        magic = self.u16(optional)
        self.pe32_plus = magic == 0x20B
        directories = optional + (112 if self.pe32_plus else 96)
        self.directories = [struct.unpack_from("<II", self.data, directories + 8 * i)
                            for i in range(min(16, self.u32(directories - 4)))]
        table = optional + optional_size
        self.sections = []
        for i in range(sections):
            vsize, rva, raw_size, raw = struct.unpack_from("<IIII", self.data, table + 40 * i + 8)
            flags = self.u32(table + 40 * i + 36)
            self.sections.append((rva, max(vsize, raw_size), raw, flags))
        self.exports = self.read_exports()
        self.imports = self.read_imports()

    def u16(self, offset):
        return struct.unpack_from("<H", self.data, offset)[0]

    def u32(self, offset):
        return struct.unpack_from("<I", self.data, offset)[0]

    def section_of(self, rva):
        for start, size, raw, flags in self.sections:
            if start <= rva < start + size:
                return start, raw, flags
        raise ValueError("%s: address %#x is in no section" % (self.path, rva))

    def offset(self, rva):
        start, raw, _ = self.section_of(rva)
        return raw + rva - start

    def is_code(self, rva):
        return bool(self.section_of(rva)[2] & (IMAGE_SCN_CNT_CODE | IMAGE_SCN_MEM_EXECUTE))

    def string(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("latin-1")

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def read_exports(self):
        return sorted(name for _, name, _ in self.export_entries()[1])

    def export_entries(self):
        """(the DLL's own name, [(ordinal, name, is_data)] by ordinal). An
        export pointing into a section that holds no code is data; a
        forwarded one points at the text naming its target, and a caller
        imports it as code from this DLL all the same."""
        rva, size = self.directory(EXPORT_DIRECTORY)
        if not size:
            return None, []
        directory = self.offset(rva)
        name, base, _, count, functions, names, ordinals = (
            self.u32(directory + 12 + 4 * i) for i in range(7))
        entries = []
        for i in range(count):
            index = self.u16(self.offset(ordinals) + 2 * i)
            target = self.u32(self.offset(functions) + 4 * index)
            forwarded = rva <= target < rva + size
            entries.append((base + index, self.string(self.u32(self.offset(names) + 4 * i)),
                            not forwarded and not self.is_code(target)))
        return self.string(name), sorted(entries)

    def read_imports(self):
        rva, size = self.directory(IMPORT_DIRECTORY)
        imports = {}
        if not size:
            return imports
        entry = self.offset(rva)
        while True:
            lookup, _, _, name, thunks = struct.unpack_from("<IIIII", self.data, entry)
            if not name:
                return imports
            functions = imports.setdefault(self.string(name).lower(), [])
            functions += self.read_thunks(lookup or thunks)
            entry += 20

    def read_thunks(self, rva):
        width, by_ordinal = (8, 1 << 63) if self.pe32_plus else (4, 1 << 31)
        at, names = self.offset(rva), []
        while True:
            thunk = struct.unpack_from("<Q" if width == 8 else "<I", self.data, at)[0]
            if not thunk:
                return names
            if thunk & by_ordinal:
                names.append("#%d" % (thunk & 0xFFFF))
            else:
                names.append(self.string((thunk & 0x7FFFFFFF) + 2))
            at += width


def is_microsoft_decorated(name):
    return name.startswith("?")


def is_itanium_decorated(name):
    # On i686, C names carry a leading underscore of their own: __Z is the
    # same name as _Z elsewhere.
    return name.startswith(("_Z", "__Z"))


def undecorate(names, undname="llvm-undname"):
    """{name: readable declaration} for the Microsoft-decorated names among
    names, one llvm-undname run for all of them. A name it cannot read maps
    to itself."""
    names = {n for n in names if is_microsoft_decorated(n)}
    if not names:
        return {}
    out = subprocess.run([undname], input="\n".join(sorted(names)) + "\n", stdout=subprocess.PIPE,
                         stderr=subprocess.DEVNULL, text=True).stdout
    # It echoes each name, then prints its reading (or an error) and a blank line.
    readable, lines = {}, iter(out.splitlines())
    for line in lines:
        if line in names and line not in readable:
            text = next(lines, "")
            readable[line] = line if text.startswith("error:") or not text else text
    return {n: readable.get(n, n) for n in names}


def split_declaration(text):
    """The parts of a readable function declaration as llvm-undname writes
    it: access, storage ("virtual", "static" or ""), convention, name
    (Class::member), args ("(...)"), qualifiers (of this: "const", ...) and
    type (the result type, wrapped around the rest when it is a pointer to
    function). None for data."""
    m = re.match(r"(?:(public|protected|private): )?((?:virtual |static )?)(.*)$", text)
    head = m.group(3)
    own = OWN_CONVENTION.search(head)
    if not own:
        return None
    before, after = head[:own.start()], head[own.end():]
    call_operator = after.find("operator()")
    open_at = after.index("(", call_operator + len("operator()") if call_operator >= 0 else 0)
    depth = 0
    for close, c in enumerate(after[open_at:], open_at):
        depth += {"(": 1, ")": -1}.get(c, 0)
        if not depth:
            break
    tail = re.match(r"(.*?)((?: const| volatile| __ptr64| &&| &)*)$", after[close + 1:])
    return {"access": m.group(1) or "", "storage": m.group(2).strip(), "convention": own.group(1),
            "name": after[:open_at], "args": after[open_at:close + 1],
            "type": " ".join((before + tail.group(1)).split()), "qualifiers": tail.group(2).strip()}


def tidy(text):
    """One spelling for the same type: a space before each * and &, single
    spaces, no __ptr64 (x86_64 pointers are all 64-bit)."""
    text = re.sub(r"\s*([*&])", r" \1", text.replace("__ptr64", ""))
    return " ".join(text.replace("( ", "(").split())


def plain_declaration(text, machine):
    """The declaration without what every export of a machine has in
    common: "public:", and the function's own calling convention when it is
    the usual one (__thiscall for members on i686, __cdecl otherwise).
    Anything unusual stays, so it shows in a comparison."""
    parts = split_declaration(text)
    if not parts:
        return tidy(text)
    member = "::" in parts["name"] and parts["storage"] != "static"
    usual = "__thiscall" if machine == "i686" and member else "__cdecl"
    own = OWN_CONVENTION.search(text)
    head = text[:own.start()]
    if parts["access"] == "public":
        head = head[len("public: "):]
    return tidy(head + ("" if own.group(1) == usual else own.group(0)) + text[own.end():])
