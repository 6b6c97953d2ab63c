// The dBASE engine core on the memory seam: what it writes, what it reads
// back, and what it makes of damaged files.
#include "dbf.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const dbf_field_def kFields[] = {
    {"NAME", 'C', 12, 0}, {"COUNT", 'N', 6, 0}, {"PRICE", 'N', 9, 2},
    {"RATE", 'F', 10, 3}, {"BORN", 'D', 8, 0}, {"ACTIVE", 'L', 1, 0}, {"NOTES", 'M', 10, 0},
};
enum { NAME, COUNT, PRICE, RATE, BORN, ACTIVE, NOTES };

struct Files {
    dbf_memory table{}, memo{};
    ~Files() { dbf_memory_free(&table); dbf_memory_free(&memo); }

    dbf_status Create(dbf_table** t, dbf_memo_style style = DBF_MEMO_DBASE3,
                      const dbf_field_def* fields = kFields, int n = 7)
    {
        dbf_io io, mio;
        dbf_io_memory(&io, &table);
        dbf_io_memory(&mio, &memo);
        return dbf_create(t, &io, &mio, fields, n, style);
    }
    dbf_status Open(dbf_table** t)
    {
        dbf_io io, mio;
        dbf_io_memory(&io, &table);
        dbf_io_memory(&mio, &memo);
        return dbf_open(t, &io, &mio);
    }
};

std::string Text(dbf_table* t, int field)
{
    char buf[300];
    dbf_get_text(t, field, buf, sizeof buf);
    return buf;
}

std::string Memo(dbf_table* t, int field)
{
    char* text = nullptr;
    size_t len = 0;
    EXPECT_EQ(DBF_OK, dbf_memo_read(t, field, &text, &len));
    std::string s(text ? text : "", len);
    std::free(text);
    return s;
}

void AppendPerson(dbf_table* t, const char* name, long count, double price, const char* memo)
{
    ASSERT_EQ(DBF_OK, dbf_append(t, 1));
    ASSERT_EQ(DBF_OK, dbf_set_text(t, NAME, name));
    ASSERT_EQ(DBF_OK, dbf_set_long(t, COUNT, count));
    ASSERT_EQ(DBF_OK, dbf_set_double(t, PRICE, price));
    ASSERT_EQ(DBF_OK, dbf_set_double(t, RATE, price / 8));
    ASSERT_EQ(DBF_OK, dbf_set_text(t, BORN, "19960229"));
    ASSERT_EQ(DBF_OK, dbf_set_text(t, ACTIVE, count % 2 ? "T" : "F"));
    ASSERT_EQ(DBF_OK, dbf_memo_write(t, NOTES, memo, std::strlen(memo)));
}

TEST(DbfEngine, WritesDbaseThreeLayoutAndReadsItBack)
{
    Files f;
    dbf_table* t;
    ASSERT_EQ(DBF_OK, f.Create(&t));
    AppendPerson(t, "Ada", 7, 12.5, "first memo");
    AppendPerson(t, "Grace Hopper long name", -42, 1234.567, std::string(700, 'x').c_str());
    ASSERT_EQ(DBF_OK, dbf_close(t));

    const unsigned char* h = f.table.data;
    EXPECT_EQ(0x83, h[0]);
    EXPECT_EQ(2u, h[4] | h[5] << 8 | h[6] << 16 | h[7] << 24);
    unsigned header_len = h[8] | h[9] << 8, record_len = h[10] | h[11] << 8;
    EXPECT_EQ(32u + 7 * 32 + 1, header_len);
    EXPECT_EQ(1u + 12 + 6 + 9 + 10 + 8 + 1 + 10, record_len);
    EXPECT_EQ(0x0D, h[header_len - 1]);
    EXPECT_EQ(header_len + 2 * record_len + 1, f.table.size);
    EXPECT_EQ(0x1A, h[f.table.size - 1]);
    const char* second = reinterpret_cast<const char*>(h) + header_len + record_len;
    EXPECT_EQ(std::string(" Grace Hopper   -42  1234.57"), std::string(second, 28));
    EXPECT_EQ(std::string("         2"), std::string(second + 47, 10)) << "the block after the first memo";
    // dBASE III memo: 512-byte blocks, text ended by 1A 1A, next free block in the header.
    EXPECT_EQ(4u, f.memo.data[0]);
    EXPECT_EQ(0, std::memcmp(f.memo.data + 512, "first memo\x1a\x1a", 12));

    ASSERT_EQ(DBF_OK, f.Open(&t));
    EXPECT_EQ(2u, dbf_record_count(t));
    EXPECT_EQ(DBF_MEMO_DBASE3, dbf_memo(t));
    ASSERT_EQ(DBF_OK, dbf_go(t, 2));
    // Other values' round trips are the model test's.
    EXPECT_EQ("154.321", Text(t, RATE));
    EXPECT_FALSE(dbf_get_logical(t, ACTIVE));
    EXPECT_EQ(std::string(700, 'x'), Memo(t, NOTES));
    EXPECT_EQ(DBF_E_RANGE, dbf_go(t, 3));
    EXPECT_EQ(DBF_E_RANGE, dbf_go(t, 0));
    dbf_close(t);
}

// A dBASE IV memo carries its length, so it may hold the end-of-text byte.
// (dbfread in interop.py reads such memos by their length; rewritten and
// empty ones are the model test's.)
TEST(DbfEngine, DbaseFourMemosMayHoldTheEndOfTextByte)
{
    Files f;
    dbf_table* t;
    ASSERT_EQ(DBF_OK, f.Create(&t, DBF_MEMO_DBASE4));
    std::string big(1500, 'm');
    big[700] = '\x1a';
    AppendPerson(t, "A", 1, 1, big.c_str());
    ASSERT_EQ(DBF_OK, dbf_close(t));
    EXPECT_EQ(0x8B, f.table.data[0]);
    EXPECT_EQ(0, std::memcmp(f.memo.data + 512, "\xff\xff\x08\x00", 4));
    ASSERT_EQ(DBF_OK, f.Open(&t));
    ASSERT_EQ(DBF_OK, dbf_go(t, 1));
    EXPECT_EQ(big, Memo(t, NOTES));
    dbf_close(t);
}

// What pack and zap keep is the model test's; here, that the file shrinks.
TEST(DbfEngine, PackCutsTheFile)
{
    Files f;
    dbf_table* t;
    ASSERT_EQ(DBF_OK, f.Create(&t));
    for (int i = 1; i <= 6; ++i)
        AppendPerson(t, ("P" + std::to_string(i)).c_str(), i, i, "m");
    dbf_set_deleted(t, 1);
    ASSERT_EQ(DBF_OK, dbf_pack(t));
    ASSERT_EQ(DBF_OK, dbf_zap(t, 2, 3));
    ASSERT_EQ(DBF_OK, dbf_close(t));
    unsigned header_len = f.table.data[8] | f.table.data[9] << 8;
    unsigned record_len = f.table.data[10] | f.table.data[11] << 8;
    EXPECT_EQ(header_len + 3 * record_len + 1, f.table.size);
}

TEST(DbfEngine, ValuesThatDoNotFitAreRefusedAndLeaveTheFieldAlone)
{
    Files f;
    dbf_table* t;
    ASSERT_EQ(DBF_OK, f.Create(&t));
    AppendPerson(t, "Name", 5, 1.25, "");
    EXPECT_EQ(DBF_E_VALUE, dbf_set_long(t, COUNT, 1234567));
    EXPECT_EQ(DBF_E_VALUE, dbf_set_double(t, PRICE, 1e9));
    EXPECT_EQ(DBF_E_VALUE, dbf_set_double(t, PRICE, 0.0 / 0.0));
    EXPECT_EQ(DBF_E_VALUE, dbf_set_text(t, BORN, "199602291"));
    EXPECT_EQ("5", Text(t, COUNT));
    EXPECT_EQ("1.25", Text(t, PRICE));
    EXPECT_EQ(DBF_OK, dbf_set_text(t, NAME, "A name longer than twelve"));
    EXPECT_EQ("A name longe", Text(t, NAME)) << "character values are cut, as dBASE does";
    EXPECT_EQ(DBF_OK, dbf_set_long(t, PRICE, 3));
    EXPECT_EQ("3.00", Text(t, PRICE));
    for (auto c : {std::pair<double, const char*>{0.125, "0.13"}, {-2.675, "-2.68"}, {1.005, "1.01"}}) {
        EXPECT_EQ(DBF_OK, dbf_set_double(t, PRICE, c.first));
        EXPECT_EQ(c.second, Text(t, PRICE)) << "a half rounds away from zero";
    }
    EXPECT_EQ(DBF_E_FIELD, dbf_set_text(t, NOTES, "memo through set_text"));
    EXPECT_EQ(DBF_E_FIELD, dbf_set_text(t, 99, "x"));
    EXPECT_EQ(DBF_OK, dbf_set_text(t, COUNT, ""));
    long blank = -1;
    EXPECT_EQ(DBF_OK, dbf_get_long(t, COUNT, &blank)) << "a blank number reads as zero";
    EXPECT_EQ(0, blank);
    EXPECT_EQ(DBF_OK, dbf_set_text(t, COUNT, "12x"));
    EXPECT_EQ(DBF_E_VALUE, dbf_get_long(t, COUNT, &blank));
    // strtod's own words are not dBASE numbers.
    for (const char* text : {"nan", "-inf", "INF", "0x1F", "1e", "."}) {
        double d = -1;
        ASSERT_EQ(DBF_OK, dbf_set_text(t, COUNT, text));
        EXPECT_EQ(DBF_E_VALUE, dbf_get_long(t, COUNT, &blank)) << text;
        EXPECT_EQ(DBF_E_VALUE, dbf_get_double(t, COUNT, &d)) << text << " read as " << d;
    }
    double d = 0;
    EXPECT_EQ(DBF_OK, dbf_set_text(t, COUNT, "-1e2"));
    EXPECT_EQ(DBF_OK, dbf_get_double(t, COUNT, &d));
    EXPECT_EQ(-100.0, d);
    dbf_close(t);

    const dbf_field_def bad[][2] = {
        {{"OK", 'C', 5, 0}, {"OK", 'N', 5, 0}},              // repeated name
        {{"OK", 'C', 5, 0}, {"BAD NAME", 'C', 5, 0}},
        {{"OK", 'C', 5, 0}, {"WIDE", 'N', 30, 0}},
        {{"OK", 'C', 5, 0}, {"DEC", 'N', 5, 4}},
        {{"OK", 'C', 5, 0}, {"TYPE", 'X', 5, 0}},
    };
    for (const auto& defs : bad) {
        Files g;
        EXPECT_EQ(DBF_E_ARG, g.Create(&t, DBF_MEMO_DBASE3, defs, 2)) << defs[1].name;
    }
}

// A change not written is dropped by an unload that does not keep it. (That
// writes reach records already read ahead is the model test's.)
TEST(DbfEngine, UnloadDropsAChangeNotWritten)
{
    Files f;
    dbf_table* t;
    ASSERT_EQ(DBF_OK, f.Create(&t));
    AppendPerson(t, "old", 1, 1, "");
    ASSERT_EQ(DBF_OK, dbf_go(t, 1));
    ASSERT_EQ(DBF_OK, dbf_set_text(t, NAME, "dropped"));
    ASSERT_EQ(DBF_OK, dbf_unload(t, 0));
    ASSERT_EQ(DBF_OK, dbf_go(t, 1));
    EXPECT_EQ("old", Text(t, NAME));
    dbf_close(t);
}

// A valid two-record table with one C field of 4 and one memo field.
std::vector<unsigned char> SmallTable()
{
    std::vector<unsigned char> b(32 + 64 + 1 + 2 * 15 + 1, ' ');
    std::memset(b.data(), 0, 97);
    b[0] = 0x83; b[4] = 2; b[8] = 97; b[10] = 15;
    std::memcpy(&b[32], "NAME", 4); b[43] = 'C'; b[48] = 4;
    std::memcpy(&b[64], "NOTE", 4); b[75] = 'M'; b[80] = 10;
    b[96] = 0x0D;
    std::memcpy(&b[97], " abcd         1", 15);
    std::memcpy(&b[112], "*efgh          ", 15);
    b.back() = 0x1A;
    return b;
}

dbf_status OpenBytes(const std::vector<unsigned char>& bytes, dbf_table** t, Files& f,
                     const std::string& memo = "")
{
    dbf_memory_assign(&f.table, bytes.data(), bytes.size());
    dbf_memory_assign(&f.memo, memo.data(), memo.size());
    return f.Open(t);
}

TEST(DbfEngine, DamagedTablesAreRefusedOrReadAsFarAsTheyGo)
{
    struct Case {
        const char* what;
        void (*damage)(std::vector<unsigned char>&);
        dbf_status expect;
    } cases[] = {
        {"intact", [](std::vector<unsigned char>&) {}, DBF_OK},
        {"truncated header", [](std::vector<unsigned char>& b) { b.resize(20); }, DBF_E_FORMAT},
        {"header beyond the file", [](std::vector<unsigned char>& b) { b.resize(80); }, DBF_E_FORMAT},
        {"header length past the end", [](std::vector<unsigned char>& b) { b[8] = 0xff; b[9] = 0xff; }, DBF_E_FORMAT},
        {"record shorter than its fields", [](std::vector<unsigned char>& b) { b[10] = 10; }, DBF_E_FORMAT},
        {"record length zero", [](std::vector<unsigned char>& b) { b[10] = 0; }, DBF_E_FORMAT},
        {"not a dBASE version", [](std::vector<unsigned char>& b) { b[0] = 0x30; }, DBF_E_FORMAT},
        {"memo field of width 4", [](std::vector<unsigned char>& b) { b[80] = 4; b[48] = 10; }, DBF_E_FORMAT},
        {"no fields", [](std::vector<unsigned char>& b) { b[32] = 0x0D; }, DBF_E_FORMAT},
        {"descriptor cut by header length", [](std::vector<unsigned char>& b) { b[8] = 90; }, DBF_E_FORMAT},
    };
    for (const Case& c : cases) {
        Files f;
        std::vector<unsigned char> b = SmallTable();
        c.damage(b);
        dbf_table* t = nullptr;
        EXPECT_EQ(c.expect, OpenBytes(b, &t, f)) << c.what;
        dbf_close(t);
    }

    // A count beyond the end of the file: the records that are there are read.
    Files f;
    std::vector<unsigned char> b = SmallTable();
    b[4] = 200;
    b.resize(b.size() - 8);
    dbf_table* t;
    ASSERT_EQ(DBF_OK, OpenBytes(b, &t, f));
    EXPECT_EQ(1u, dbf_record_count(t));
    EXPECT_TRUE(dbf_was_truncated(t));
    ASSERT_EQ(DBF_OK, dbf_go(t, 1));
    EXPECT_EQ("abcd", Text(t, 0));
    EXPECT_EQ(DBF_E_RANGE, dbf_go(t, 2));
    dbf_close(t);
}

TEST(DbfEngine, DamagedMemosAreReportedNotFollowed)
{
    std::string header(512, '\0');
    header[0] = 4;
    std::string good = header + "memo text\x1a\x1a" + std::string(500, '\0');
    struct Case {
        const char* what;
        std::string memo;
        const char* pointer;
        dbf_status expect;
    } cases[] = {
        {"intact", good, "         1", DBF_OK},
        {"text without end mark", header + "runs to the end", "         1", DBF_OK},
        {"block beyond the next free one", good, "         9", DBF_E_MEMO},
        {"block beyond the file", header.substr(0, 4) + std::string(508, '\0'), "         1", DBF_E_MEMO},
        {"pointer is not a number", good, "     1x   ", DBF_E_MEMO},
        {"memo file missing its header", "", "         1", DBF_E_MEMO},
        {"no memo", good, "          ", DBF_OK},
    };
    for (const Case& c : cases) {
        Files f;
        std::vector<unsigned char> b = SmallTable();
        std::memcpy(&b[102], c.pointer, 10);
        dbf_table* t;
        ASSERT_EQ(DBF_OK, OpenBytes(b, &t, f, c.memo)) << c.what;
        ASSERT_EQ(DBF_OK, dbf_go(t, 1));
        char* text = nullptr;
        size_t len = 99;
        EXPECT_EQ(c.expect, dbf_memo_read(t, 1, &text, &len)) << c.what;
        if (c.expect != DBF_OK)
            EXPECT_EQ(nullptr, text) << c.what;
        std::free(text);
        dbf_close(t);
    }

    // A header whose next free block lies far past the end: new memos still
    // go to the end of the file, rather than growing it by terabytes.
    {
        Files f;
        std::vector<unsigned char> b = SmallTable();
        std::string far = good;
        far[0] = far[1] = far[2] = '\xf0';
        dbf_table* t;
        ASSERT_EQ(DBF_OK, OpenBytes(b, &t, f, far));
        ASSERT_EQ(DBF_OK, dbf_go(t, 2));
        ASSERT_EQ(DBF_OK, dbf_memo_write(t, 1, "new", 3));
        EXPECT_EQ("new", Memo(t, 1));
        dbf_close(t);
        EXPECT_EQ(3u * 512, f.memo.size);
    }

    // dBASE IV: a memo whose stored length runs past the file.
    Files f;
    std::vector<unsigned char> b = SmallTable();
    b[0] = 0x8B;
    std::string memo = header;
    memo[20] = 0; memo[21] = 2;     // 512-byte blocks
    memo += std::string("\xff\xff\x08\x00\xff\xff\x00\x00", 8) + "short";
    dbf_table* t;
    ASSERT_EQ(DBF_OK, OpenBytes(b, &t, f, memo));
    ASSERT_EQ(DBF_OK, dbf_go(t, 1));
    char* text = nullptr;
    size_t len;
    EXPECT_EQ(DBF_E_MEMO, dbf_memo_read(t, 1, &text, &len));
    dbf_close(t);
}

}  // namespace
