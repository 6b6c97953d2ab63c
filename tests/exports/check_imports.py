#!/usr/bin/env python3
"""The suite's programs and DLLs load on Windows 95 and NT 4: they import
only from system DLLs those systems have (or from the suite's own DLLs), and
none of the functions that arrived later. A DLL that imports a missing
function fails to load at all, so one such import breaks the whole suite.

With --suite-calls, the wizard library imports from the suite's serial port,
modem database, profile and path libraries only the members those libraries
have everywhere the suite ships (SUITE_CALLS): with one more, the library
would not load beside the suite's own copies of them.

    check_imports.py OBJDUMP SUITE_FOLDER
    check_imports.py OBJDUMP --suite-calls CXXFILT DLL...
"""

import os
import re
import subprocess
import sys

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll",
               "ole32.dll", "oleaut32.dll", "comctl32.dll", "comdlg32.dll", "msvcrt.dll",
               "winmm.dll", "version.dll"}
# Functions a MinGW runtime or a careless call can pull in that Windows 95
# or NT 4 do not export.
LATER_FUNCTIONS = re.compile(
    r"^(GetTickCount64|AddVectoredExceptionHandler|RemoveVectoredExceptionHandler|"
    r"InitializeCriticalSectionEx|InitializeCriticalSectionAndSpinCount|"
    r"Fls(Alloc|Free|GetValue|SetValue)|.*SRWLock.*|.*ConditionVariable.*|InitOnce.*|"
    r"GetFileSizeEx|SetFilePointerEx|GetModuleHandleEx[AW]|IsProcessorFeaturePresent|"
    r"GetNativeSystemInfo|CreateSymbolicLink[AW]|GetFinalPathNameByHandle[AW])$")


# Every member the wizard library may call, demangled.
SUITE_CALLS = {
    "qvcomm32.dll": ["GFSerial::" + m for m in (
        "GFSerial(CommType, char const*, HWND__*, CommProducts, CommApplications, "
        "unsigned short, unsigned short, unsigned short, void*)",
        "~GFSerial()", "GetChar(char*, int)", "PutChar(char)",
        "GetCommError(unsigned short&)", "SetHandShake(char*)", "SetUp(long, char, int, int)",
        "PutString(char const*, int)", "GetBuffer(unsigned char*, unsigned int)", "RXCount()",
        "RXFlush(unsigned int)", "TXFlush()", "Dtr(int)", "Status()", "Carrier()",
        "Delay(unsigned long)", "CommNotify(SetNotifyType, int, int, int)", "OnIdle()",
        "Close()")],
    "qvdbf32.dll": ["ModemDBF::" + m for m in (
        "ModemDBF(char*, unsigned int)", "~ModemDBF()", "Open()", "GetCount()",
        "GetRecordFromOffset(ModemInfoStruct*, long, int, ModemIndex)",
        "GetMatchedRecord(ModemInfoStruct*, ModemIndex)", "Close()")],
    "qvstp32.dll": ["CQSetupProfile::" + m for m in (
        "CQSetupProfile(int)", "~CQSetupProfile()",
        "GetProfile(eSetupShortStrItems, char*, unsigned short, eDefaults)",
        "GetProfile(eSetupLongStrItems, char*, unsigned short, eDefaults)",
        "GetProfile(eSetupNumItems, eDefaults)",
        "GetProfile(eSetupNumItems, unsigned short*, eDefaults)",
        "SetProfile(eSetupShortStrItems, char const*, int)",
        "SetProfile(eSetupLongStrItems, char const*, int)",
        "SetProfile(eSetupNumItems, unsigned short, int)",
        "SetProfile(eSetupNumItems, int, int)",
        "SetProfile(eSetupNumItems, unsigned long, int)")],
    "qvcmmn32.dll": ["MakePath", "JoinPath", "MakeDBFPath", "QVLoadLibrary", "DAZadUrer"],
}


def imports(objdump, path):
    out = subprocess.run([objdump, "-p", path], check=True, stdout=subprocess.PIPE,
                         text=True).stdout
    table, dll = {}, None
    for line in out.splitlines():
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            dll = m.group(1).lower()
            table[dll] = []
        elif dll and re.match(r"\s+[0-9a-f]+\s+\d+\s+\S+", line):
            table[dll].append(line.split()[-1])
        elif dll and not line.strip():
            dll = None
    return table


def is_product(name):
    low = name.lower()
    return low.endswith((".dll", ".exe")) and "test" not in low and "bench" not in low


def suite_call_problems(objdump, cxxfilt, dll):
    problems = []
    for lib, names in imports(objdump, dll).items():
        if lib not in SUITE_CALLS:
            continue
        plain = subprocess.run([cxxfilt], input="\n".join(names), check=True,
                               stdout=subprocess.PIPE, text=True).stdout.splitlines()
        problems += ["%s calls %s!%s, which the suite's %s does not have" % (dll, lib, name, lib)
                     for name in plain if name not in SUITE_CALLS[lib]]
    return problems


def check_suite_calls(objdump, cxxfilt, dlls):
    problems = []
    for dll in dlls:
        if os.path.isfile(dll):
            problems += suite_call_problems(objdump, cxxfilt, dll)
        else:
            print("%s: not built, not checked" % dll)
    for p in problems:
        print(p)
    return 1 if problems else 0


def main(argv):
    if argv[2] == "--suite-calls":
        return check_suite_calls(argv[1], argv[3], argv[4:])
    objdump, folder = argv[1], argv[2]
    files = sorted(f for f in os.listdir(folder) if is_product(f))
    suite_dlls = {f.lower() for f in files if f.lower().endswith(".dll")}
    problems = []
    for name in files:
        for dll, functions in imports(objdump, os.path.join(folder, name)).items():
            if dll not in SYSTEM_DLLS and dll not in suite_dlls:
                problems.append("%s imports from %s" % (name, dll))
            for function in functions:
                if LATER_FUNCTIONS.match(function):
                    problems.append("%s imports %s!%s" % (name, dll, function))
    for p in problems:
        print(p)
    print("%d files checked" % len(files))
    return 1 if problems or not files else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
