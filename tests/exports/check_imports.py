#!/usr/bin/env python3
"""The suite's programs and DLLs load on Windows 95 and NT 4: they import
only from system DLLs those systems have (or from the suite's own DLLs), and
none of the functions that arrived later. A DLL that imports a missing
function fails to load at all, so one such import breaks the whole suite.
And no file imports or exports a C++ name in MinGW's own decoration: the
suite's modules meet in Microsoft's, and a name decorated otherwise is one
no other module of the suite can match.

    check_imports.py SUITE_FOLDER
"""

import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                "tools", "suite"))
import pe_names  # noqa: E402

# Functions a MinGW runtime or a careless call can pull in that Windows 95
# or NT 4 do not export.
LATER_FUNCTIONS = re.compile(
    r"^(GetTickCount64|AddVectoredExceptionHandler|RemoveVectoredExceptionHandler|"
    r"InitializeCriticalSectionEx|InitializeCriticalSectionAndSpinCount|"
    r"Fls(Alloc|Free|GetValue|SetValue)|.*SRWLock.*|.*ConditionVariable.*|InitOnce.*|"
    r"GetFileSizeEx|SetFilePointerEx|GetModuleHandleEx[AW]|IsProcessorFeaturePresent|"
    r"GetNativeSystemInfo|CreateSymbolicLink[AW]|GetFinalPathNameByHandle[AW])$")


def is_product(name):
    low = name.lower()
    return low.endswith((".dll", ".exe")) and "test" not in low and "bench" not in low


def file_problems(name, pe, suite_dlls):
    for dll, functions in sorted(pe.imports.items()):
        if dll not in pe_names.SYSTEM_DLLS and dll not in suite_dlls:
            yield "%s imports from %s" % (name, dll)
        for function in functions:
            if LATER_FUNCTIONS.match(function) or pe_names.is_itanium_decorated(function):
                yield "%s imports %s!%s" % (name, dll, function)
    for export in pe.exports:
        if pe_names.is_itanium_decorated(export):
            yield "%s exports %s" % (name, export)


def main(argv):
    folder = argv[1]
    files = sorted(f for f in os.listdir(folder) if is_product(f))
    suite_dlls = {f.lower() for f in files if f.lower().endswith(".dll")}
    problems = [p for name in files
                for p in file_problems(name, pe_names.PeFile(os.path.join(folder, name)),
                                       suite_dlls)]
    for p in problems:
        print(p)
    print("%d files checked" % len(files))
    return 1 if problems or not files else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
