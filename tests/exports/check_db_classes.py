#!/usr/bin/env python3
"""QVWIZ32's export table holds the database classes' members, member by
member: the decorated names are demangled and their Class::member set is
compared with the lists below (overloads count once). Tables of virtuals and
type information of the exported classes may be there too.

    check_db_classes.py OBJDUMP CXXFILT DLL [I686_DLL]
"""

import os
import re
import subprocess
import sys

from check_exports import exported_names

# Handle classes: what every one of them has.
HANDLE = "{0} ~copy operator= isValid"
FORWARDING = {
    "Code4": "closeAll data flushFiles initUndo optStart optSuspend",
    "Data4": "alias append appendBlank appendData appendStart blank bof bottom changed check close "
             "create deleted eof fieldNumber flush flushData freeBlocks go goData goEof index lock "
             "lockAll lockAppend lockFile lockGroup lockIndex lockTest lockTestAppend lockTestFile "
             "lockTestIndex memoCompress numFields open optimize optimizeWrite pack packData position "
             "read readOld recall record refresh refreshRecord reindex seek skip top unlock writeKeys "
             "zap zapData",
    "Index4": "addTag close create lock open reindex unlock",
    "Tag4": "add addCalc bottom down eof freeAll go key position remove removeCalc seek skip top up "
            "upToRoot",
    "Field4": "assignField decimals len name ptr type",
    "Date4": "assign cdow cmonth day dow format month today year",
    "Expr4": "free key keyLen len parse source true type vary",
    "File4": "close create flush len lock open optimize optimizeWrite read readAll refresh replace "
             "unlock write",
    "File4seqRead": "read readAll",
    "File4seqWrite": "flush repeat write",
    "List4": "add addAfter addBefore first next pop prev remove",
    "Sort4": "free get getInit init put",
    "Mem4": "alloc create free release",
    "Relate4": "doOne errorAction matchLen type",
    "Relate4set": "bottom changed free init lock querySet skip skipEnable sortSet top unlock",
}
OTHERS = {
    "Code4": "Code4 init calcCreate calcReset error exit exitTest unlock QvcoError SetErrorHook "
             "SetIndexHook SetPackHook",
    "Data4": HANDLE + " deleteRec recCount recNo recPosition recWidth select validateMemo write "
             "writeData fileName",
    "Index4": HANDLE + " init isProduction fileName data",
    "Tag4": HANDLE + " init initDefault initSelected initFirst initNext initLast initPrev descending "
            "recNo uniqueError alias index expr filter",
    "Field4": HANDLE + " init number changed data",
    "Field4memo": "{0} ~copy operator= decimals free len ptr setLen str",
    "Field4info": "fields numFields operator.delete operator.delete[]",
    "Tag4info": "tags numTags operator.delete operator.delete[]",
    "Date4": "{0} ~copy operator= operator.long operator.double operator+ operator- operator+= "
             "operator-= operator++ operator-- isLeap len ptr",
    "Expr4": HANDLE + " operator.double isTrue",
    "File4": "File4 createTemp setLen fileName isValid",
    "File4seqRead": "File4seqRead init",
    "File4seqWrite": "File4seqWrite init operator<<",
    "List4": "List4 last numNodes reset",
    "Sort4": "Sort4",
    "Mem4": HANDLE,
    "Relate4": HANDLE + " init data dataTag master masterExpr",
    "Relate4set": "Relate4set doAll",
    "Str4": "changed decimals maximum setLen setMax operator!= operator<= operator>=",
    "Str4char": "Str4char len ptr",
    "Str4ptr": "Str4ptr ptr",
    "Str4len": "Str4len len ptr",
    "Str4max": "Str4max len maximum ptr",
    "Str4ten": "Str4ten len maximum ptr",
    "Str4large": "Str4large len maximum ptr",
    "Str4flex": "Str4flex ~Str4flex str operator=",
    "CODE4_st": "operator=", "FILE4_st": "operator=", "FILE4SEQ_READ_st": "operator=",
    "FILE4SEQ_WRITE_st": "operator=", "LIST4_st": "operator=", "SORT4_st": "operator=",
    "OPT4_st": "operator=", "l4link_st": "operator=",
}
WIZARD_ENTRIES = {"InitWizardDlg", "DeInitWizardDlg", "DoSetupWizard", "DoRegisterWizard"}


def expected_members():
    members = set()
    for table in (FORWARDING, OTHERS):
        for cls, names in table.items():
            for name in names.format(cls).replace("~copy", "").split():
                members.add("%s::%s" % (cls, name.replace(".", " ")))
    return members


def exported_members(objdump, cxxfilt, dll):
    names = [n for n in exported_names(objdump, dll) if n not in WIZARD_ENTRIES]
    plain = subprocess.run([cxxfilt], input="\n".join(names), check=True, stdout=subprocess.PIPE,
                           text=True).stdout.splitlines()
    members, other = set(), []
    for text in plain:
        if text.startswith(("vtable for ", "typeinfo for ", "typeinfo name for ")):
            continue
        m = re.match(r"^(\w+)::(operator[^(]*|~?\w+)\(", text)
        if m:
            members.add("%s::%s" % (m.group(1), m.group(2).strip()))
        else:
            other.append(text)
    return members, other


def main(argv):
    objdump, cxxfilt, dlls = argv[1], argv[2], [d for d in argv[3:] if os.path.isfile(d)]
    expected, status = expected_members(), 0
    for dll in dlls:
        members, other = exported_members(objdump, cxxfilt, dll)
        for label, names in (("missing", expected - members), ("not expected", members - expected),
                             ("not a class member", set(other))):
            if names:
                print("%s: %s: %s" % (dll, label, " ".join(sorted(names))))
                status = 1
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv))
