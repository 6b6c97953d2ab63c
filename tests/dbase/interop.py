#!/usr/bin/python3
"""dBASE interop both ways with software no one here wrote.

Tables our engine writes must read correctly in dbfread and python-dbf;
tables python-dbf and shapelib write must read correctly in our engine. Usage: interop.py INTEROP_TOOL WORK_DIR
"""
import datetime
import os
import shutil
import subprocess
import sys
import unicodedata

import dbf
import dbfread

TOOL, WORK = sys.argv[1], sys.argv[2]
LONG_MEMO = "".join("line %d of a memo longer than one block\r\n" % i for i in range(60))
ROWS = [  # name, qty, price, rate, born, ok, notes, deleted
    ("Ada Lovelace", 1815, 12.5, 0.125, datetime.date(1815, 12, 10), True, "Analytical engine notes", False),
    ("Deleted Row", -7, 0.0, 0.0, datetime.date(2000, 1, 1), False, "gone", True),
    ("Grace Hopper", 1906, 99999.99, 3.1416, datetime.date(1906, 12, 9), False, "", False),
    ("Memo Spans Blocks", 0, -1.25, -0.5, datetime.date(1999, 12, 31), True, LONG_MEMO, False),
]
failures = []


def check(what, actual, expected):
    if actual != expected:
        failures.append("%s: got %r, expected %r" % (what, actual, expected))


def memo_text(value, style):
    # dbfread takes a dBASE IV memo's stored length as the text's length
    # alone, where the length also counts the block's 8-byte header: it
    # reads 8 bytes of the block's zero padding after the text.
    value = value or ""
    return value.rstrip("\0") if style.endswith("4") else value


def ours_read_by_dbfread(path, style):
    table = dbfread.DBF(path, load=True, char_decode_errors="strict")
    check("dbfread %s: live records" % style, len(table.records), 3)
    check("dbfread %s: deleted records" % style, [r["NAME"] for r in table.deleted], ["Deleted Row"])
    live = [r for r in ROWS if not r[7]]
    for got, row in zip(table.records, live):
        name, qty, price, rate, born, ok, notes, _ = row
        check("dbfread %s %s" % (style, name),
              (got["NAME"], got["QTY"], float(got["PRICE"]), float(got["RATE"]), got["BORN"], got["OK"],
               memo_text(got["NOTES"], style)),
              (name, qty, price, rate, born, ok, notes))


def ours_read_by_python_dbf(path):
    table = dbf.Table(path)
    table.open(dbf.READ_ONLY)
    check("python-dbf: records", len(table), 4)
    for rec, row in zip(table, ROWS):
        name, qty, price, rate, born, ok, notes, deleted = row
        check("python-dbf %s" % name,
              (rec.name.strip(), int(rec.qty), float(rec.price), rec.born, rec.ok, rec.notes.rstrip(), dbf.is_deleted(rec)),
              (name, qty, price, born, ok, notes.rstrip(), deleted))
    table.close()


def dump_with_ours(path):
    out = subprocess.run([TOOL, "dump", path], capture_output=True, text=True)
    if out.returncode != 0:
        failures.append("our engine could not read %s: %s" % (path, out.stderr))
        return []
    rows = []
    for line in out.stdout.splitlines():
        parts = line.split("|")
        fields = dict(p.split("=", 1) for p in parts[2:])
        rows.append((int(parts[0]), parts[1] == "1", fields))
    return rows


def python_dbf_read_by_ours():
    path = os.path.join(WORK, "pydbf.dbf")
    table = dbf.Table(path, "name C(20); qty N(8,0); price N(10,2); born D; ok L; notes M", dbf_type="db3")
    table.open(dbf.READ_WRITE)
    for name, qty, price, rate, born, ok, notes, deleted in ROWS:
        table.append((name, qty, price, born, ok, notes))
        if deleted:
            dbf.delete(table[-1])
    table.close()
    rows = dump_with_ours(path)
    check("python-dbf table: records", len(rows), 4)
    for (recno, deleted, got), row in zip(rows, ROWS):
        name, qty, price, rate, born, ok, notes, was_deleted = row
        check("python-dbf table %s" % name,
              (deleted, got["NAME"], int(got["QTY"]), float(got["PRICE"]), got["BORN"], got["OK"],
               got["NOTES"].replace("\\r", "\r").replace("\\n", "\n").rstrip()),
              (was_deleted, name, qty, price, born.strftime("%Y%m%d"), "T" if ok else "F", notes.rstrip()))


def shapelib_read_by_ours():
    base = os.path.join(WORK, "shp")
    subprocess.run(["dbfcreate", base, "-s", "NAME", "20", "-n", "QTY", "8", "0", "-n", "PRICE", "10", "2"], check=True)
    for name, qty, price, *_ in ROWS:
        subprocess.run(["dbfadd", base + ".dbf", name, str(qty), str(price)], check=True)
    rows = dump_with_ours(base + ".dbf")
    check("shapelib table: records", len(rows), 4)
    for (recno, deleted, got), row in zip(rows, ROWS):
        check("shapelib table %s" % row[0], (got["NAME"], int(got["QTY"]), float(got["PRICE"])), row[:3])


# Walks one tag with XBase::Index and prints its record numbers, one a line
# (keys are binary for numbers and dates, so index_dump's lines will not do).
PERL_WALK = ("use XBase::Index; my $i = XBase::Index->new($ARGV[0], tag => $ARGV[1])"
             " or die XBase::Index->errstr; $i->prepare_select;"
             " while (my ($k, $v) = $i->fetch) { print \"$v\\n\" }")


def our_tags_read_by_perl_xbase():
    """Perl's XBase::Index walks every tag of our .MDX in our key order."""
    base = os.path.join(WORK, "indexed")
    ours = subprocess.run([TOOL, "mdx", base, "2000"], check=True, capture_output=True, text=True).stdout
    for line in ours.splitlines():
        tag, *recs = line.split()
        walk = subprocess.run(["perl", "-e", PERL_WALK, base + ".MDX", tag], capture_output=True, text=True)
        check("XBase::Index %s: records in key order" % tag, walk.stdout.split(), recs)


def accented_names_in_dictionary_order():
    """The language driver byte tells dbfread the names' code page, and the
    NAME tag (UPPER(NAME)) puts an accented letter right after its plain one."""
    base = os.path.join(WORK, "indexed")
    ours = subprocess.run([TOOL, "mdx", base, "300"], check=True, capture_output=True, text=True).stdout
    walk = next(line.split()[1:] for line in ours.splitlines() if line.startswith("NAME "))
    names = [r["NAME"] for r in dbfread.DBF(base + ".DBF", char_decode_errors="strict")]
    check("dbfread: accented names decoded", sum(1 for n in names if n[0] in "ÉéÈÄÜ"), 50)

    def letter(c):
        plain = unicodedata.normalize("NFD", c)[0]
        return (ord(plain), c != plain, ord(c))
    order = sorted(range(1, len(names) + 1), key=lambda r: ([letter(c) for c in names[r - 1].upper()], r))
    check("NAME tag in dictionary order", walk, [str(r) for r in order])


def main():
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    for style in ("3", "4"):
        base = os.path.join(WORK, "ours" + style)
        subprocess.run([TOOL, "write", base, style], check=True)
        ours_read_by_dbfread(base + ".DBF", "dBASE " + style)
        if style == "3":        # python-dbf reads dBASE III tables
            ours_read_by_python_dbf(base + ".DBF")
    python_dbf_read_by_ours()
    shapelib_read_by_ours()
    our_tags_read_by_perl_xbase()
    accented_names_in_dictionary_order()
    for f in failures:
        print("FAIL", f)
    print("%d interop failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
