// Two programs share one table, its index and its memo file, each holding
// the locks the engine documents: interleaved appends, updates with memos,
// seeks and reindexes. Every record is a value the workers can check (its
// text and memo follow from its id and version), so a record read under its
// lock is whole or the test fails; at the end the versions add up to the
// updates both made (nothing lost), the count to their appends, and the
// tags agree with the table. DBF_SHARE_OPS sets the steps of each worker
// (a long run: DBF_SHARE_OPS=5000). The test starts two copies of itself.
#include "table_test.h"

#include <chrono>
#include <cstdio>
#include <random>

#ifdef _WIN32
#include <windows.h>
#else
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace {

std::string Dir()
{
#ifdef _WIN32
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    return dir;
#else
    return "/tmp/";
#endif
}
std::string TablePath() { return Dir() + "sharetest"; }
std::string ResultPath(int id) { return Dir() + "sharetest" + std::to_string(id) + ".txt"; }

#define EXPECT_OK(call) ASSERT_EQ(r4success, (call)) << #call << " at step " << step

void CB4_HOOKCALL PrintError(int code, char* a, char* b, char* c)
{
    fprintf(stderr, "ERR %d %s %s %s\n", code, a, b, c);
}

TEST(Share, Worker)
{
    const char* who = getenv("SHARE_TEST_WORKER");
    if (!who)
        GTEST_SKIP() << "run by TwoProgramsLoseNothing";
    int me = atoi(who);
    SetErrorHook(PrintError);
    long steps = getenv("DBF_SHARE_OPS") ? atol(getenv("DBF_SHARE_OPS")) : 300;
    CODE4 cb;
    d4init(&cb);
    DATA4* d = d4open(&cb, TablePath().c_str());
    ASSERT_NE(nullptr, d);
    std::mt19937 rng(1234 + me);
    long appends = 0, updates = 0, seen = 0;
    for (long step = 0; step < steps; step++) {
        int op = (int)(rng() % 20);
        if (op < 6) {                               // append
            EXPECT_OK(d4lock_append(d));
            ASSERT_GE(d4reccount(d), seen) << "the other's appends are seen";
            d4append_start(d, 0);
            char id[12];
            snprintf(id, sizeof id, "w%d-%05ld", me, appends);
            SetVersion(d, id, 0);
            EXPECT_OK(d4append(d));
            seen = d4reccount(d);
            EXPECT_OK(d4unlock(d));
            appends++;
        } else if (op < 17) {                       // update with a new memo
            long rec = 1 + (long)(rng() % (unsigned long)(seen > 0 ? seen : 1));
            EXPECT_OK(d4lock(d, rec));
            EXPECT_OK(d4go(d, rec));
            ASSERT_EQ("", Whole(d)) << "record " << rec << " at step " << step;
            SetVersion(d, Text(d, "ID"), f4long(d4field(d, "V")) + 1);
            EXPECT_OK(d4unlock(d));
            updates++;
        } else if (op < 19 || step > steps * 3 / 4) {  // seek a record by its id
            EXPECT_OK(d4lock_index(d));
            seen = d4reccount(d);
            long rec = 1 + (long)(rng() % (unsigned long)seen);
            d4tag_select(d, nullptr);
            EXPECT_OK(d4go(d, rec));
            std::string id = Text(d, "ID");
            d4tag_select(d, d4tag(d, "ID"));
            EXPECT_OK(d4seek(d, id.c_str()));
            EXPECT_EQ(rec, d4recno(d)) << "seek of " << id << " at step " << step;
            d4tag_select(d, nullptr);
            EXPECT_OK(d4unlock(d));
        } else {                                    // reindex (none near the end, which the tags must show)
            EXPECT_OK(d4lock_file(d));
            EXPECT_OK(d4reindex(d));
            EXPECT_OK(d4unlock(d));
        }
    }
    d4init_undo(&cb);
    FILE* f = fopen(ResultPath(me).c_str(), "w");
    ASSERT_NE(nullptr, f);
    fprintf(f, "%ld %ld\n", appends, updates);
    fclose(f);
}

#ifdef _WIN32
typedef HANDLE Process;
Process Start(int id)
{
    char exe[MAX_PATH], cmd[2 * MAX_PATH];
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    snprintf(cmd, sizeof cmd, "\"%s\" --gtest_filter=Share.Worker", exe);
    SetEnvironmentVariableA("SHARE_TEST_WORKER", std::to_string(id).c_str());
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    BOOL ok = CreateProcessA(nullptr, cmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableA("SHARE_TEST_WORKER", nullptr);
    if (!ok)
        return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}
bool Finished(Process p)
{
    DWORD code = 1;
    WaitForSingleObject(p, INFINITE);
    GetExitCodeProcess(p, &code);
    CloseHandle(p);
    return code == 0;
}
#else
typedef pid_t Process;
Process Start(int id)
{
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0)
        return 0;
    exe[n] = '\0';
    setenv("SHARE_TEST_WORKER", std::to_string(id).c_str(), 1);
    char filter[] = "--gtest_filter=Share.Worker";
    char* argv[] = {exe, filter, nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, exe, nullptr, nullptr, argv, environ) != 0)
        pid = 0;
    unsetenv("SHARE_TEST_WORKER");
    return pid;
}
bool Finished(Process p)
{
    int status = 0;
    return waitpid(p, &status, 0) == p && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
#endif

TEST(Share, TwoProgramsLoseNothing)
{
    if (getenv("SHARE_TEST_WORKER"))
        GTEST_SKIP();
    std::string path = TablePath();
    for (const char* ext : {".DBF", ".DBT", ".MDX"})
        remove((path + ext).c_str());
    CODE4 cb;
    d4init(&cb);
    cb.memoStyle = 4;
    FIELD4INFO fields[] = {{(char*)"ID", 'C', 10, 0}, {(char*)"V", 'N', 8, 0}, {(char*)"CHK", 'C', 20, 0},
                           {(char*)"M", 'M', 10, 0}, {nullptr, 0, 0, 0}};
    TAG4INFO tags[] = {{(char*)"ID", (char*)"ID", nullptr, 0, 0}, {(char*)"V", (char*)"V", nullptr, 0, 1},
                       {nullptr, nullptr, nullptr, 0, 0}};
    DATA4* d = d4create(&cb, path.c_str(), fields, tags);
    ASSERT_NE(nullptr, d);
    ASSERT_EQ(r4success, d4append_start(d, 0));
    SetVersion(d, "start", 0);
    ASSERT_EQ(r4success, d4append(d));
    d4close(d);

    auto start = std::chrono::steady_clock::now();
    Process workers[2] = {Start(1), Start(2)};
    ASSERT_TRUE(workers[0] && workers[1]);
    bool ok1 = Finished(workers[0]), ok2 = Finished(workers[1]);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_TRUE(ok1 && ok2) << "a worker failed";
    long appends = 0, updates = 0;
    for (int id : {1, 2}) {
        long a = 0, u = 0;
        FILE* f = fopen(ResultPath(id).c_str(), "r");
        ASSERT_NE(nullptr, f);
        ASSERT_EQ(2, fscanf(f, "%ld %ld", &a, &u));
        fclose(f);
        remove(ResultPath(id).c_str());
        appends += a;
        updates += u;
    }

    d = d4open(&cb, path.c_str());
    ASSERT_NE(nullptr, d);
    EXPECT_EQ(1 + appends, d4reccount(d)) << "no append lost";
    long versions = 0, next[2] = {0, 0};
    for (long r = 1; r <= d4reccount(d); r++) {
        ASSERT_EQ(r4success, d4go(d, r));
        int w = 0;
        long k = -1;
        if (r > 1) {
            ASSERT_EQ(2, sscanf(Text(d, "ID").c_str(), "w%d-%ld", &w, &k)) << "record " << r;
            EXPECT_EQ(next[w & 1]++, k) << "each program's appends in its order";
        }
        EXPECT_EQ("", Whole(d)) << "record " << r;
        versions += f4long(d4field(d, "V"));
    }
    EXPECT_EQ(updates, versions) << "no update lost";
    EXPECT_EQ(r4success, d4check(d)) << "both tags took every change";
    d4init_undo(&cb);
    long ops = 2 * (getenv("DBF_SHARE_OPS") ? atol(getenv("DBF_SHARE_OPS")) : 300);
    printf("two programs: %ld operations in %.2f s (%.0f/s)\n", ops, seconds, ops / seconds);
}

#ifdef _WIN32
// A handle's own locks may not overlap the file lock it tries, so they give
// way for the try: a failed try must leave them held, and a wait for a lock
// another holds ends after CODE4.lockWait.
TEST(Share, FailedFileLockKeepsTheLocksHeld)
{
    if (getenv("SHARE_TEST_WORKER"))
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
#endif

}  // namespace
