// Helper of interop.py: writes a sample table through the engine's entry
// points, or dumps any table as lines the script compares.
//   interop_tool write NAME STYLE     STYLE 3 or 4: the kind of memo file
//   interop_tool dump FILE
//   interop_tool mdx NAME             a table of ROWS records with tags; prints
//                                     each tag's name and records in key order
#include "cbase32.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Row {
    const char* name;
    long qty;
    double price;
    double rate;
    const char* born;
    char ok;
    const char* notes;
    bool deleted;
};

const Row kRows[] = {
    {"Ada Lovelace", 1815, 12.5, 0.125, "18151210", 'T', "Analytical engine notes", false},
    {"Deleted Row", -7, 0, 0, "20000101", 'F', "gone", true},
    {"Grace Hopper", 1906, 99999.99, 3.1416, "19061209", 'F', "", false},
    {"Memo Spans Blocks", 0, -1.25, -0.5, "19991231", 'T', nullptr, false},
};

std::string LongMemo()
{
    std::string s;
    for (int i = 0; i < 60; ++i)
        s += "line " + std::to_string(i) + " of a memo longer than one block\r\n";
    return s;
}

int Write(const char* name, int style)
{
    CODE4 cb;
    d4init(&cb);
    cb.safety = 0;
    cb.memoStyle = style;
    FIELD4INFO fields[] = {
        {(char*)"NAME", 'C', 20, 0}, {(char*)"QTY", 'N', 8, 0}, {(char*)"PRICE", 'N', 10, 2},
        {(char*)"RATE", 'F', 12, 4}, {(char*)"BORN", 'D', 8, 0}, {(char*)"OK", 'L', 1, 0},
        {(char*)"NOTES", 'M', 10, 0}, {nullptr, 0, 0, 0}};
    DATA4* d = d4create(&cb, name, fields, nullptr);
    if (!d)
        return 1;
    std::string longMemo = LongMemo();
    for (const Row& r : kRows) {
        if (d4append_blank(d) != r4success)
            return 1;
        f4assign(d4field(d, "NAME"), r.name);
        f4assign_long(d4field(d, "QTY"), r.qty);
        f4assign_double(d4field(d, "PRICE"), r.price);
        f4assign_double(d4field(d, "RATE"), r.rate);
        f4assign(d4field(d, "BORN"), r.born);
        f4assign_char(d4field(d, "OK"), r.ok);
        f4memo_assign(d4field(d, "NOTES"), r.notes ? r.notes : longMemo.c_str());
        if (r.deleted)
            d4delete(d);
    }
    return d4init_undo(&cb) == r4success && cb.errorCode == 0 ? 0 : 1;
}

std::string Escaped(const char* p, size_t n)
{
    std::string s;
    for (size_t i = 0; i < n; ++i)
        s += p[i] == '\r' ? "\\r" : p[i] == '\n' ? "\\n" : std::string(1, p[i]);
    return s;
}

int Dump(const char* file)
{
    CODE4 cb;
    d4init(&cb);
    cb.readOnly = 1;
    DATA4* d = d4open(&cb, file);
    if (!d)
        return 1;
    for (int rc = d4top(d); rc == r4success; rc = d4skip(d, 1)) {
        std::printf("%ld|%d", d4recno(d), d4deleted(d) ? 1 : 0);
        for (int j = 1; j <= d4num_fields(d); ++j) {
            FIELD4* f = d4field_j(d, j);
            std::printf("|%s=", f4name(f));
            if (f4type(f) == 'M') {
                std::printf("%s", Escaped(f4memo_ptr(f), f4memo_len(f)).c_str());
            } else {
                std::string v = f4str(f);
                size_t b = v.find_first_not_of(' '), e = v.find_last_not_of(' ');
                std::printf("%s", b == std::string::npos ? "" : v.substr(b, e - b + 1).c_str());
            }
        }
        std::printf("\n");
    }
    return d4init_undo(&cb) == r4success && cb.errorCode == 0 ? 0 : 1;
}

// Keys spread over several index pages: names (a third of them starting
// with a letter, accented or not, of Windows code page 1252), signed
// amounts, dates, and a unique tag that keeps the first record of each
// name's first letters.
int WriteIndexed(const char* name, int rows)
{
    CODE4 cb;
    d4init(&cb);
    cb.safety = 0;
    FIELD4INFO fields[] = {{(char*)"NAME", 'C', 12, 0}, {(char*)"AMOUNT", 'N', 9, 2},
                           {(char*)"BORN", 'D', 8, 0}, {nullptr, 0, 0, 0}};
    TAG4INFO tags[] = {{(char*)"NAME", (char*)"UPPER(NAME)", nullptr, 0, 0},
                       {(char*)"AMOUNT", (char*)"AMOUNT", nullptr, 0, 0},
                       {(char*)"BORN", (char*)"BORN", nullptr, 0, 0},
                       {(char*)"NAMEDOWN", (char*)"NAME", nullptr, 0, r4descending},
                       {(char*)"INITIAL", (char*)"LEFT(NAME, 4)", nullptr, r4unique, 0},
                       {nullptr, nullptr, nullptr, 0, 0}};
    DATA4* d = d4create(&cb, name, fields, tags);
    if (!d)
        return 1;
    for (int i = 0; i < rows; i++) {
        char text[16], born[9];
        static const char* const first[] = {"\xC9", "\xE9", "E", "e", "\xC8", "F", "\xC4", "A", "\xDC", "u"};
        std::snprintf(text, sizeof text, "%sk%05d", i % 3 ? "" : first[i / 3 % 10], (i * 7919) % rows);
        std::snprintf(born, sizeof born, "%04d%02d%02d", 1901 + (i * 37) % 120, 1 + i % 12, 1 + i % 28);
        d4append_start(d, 0);
        f4assign(d4field(d, "NAME"), text);
        f4assign_double(d4field(d, "AMOUNT"), ((i * 104729) % 20000 - 10000) / 4.0);
        f4assign(d4field(d, "BORN"), born);
        d4append(d);
    }
    for (TAG4* t = d4tag_next(d, nullptr); t; t = d4tag_next(d, t)) {
        std::printf("%s", t->alias);
        d4tag_select(d, t);
        for (d4top(d); !d4eof(d); d4skip(d, 1))
            std::printf(" %ld", d4recno(d));
        std::printf("\n");
    }
    return d4init_undo(&cb) == r4success && cb.errorCode == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "write") == 0)
        return Write(argv[2], std::atoi(argv[3]));
    if (argc == 3 && std::strcmp(argv[1], "dump") == 0)
        return Dump(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "mdx") == 0)
        return WriteIndexed(argv[2], std::atoi(argv[3]));
    std::fprintf(stderr, "usage: interop_tool write NAME 3|4 | dump FILE\n");
    return 2;
}
