#!/bin/sh
# QVWIZ32.DLL exports exactly the four wizard entry points, by their plain
# names (no @N suffix, no leading underscore); the shipping i686 file is a
# 32-bit PE for Intel 386.
#   check_exports.sh X64_DLL [I686_DLL]   (the i686 file is checked when it exists)
set -u
objdump=$(command -v x86_64-w64-mingw32-objdump || command -v objdump)
expected="DeInitWizardDlg DoRegisterWizard DoSetupWizard InitWizardDlg"
status=0

exports() {
    "$objdump" -p "$1" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
        sed -n 's/^[[:space:]]*\[ *[0-9]*\] //p' | sort | tr '\n' ' ' | sed 's/ $//'
}

check() {
    dll=$1
    actual=$(exports "$dll")
    if [ "$actual" != "$expected" ]; then
        echo "FAIL $dll exports: '$actual', expected '$expected'"
        status=1
    else
        echo "ok   $dll exports: $actual"
    fi
}

check "$1"
if [ $# -ge 2 ] && [ -f "$2" ]; then
    check "$2"
    header=$("$objdump" -p "$2")
    format=$(echo "$header" | sed -n 's/.*file format \(.*\)$/\1/p')
    magic=$(echo "$header" | sed -n 's/^Magic[[:space:]]*\([0-9a-f]*\).*/\1/p')
    arch=$("$objdump" -f "$2" | sed -n 's/^architecture: \([^,]*\).*/\1/p')
    if [ "$format" = "pei-i386" ] && [ "$magic" = "010b" ] && [ "$arch" = "i386" ]; then
        echo "ok   $2 is PE32 ($magic) for $arch"
    else
        echo "FAIL $2: format '$format', optional header magic '$magic', architecture '$arch'; expected pei-i386, 010b, i386"
        status=1
    fi
else
    echo "note: no i686 build at ${2:-(not given)}; only the x64 file was checked"
fi
exit $status
