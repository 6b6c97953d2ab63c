// The CBASE32 entry points on real files: cursor rules, appending,
// memos, and refusals of what the engine lacks. (Pack's progress hook, day
// numbers and weekday names go through the kit program's classes.)
#include "table_test.h"

#include <cstring>
#include <csignal>
#include <sys/wait.h>

namespace {

int g_errors;
int g_last_error;
void CB4_HOOKCALL CountErrors(int code, char*, char*, char*)
{
    ++g_errors;
    g_last_error = code;
}

class Cbase32 : public TableTest {
protected:
    void SetUp() override
    {
        TableTest::SetUp();
        cb_.errOff = 0;
        g_errors = 0;
        SetErrorHook(CountErrors);
    }
    void TearDown() override
    {
        SetErrorHook(nullptr);
        TableTest::TearDown();
    }

    DATA4* CreatePeople()
    {
        static FIELD4INFO fields[] = {
            {(char*)"NAME", 'C', 10, 0}, {(char*)"AGE", 'N', 3, 0}, {(char*)"NOTE", 'M', 10, 0},
            {nullptr, 0, 0, 0}};
        DATA4* d = d4create(&cb_, Path("people").c_str(), fields, nullptr);
        EXPECT_NE(nullptr, d);
        return d;
    }
    void Add(DATA4* d, const char* name, long age)
    {
        ASSERT_EQ(r4success, d4append_blank(d));
        ASSERT_EQ(r4success, f4assign(d4field(d, "NAME"), name));
        ASSERT_EQ(r4success, f4assign_long(d4field(d, "AGE"), age));
    }
    std::string Name(DATA4* d) { return Text(d, "name"); }
};

TEST_F(Cbase32, CursorStopsAtBothEnds)
{
    DATA4* d = CreatePeople();
    EXPECT_EQ(r4eof, d4top(d)) << "an empty table has no first record";
    EXPECT_TRUE(d4bof(d));
    EXPECT_TRUE(d4eof(d));
    Add(d, "one", 1);
    Add(d, "two", 2);
    Add(d, "three", 3);
    EXPECT_EQ(3, d4reccount(d));

    ASSERT_EQ(r4success, d4top(d));
    EXPECT_EQ("one", Name(d));
    EXPECT_EQ(r4bof, d4skip(d, -1));
    EXPECT_TRUE(d4bof(d));
    EXPECT_EQ(1, d4recno(d));
    EXPECT_EQ(r4success, d4skip(d, 2));
    EXPECT_EQ("three", Name(d));
    EXPECT_EQ(r4eof, d4skip(d, 1));
    EXPECT_TRUE(d4eof(d));
    EXPECT_EQ(4, d4recno(d));
    EXPECT_EQ("", Name(d)) << "end of file shows a blank record";
    EXPECT_EQ(r4success, d4skip(d, -1));
    EXPECT_EQ("three", Name(d));
    EXPECT_EQ(r4entry, d4go(d, 9));
    char raw[64] = {};
    ASSERT_EQ(r4success, d4read(d, 2, raw));
    EXPECT_EQ(0, std::strncmp(raw, " two       ", 11));
    EXPECT_EQ("three", Name(d)) << "d4read does not move";
    f4assign(d4field(d, "NAME"), "changed");
    ASSERT_EQ(r4success, d4read_old(d, 3));
    EXPECT_EQ(0, std::strncmp((char*)d->oldRecord, " three     ", 11)) << "the stored bytes";
    EXPECT_EQ("changed", Name(d)) << "d4read_old leaves the change";
    EXPECT_EQ(r4success, d4bottom(d));
    EXPECT_EQ(3, d4recno(d));
    EXPECT_DOUBLE_EQ(1.0, d4position(d));
    EXPECT_EQ(r4success, d4position_set(d, 0.5));
    EXPECT_EQ(2, d4recno(d));
    EXPECT_EQ(0, g_errors);
}

TEST_F(Cbase32, ChangesSurviveCloseAndReopen)
{
    DATA4* d = CreatePeople();
    Add(d, "ann", 30);
    ASSERT_EQ(r4success, f4memo_assign(d4field(d, "NOTE"), "likes dBASE"));
    Add(d, "bob", 40);
    // d4append_start copies the current record; memos start empty.
    ASSERT_EQ(r4success, d4go(d, 1));
    EXPECT_STREQ("likes dBASE", f4memo_str(d4field(d, "NOTE")));
    ASSERT_EQ(r4success, d4append_start(d, 0));
    EXPECT_STREQ("", f4memo_str(d4field(d, "NOTE"))) << "after d4append_start";
    ASSERT_EQ(r4success, f4assign(d4field(d, "NAME"), "ann2"));
    ASSERT_EQ(r4success, d4append(d));
    ASSERT_EQ(r4success, d4close(d));

    d = d4open(&cb_, Path("people").c_str());
    ASSERT_NE(nullptr, d);
    EXPECT_STREQ("PEOPLE", d4alias(d));
    EXPECT_EQ(d, d4data(&cb_, "people"));
    ASSERT_EQ(3, d4reccount(d));
    ASSERT_EQ(r4success, d4go(d, 1));
    EXPECT_EQ(30, f4long(d4field(d, "AGE")));
    EXPECT_STREQ("likes dBASE", f4memo_str(d4field(d, "NOTE")));
    ASSERT_EQ(r4success, d4go(d, 3));
    EXPECT_EQ("ann2", Name(d));
    EXPECT_EQ(30, f4int(d4field(d, "AGE")));
    EXPECT_EQ(0u, f4memo_len(d4field(d, "NOTE")));
    EXPECT_EQ(r4success, d4validate_memo_ids(d));
    ASSERT_EQ(r4success, d4go(d, 1));
    EXPECT_STREQ("likes dBASE", f4memo_str(d4field(d, "NOTE")));
    d4blank(d);
    EXPECT_STREQ("", f4memo_str(d4field(d, "NOTE"))) << "after d4blank";
}

TEST_F(Cbase32, RefusesWhatItCannotDo)
{
    DATA4* d = CreatePeople();
    ASSERT_NE(nullptr, d);
    EXPECT_EQ(nullptr, d4create(&cb_, Path("people").c_str(), nullptr, nullptr));
    EXPECT_EQ(e4tagName, d4seek(d, "x")) << "no tag to seek in";
    EXPECT_EQ(nullptr, d4index(d, "people"));
    EXPECT_EQ(nullptr, d4tag_default(d));
    EXPECT_EQ(e4notSupported, d4memo_compress(d));
    EXPECT_EQ(e4notSupported, g_last_error);
    EXPECT_EQ(e4notSupported, QvcoError(&cb_));
    EXPECT_EQ(nullptr, d4field(d, "MISSING"));
    EXPECT_EQ(e4fieldName, g_last_error);
    Add(d, "ann", 1);
    EXPECT_EQ(e4value, f4assign_long(d4field(d, "AGE"), 12345));
    d4close(d);

    cb_.readOnly = 1;
    d = d4open(&cb_, Path("people.DBF").c_str());
    ASSERT_NE(nullptr, d);
    EXPECT_EQ(e4readOnly, f4assign(d4field(d, "NAME"), "x"));
    EXPECT_EQ(e4readOnly, d4append_blank(d));
    int before = g_errors;
    cb_.errOff = 1;
    d4seek(d, "x");
    EXPECT_EQ(before, g_errors) << "errOff keeps errors from the hook";
}

// Two handles on one table, as two programs would have: each handle's
// cached index pages give way to the other's changes. (Memos of two
// programs are the two-program test's.)
TEST_F(Cbase32, TwoHandlesGiveUpEachOthersIndexPages)
{
    DATA4* a = CreatePeople();
    Add(a, "ann", 1);
    Add(a, "bob", 2);
    TAG4INFO tags[] = {{(char*)"NAME", (char*)"NAME", nullptr, 0, 0}, {nullptr, nullptr, nullptr, 0, 0}};
    ASSERT_NE(nullptr, i4create(a, nullptr, tags));
    memcpy(f4ptr(d4field(a, "NAME")), "zed", 3);     // a key change d4flush writes
    ASSERT_EQ(r4success, d4write(a, -1));
    ASSERT_EQ(r4success, d4flush(a));
    CODE4 other;
    d4init(&other);
    DATA4* b = d4open(&other, Path("people").c_str());
    ASSERT_NE(nullptr, b);
    for (int r = 1; r <= 6; r++) {
        DATA4* d = r % 2 ? a : b;
        if (r > 2)
            Add(d, "new", r);
        ASSERT_EQ(r4success, d4lock(d, r));
        ASSERT_EQ(r4success, d4go(d, r));
        f4assign(d4field(d, "NAME"), ("n" + std::to_string(r)).c_str());
        ASSERT_EQ(r4success, d4unlock(d));
    }
    EXPECT_EQ(r4success, d4check(a));
    EXPECT_EQ(r4success, d4check(b));
    d4close(b);
    d4init_undo(&other);
}

// Waits end: a record lock held by another handle makes d4lock give up
// after CODE4.lockWait with r4locked, and the append and file locks give
// up when their range is taken. fcntl locks are a process's own, so the
// other holder is a child process.
TEST_F(Cbase32, LockWaitsEnd)
{
    DATA4* d = CreatePeople();
    Add(d, "ann", 1);
    d4close(d);
    int ready[2];
    ASSERT_EQ(0, pipe(ready));
    pid_t pid = fork();
    if (pid == 0) {
        CODE4 cb;
        d4init(&cb);
        DATA4* c = d4open(&cb, Path("people").c_str());
        char ok = c && d4lock(c, 1) == r4success ? 1 : 0;
        write(ready[1], &ok, 1);
        sleep(3);
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(1, read(ready[0], &ok, 1));
    ASSERT_EQ(1, ok);
    d = d4open(&cb_, Path("people").c_str());
    cb_.lockWait = 200;
    EXPECT_EQ(r4locked, d4lock(d, 1));
    EXPECT_EQ(r4locked, d4lock_test(d, 1));
    EXPECT_EQ(r4locked, d4lock_file(d));
    EXPECT_EQ(r4success, d4lock(d, 2)) << "other records stay free";
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    cb_.lockWait = 10000;
    EXPECT_EQ(r4success, d4lock(d, 1)) << "the lock is free once its holder is gone";
}

TEST(Date4, DayNumbersAndPictures)
{
    EXPECT_EQ(0, date4long("        "));
    EXPECT_EQ(0, date4long("19990229")) << "not a leap year";
    char date[9] = {};
    // Every day from 1899 to 2101 survives the round trip and follows the one before.
    long first = date4long("18990101");
    for (long j = first; j < first + 74000; ++j) {
        date4assign(date, j);
        ASSERT_EQ(j, date4long(date)) << date;
    }
    date4assign(date, 2450143);
    EXPECT_STREQ("19960229", date);
    EXPECT_STREQ("February", date4cmonth(date));
    char text[32];
    date4format(date, text, "MM/DD/YY");
    EXPECT_STREQ("02/29/96", text);
    date4format("        ", text, "MM/DD/YY");
    EXPECT_STREQ("  /  /  ", text);
    date4init(date, "12/31/99", "MM/DD/YY");
    EXPECT_STREQ("19991231", date);
    date4init(date, "02/30/2001", "MM/DD/CCYY");
    EXPECT_STREQ("        ", date);
}

}  // namespace
