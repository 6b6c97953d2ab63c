// Two processes share one table under Windows: each appends records under
// the append lock and adds to a counter in record 1 under its record lock.
// Afterwards no update is lost, no record is torn, the count is right and
// the tag agrees with the table. The test starts two copies of itself,
// which run only the worker (told apart by an environment variable).
#include "cbase32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const int kRounds = 150;

std::string TablePath()
{
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    return std::string(dir) + "locktest";
}

TEST(Lock, Worker)
{
    const char* id = getenv("LOCK_TEST_WORKER");
    if (!id)
        GTEST_SKIP() << "run by SharedTableKeepsEveryUpdate";
    CODE4 cb;
    d4init(&cb);
    DATA4* d = d4open(&cb, TablePath().c_str());
    ASSERT_NE(nullptr, d);
    for (int k = 0; k < kRounds; k++) {
        ASSERT_EQ(r4success, d4lock_append(d));
        d4append_start(d, 0);
        char name[16];
        snprintf(name, sizeof name, "w%s-%04d", id, k);
        f4assign(d4field(d, "NAME"), name);
        f4assign_long(d4field(d, "N"), k);
        ASSERT_EQ(r4success, d4append(d));
        ASSERT_EQ(r4success, d4unlock(d));

        ASSERT_EQ(r4success, d4lock(d, 1));
        ASSERT_EQ(r4success, d4go(d, 1));
        f4assign_long(d4field(d, "N"), f4long(d4field(d, "N")) + 1);
        ASSERT_EQ(r4success, d4unlock(d));
    }
    d4init_undo(&cb);
}

HANDLE StartWorker(const char* id)
{
    char exe[MAX_PATH], cmd[2 * MAX_PATH];
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    snprintf(cmd, sizeof cmd, "\"%s\" --gtest_filter=Lock.Worker", exe);
    SetEnvironmentVariableA("LOCK_TEST_WORKER", id);
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    BOOL ok = CreateProcessA(nullptr, cmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableA("LOCK_TEST_WORKER", nullptr);
    if (!ok)
        return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

TEST(Lock, SharedTableKeepsEveryUpdate)
{
    if (getenv("LOCK_TEST_WORKER"))
        GTEST_SKIP();
    std::string path = TablePath();
    DeleteFileA((path + ".DBF").c_str());
    DeleteFileA((path + ".MDX").c_str());
    CODE4 cb;
    d4init(&cb);
    FIELD4INFO fields[] = {{(char*)"NAME", 'C', 10, 0}, {(char*)"N", 'N', 6, 0}, {nullptr, 0, 0, 0}};
    TAG4INFO tags[] = {{(char*)"NAME", (char*)"NAME", nullptr, 0, 0}, {nullptr, nullptr, nullptr, 0, 0}};
    DATA4* d = d4create(&cb, path.c_str(), fields, tags);
    ASSERT_NE(nullptr, d);
    d4append_blank(d);
    f4assign(d4field(d, "NAME"), "counter");
    f4assign_long(d4field(d, "N"), 0);
    d4close(d);

    HANDLE workers[2] = {StartWorker("1"), StartWorker("2")};
    ASSERT_TRUE(workers[0] && workers[1]);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, workers, TRUE, 300000));
    for (HANDLE h : workers) {
        DWORD code = 1;
        GetExitCodeProcess(h, &code);
        EXPECT_EQ(0u, code) << "a worker failed";
        CloseHandle(h);
    }

    d = d4open(&cb, path.c_str());
    ASSERT_NE(nullptr, d);
    EXPECT_EQ(1 + 2 * kRounds, d4reccount(d));
    d4go(d, 1);
    EXPECT_EQ(2 * kRounds, f4long(d4field(d, "N"))) << "no lost update";
    int seen[2] = {0, 0};
    for (long r = 2; r <= d4reccount(d); r++) {
        d4go(d, r);
        int id = 0, k = -1;
        ASSERT_EQ(2, sscanf(f4str(d4field(d, "NAME")), "w%d-%d", &id, &k)) << "record " << r;
        EXPECT_EQ(k, f4long(d4field(d, "N"))) << "record " << r << " is whole";
        EXPECT_EQ(seen[id - 1]++, k) << "each worker's records in its order";
    }
    EXPECT_EQ(r4success, d4check(d)) << "the tag took every append";
    d4init_undo(&cb);
}

// On Windows a handle's own locks may not overlap the file lock it tries,
// so they give way for the try: a failed try must leave them held, and a
// wait for a lock another holds ends after CODE4.lockWait.
TEST(Lock, FailedFileLockKeepsTheLocksHeld)
{
    if (getenv("LOCK_TEST_WORKER"))
        GTEST_SKIP();
    std::string path = TablePath() + "2";
    DeleteFileA((path + ".DBF").c_str());
    CODE4 a, b;
    d4init(&a);
    d4init(&b);
    FIELD4INFO fields[] = {{(char*)"N", 'N', 6, 0}, {nullptr, 0, 0, 0}};
    DATA4* da = d4create(&a, path.c_str(), fields, nullptr);
    ASSERT_NE(nullptr, da);
    for (int i = 0; i < 3; i++)
        d4append_blank(da);
    DATA4* db = d4open(&b, path.c_str());
    ASSERT_NE(nullptr, db);
    ASSERT_EQ(r4success, d4lock(da, 2));
    ASSERT_EQ(r4success, d4lock_append(da));
    ASSERT_EQ(r4success, d4lock(db, 3));
    EXPECT_EQ(r4locked, d4lock_test_file(da));
    EXPECT_EQ(r4locked, d4lock_test(db, 2)) << "record 2 is still the first handle's";
    EXPECT_EQ(r4locked, d4lock_test_append(db)) << "and so is the append lock";
    b.lockWait = 100;
    EXPECT_EQ(r4locked, d4lock(db, 2)) << "a wait ends";
    d4unlock(da);
    EXPECT_EQ(r4success, d4lock_test(db, 2));
    d4init_undo(&b);
    d4init_undo(&a);
}

}  // namespace
