// Expressions and production indexes through the entry points, on files:
// values of expressions from a table of cases, refusals, positions and the
// page walk of a tag of several levels, seeks, and a damaged index repaired
// by reindex.
#include "table_test.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

class Index : public TableTest {
protected:
    // NAME C10, AMOUNT N8.2, BORN D, OK L.
    DATA4* Create(const TAG4INFO* tags, const char* name = "people")
    {
        static FIELD4INFO fields[] = {{(char*)"NAME", 'C', 10, 0}, {(char*)"AMOUNT", 'N', 8, 2},
                                      {(char*)"BORN", 'D', 8, 0}, {(char*)"OK", 'L', 1, 0},
                                      {nullptr, 0, 0, 0}};
        return d4create(&cb_, Path(name).c_str(), fields, tags);
    }
    void Add(DATA4* d, const char* name, double amount, const char* born, bool ok)
    {
        ASSERT_EQ(r4success, d4append_start(d, 0));
        f4assign(d4field(d, "NAME"), name);
        f4assign_double(d4field(d, "AMOUNT"), amount);
        f4assign(d4field(d, "BORN"), born);
        f4assign(d4field(d, "OK"), ok ? "T" : "F");
        ASSERT_EQ(r4success, d4append(d));
    }
    // Record numbers in the order of the table's selected tag.
    std::vector<long> Walk(DATA4* d)
    {
        std::vector<long> recs;
        for (int rc = d4top(d); rc == r4success && !d4eof(d); rc = d4skip(d, 1))
            recs.push_back(d4recno(d));
        return recs;
    }
};

TEST_F(Index, ExpressionsEvaluate)
{
    DATA4* d = Create(nullptr);
    ASSERT_NE(nullptr, d);
    Add(d, "smith", 12.5, "19991231", true);
    struct Case { const char* source; char type; const char* text; } cases[] = {
        {"UPPER(NAME)", 'C', "SMITH     "},
        {"TRIM(NAME) + \"!\"", 'C', "smith!"},
        {"NAME - \"!\"", 'C', "smith!     "},
        {"LTRIM(\"  a\")", 'C', "a"},
        {"SUBSTR(NAME, 2, 3)", 'C', "mit"},
        {"LEFT(NAME, 2) + RIGHT(TRIM(NAME), 2)", 'C', "smth"},
        {"STR(AMOUNT, 8, 2)", 'C', "   12.50"},
        {"STR(AMOUNT * 2 + 1)", 'C', "        26"},
        {"VAL(\"3.5\") * 2", 'N', "7"},
        {"DTOS(BORN + 1)", 'C', "20000101"},
        {"DTOC(BORN)", 'C', "12/31/99"},
        {"CTOD(\"01/02/2003\")", 'D', "20030102"},
        {"BORN - CTOD(\"12/01/99\")", 'N', "30"},
        {"RECNO()", 'N', "1"},
        {"DELETED()", 'L', "F"},
        {"IIF(OK, \"yes\", \"no\")", 'C', "yes"},
        {"NAME = \"sm\" .AND. .NOT. NAME == \"sm\"", 'L', "T"},
        {"\"mit\" $ NAME .OR. 1 > 2", 'L', "T"},
        {"AMOUNT >= 12.5 .AND. AMOUNT <> 3 .AND. -AMOUNT < 0", 'L', "T"},
        {"2 ^ 10 / 4", 'N', "256"},
        {"(1 + 2) * 3", 'N', "9"},
        {"-2 ^ 2 * 10 + 2 ^ -1 * 4", 'N', "42"},             // the sign binds first
        {"STR(2.5) + STR(-0.125, 6, 2) + STR(1.005, 5, 2)", 'C', "         3 -0.13 1.01"},  // halves up
        {"STR(AMOUNT + 0.005, 8, 2)", 'C', "   12.51"},
    };
    for (const Case& c : cases) {
        EXPR4* e = expr4parse(d, c.source);
        ASSERT_NE(nullptr, e) << c.source;
        char* text = nullptr;
        expr4vary(e, &text);
        std::string got = text ? text : "";
        if (c.type == 'N')
            got.erase(0, got.find_first_not_of(' '));
        EXPECT_EQ(c.type, expr4type(e)) << c.source;
        EXPECT_EQ(std::string(c.text), got) << c.source;
        expr4free(e);
    }
}

// Another table's field and a named calculation are looked up when
// evaluated: once closed or reset, the expression fails instead of reading
// what was freed.
TEST_F(Index, ExpressionsOutliveWhatTheyName)
{
    DATA4* d = Create(nullptr);
    ASSERT_NE(nullptr, d);
    Add(d, "smith", 12.5, "19991231", true);
    cb_.safety = 0;
    static FIELD4INFO fields[] = {{(char*)"CITY", 'C', 8, 0}, {nullptr, 0, 0, 0}};
    DATA4* other = d4create(&cb_, Path("cities").c_str(), fields, nullptr);
    ASSERT_NE(nullptr, other);
    d4append_blank(other);
    f4assign(d4field(other, "CITY"), "Oslo");
    EXPR4* calc = expr4parse(d, "AMOUNT * 2");
    ASSERT_EQ(r4success, expr4calc_create(&cb_, calc, "TWICE"));
    EXPR4* city = expr4parse(d, "TRIM(CITIES->CITY) + NAME");
    EXPR4* twice = expr4parse(d, "TWICE + 1");
    ASSERT_TRUE(city && twice);
    char* text;
    EXPECT_EQ(26.0, expr4double(twice));
    EXPECT_EQ(14, expr4vary(city, &text));
    d4close(other);
    expr4calc_reset(&cb_);
    EXPECT_EQ(e4expr, expr4vary(city, &text));
    EXPECT_EQ(e4expr, expr4vary(twice, &text));
    expr4free(city);
    expr4free(twice);
}

TEST_F(Index, BadExpressionsAreRefused)
{
    DATA4* d = Create(nullptr);
    ASSERT_NE(nullptr, d);
    std::string deep(10000, '(');
    deep += "1" + std::string(10000, ')');
    const char* cases[] = {"NOSUCH", "SOUNDEX(NAME)", "\"open", "UPPER(AMOUNT)", "NAME + 1",
                           "1 +", "NAME .AND. OK", "(1", deep.c_str(), "IIF(OK, 1, \"a\")", ""};
    for (const char* source : cases) {
        cb_.errorCode = 0;
        EXPECT_EQ(nullptr, expr4parse(d, source)) << source;
        EXPECT_EQ(e4expr, cb_.errorCode) << source;
    }
}

TEST_F(Index, TagsOfSeveralLevelsPlaceWalkAndSeek)
{
    TAG4INFO tags[] = {{(char*)"NAME", (char*)"UPPER(NAME)", nullptr, 0, 0},
                       {(char*)"AMOUNT", (char*)"AMOUNT", nullptr, 0, r4descending},
                       {(char*)"BORN", (char*)"BORN", (char*)"OK", 0, 0},
                       {nullptr, nullptr, nullptr, 0, 0}};
    DATA4* d = Create(tags);
    ASSERT_NE(nullptr, d);
    const int n = 3000;     // enough for several levels of pages
    for (int i = 0; i < n; i++) {
        char name[11], born[9];
        snprintf(name, sizeof name, "n%05d", (i * 7919) % 1000);
        snprintf(born, sizeof born, "%04d%02d%02d", 1900 + (i * 37) % 120, 1 + i % 12, 1 + i % 28);
        Add(d, name, (i * 104729) % 5000 - 2500 + 0.25, born, i % 3 != 0);
    }
    // Rewrites, filter changes and reopening are the model test's.
    ASSERT_EQ(r4success, d4check(d));

    // Key order itself is the model test's; d4check holds the tags to it.
    d4tag_select(d, d4tag(d, "NAME"));
    std::vector<long> expect = Walk(d);
    ASSERT_EQ((size_t)n, expect.size());

    d4tag_select(d, d4tag(d, "BORN"));
    std::vector<long> born = Walk(d);

    // Positions in tag order: 0.0 at the first key, rising along the walk,
    // each record found again from its own position, 1.0 the last key.
    struct Order { const char* tag; const std::vector<long>& recs; } orders[] = {{"NAME", expect}, {"BORN", born}};
    for (const Order& o : orders) {
        d4tag_select(d, d4tag(d, o.tag));
        double last = -1;
        for (size_t k = 0; k < o.recs.size(); k += 7) {
            d4go(d, o.recs[k]);
            double pos = d4position(d);
            EXPECT_TRUE(k ? last < pos : pos == 0.0) << o.tag << " key " << k << " at " << pos;
            d4position_set(d, last = pos);
            EXPECT_EQ(o.recs[k], d4recno(d)) << o.tag << " from " << pos;
        }
        d4position_set(d, 1.0);
        EXPECT_EQ(o.recs.back(), d4recno(d)) << o.tag;
    }

    // The page-level walk along the first node of each level above the
    // leaves, up to the root: an entry shows the last key under its child,
    // and the first key under the next child follows it.
    TAG4* name = d4tag(d, "NAME");
    auto rank = [&](long rec) { return std::find(expect.begin(), expect.end(), rec) - expect.begin(); };
    int up = 0;
    for (long covered = 0; covered < n;) {      // until a node covers every key
        t4top(name);
        for (int k = 0; k <= up; k++)
            ASSERT_EQ(r4success, t4up(name)) << "level " << up + 1;
        up++;
        long before = -1;
        do {
            long last = rank(t4recno(name));
            for (int k = 0; k < up; k++)
                t4down(name);
            EXPECT_EQ(before + 1, rank(t4recno(name))) << "level " << up;
            for (int k = 0; k < up; k++)
                t4up(name);
            before = last;
        } while (t4skip(name, 1) == 1);
        covered = before + 1;
    }
    t4bottom(name);
    t4up_to_root(name);
    EXPECT_EQ(1, t4up(name)) << "t4up_to_root is at the root, above " << up << " levels";

    // Exact numeric seeks are the model test's.
    struct Seek { const char* tag; const char* key; int rc; const char* name; } seeks[] = {
        {"NAME", "N0050", r4success, "n00500"},
        {"NAME", "N00501X", r4after, "n00502"},
        {"AMOUNT", "2500", r4after, ""},
    };
    for (const Seek& s : seeks) {
        d4tag_select(d, d4tag(d, s.tag));
        int rc = d4seek(d, s.key);
        EXPECT_EQ(s.rc, rc) << s.tag << " " << s.key;
        if (rc == r4success || (rc == r4after && *s.name)) {
            std::string got = f4str(d4field(d, "NAME"));
            EXPECT_EQ(s.name, got.substr(0, got.find(' '))) << s.key;
        }
    }
    d4tag_select(d, d4tag(d, "BORN"));
    EXPECT_EQ(r4after, d4seek(d, "18000101"));
    EXPECT_EQ(born.front(), d4recno(d));
}

TEST_F(Index, ReindexRepairsADamagedIndex)
{
    TAG4INFO tags[] = {{(char*)"NAME", (char*)"NAME", nullptr, 0, 0}, {nullptr, nullptr, nullptr, 0, 0}};
    DATA4* d = Create(tags);
    ASSERT_NE(nullptr, d);
    for (int i = 0; i < 500; i++)
        Add(d, std::to_string(i * 31 % 500).c_str(), i, "20000101", true);
    d4close(d);
    FILE* f = fopen(Path("people.MDX").c_str(), "r+b");
    ASSERT_NE(nullptr, f);
    fseek(f, 0, SEEK_END);
    long size = ftell(f);
    for (long at = 6 * 512; at < size; at += 1024) {    // every page past the first tag's header
        fseek(f, at, SEEK_SET);
        fputs("\xff\xff\xff\x7f garbage", f);
    }
    fclose(f);
    d = d4open(&cb_, Path("people").c_str());
    ASSERT_NE(nullptr, d);
    EXPECT_EQ(500, d4reccount(d)) << "the table is untouched";
    EXPECT_EQ(e4index, d4check(d));
    ASSERT_EQ(r4success, d4reindex(d));
    EXPECT_EQ(r4success, d4check(d));
    d4tag_select(d, d4tag(d, "NAME"));
    EXPECT_EQ(r4success, d4seek(d, "499"));
}

// The index is named for its table in its header, whatever the path's
// separators. Opened a second time on the same table it would keep pages of
// its own and write them over the first one's: it is refused, and keys
// written afterwards are all found.
TEST_F(Index, AnIndexOpenedAgainIsRefusedAndKeepsEveryKey)
{
    TAG4INFO tags[] = {{(char*)"NAME", (char*)"NAME", nullptr, 0, 0}, {nullptr, nullptr, nullptr, 0, 0}};
    const char* name = "C:\\KESTRIX\\people";   // one file name here, a Windows path there
    DATA4* d = Create(tags, name);
    ASSERT_NE(nullptr, d);
    const std::string mdx = Path(name) + ".MDX";
    char header[20] = {};
    FILE* f = fopen(mdx.c_str(), "rb");
    ASSERT_NE(nullptr, f);
    ASSERT_EQ(1u, fread(header, sizeof header, 1, f));
    fclose(f);
    EXPECT_EQ(std::string("people\0\0\0\0\0\0\0\0\0\0", 16), std::string(header + 4, 16));

    Add(d, "anna", 1, "20000101", true);
    Add(d, "bert", 2, "20000101", true);
    d4go(d, 1);
    f4assign(d4field(d, "NAME"), "carl");
    d4skip(d, 1);
    cb_.errorCode = 0;
    EXPECT_EQ(nullptr, i4open(d, mdx.c_str()));
    EXPECT_EQ(e4instance, cb_.errorCode);
    EXPECT_EQ(nullptr, i4open(d, nullptr)) << "nor as the production index";
    f4assign(d4field(d, "NAME"), "dora");
    Add(d, "emil", 3, "20000101", true);
    d4close(d);
    d = d4open(&cb_, Path(name).c_str());
    ASSERT_NE(nullptr, d);
    d4tag_select(d, d4tag(d, "NAME"));
    for (const char* key : {"carl", "dora", "emil"})
        EXPECT_EQ(r4success, d4seek(d, key)) << key;
    EXPECT_EQ(r4success, d4check(d));
}

// The language driver byte says the names' code page: a new table is
// Windows 1252 (its names' order is interop.py's), a DOS 437 table keeps
// its own, and UPPER and the tag's order follow it: an accented letter
// right after its plain one.
TEST_F(Index, AccentedNamesSortByTheTablesCodePage)
{
    const char* names[] = {"\x82" "mile", "zoe", "eve", "\x90" "clair", "fabien"};
    DATA4* d = Create(nullptr);
    ASSERT_NE(nullptr, d);
    d4close(d);
    FILE* f = fopen(Path("people.DBF").c_str(), "r+b");
    ASSERT_NE(nullptr, f);
    fseek(f, 29, SEEK_SET);
    EXPECT_EQ(0x57, fgetc(f)) << "a new table is marked Windows 1252";
    fseek(f, 29, SEEK_SET);
    fputc(0x01, f);
    fclose(f);
    d = d4open(&cb_, Path("people").c_str());
    ASSERT_NE(nullptr, d);
    TAG4INFO tags[] = {{(char*)"NAME", (char*)"UPPER(NAME)", nullptr, 0, 0}, {nullptr, nullptr, nullptr, 0, 0}};
    ASSERT_NE(nullptr, i4create(d, nullptr, tags));
    for (const char* name : names)
        Add(d, name, 1, "20000101", true);
    d4tag_select(d, d4tag(d, "NAME"));
    EXPECT_EQ((std::vector<long>{3, 4, 1, 5, 2}), Walk(d));
    d4go(d, 1);
    EXPR4* upper = expr4parse(d, "UPPER(LEFT(NAME,1))");
    char* text = nullptr;
    expr4vary(upper, &text);
    EXPECT_EQ(std::string(names[3], 1), text);
    expr4free(upper);
}

TEST_F(Index, UniqueTagsKeepTheirRuleWhenReopened)
{
    struct Rule { int unique, duplicate; } rules[] = {
        {e4unique, e4unique}, {r4unique, r4unique}, {r4unique_continue, r4success}};
    cb_.safety = 0;
    for (const Rule& r : rules) {
        TAG4INFO tags[] = {{(char*)"NAME", (char*)"NAME", nullptr, r.unique, 0}, {nullptr, nullptr, nullptr, 0, 0}};
        DATA4* d = Create(tags);
        ASSERT_NE(nullptr, d);
        Add(d, "a", 1, "20000101", true);
        Add(d, "b", 1, "20000101", true);
        d4close(d);
        d = d4open(&cb_, Path("people").c_str());
        ASSERT_NE(nullptr, d);
        EXPECT_EQ(r.unique, t4unique(d4tag(d, "NAME")));
        d4append_start(d, 0);
        f4assign(d4field(d, "NAME"), "a");
        EXPECT_EQ(r.duplicate, d4append(d)) << "unique " << r.unique;
        d4tag_select(d, d4tag(d, "NAME"));
        EXPECT_EQ((std::vector<long>{1, 2}), Walk(d)) << "unique " << r.unique;
        d4go(d, 2);
        f4assign(d4field(d, "NAME"), "a");
        EXPECT_EQ(r.duplicate, d4flush(d)) << "rewritten, unique " << r.unique;
        d4close(d);
    }
}

}  // namespace
