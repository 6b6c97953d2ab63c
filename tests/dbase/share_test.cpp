// Two programs share one table, its index and its memo file, each holding
// the locks the engine documents: interleaved appends, updates with memos,
// seeks and reindexes. Every record is a value the workers can check (its
// text and memo follow from its id and version), so a record read under its
// lock is whole or the test fails; at the end the versions add up to the
// updates both made (nothing lost), the count to their appends, and the
// tags agree with the table. DBF_SHARE_OPS sets the steps of each worker
// (a long run: DBF_SHARE_OPS=5000). The test starts two copies of itself.
#include "cbase32.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

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

// What a record of this id and version must hold.
std::string Check(const std::string& id, long v) { return id + "/" + std::to_string(v * 7919 % 100003); }
std::string Memo(const std::string& id, long v)
{
    std::string s = id + ":" + std::to_string(v) + ":";
    s.append((size_t)(v * 37 + id.size() * 11) % 1500, (char)('a' + v % 26));
    return s;
}

std::string Text(DATA4* d, const char* field)
{
    std::string s = f4str(d4field(d, field));
    return s.substr(0, s.find_last_not_of(' ') + 1);
}

// "" when the current record is whole, else what is wrong.
std::string Whole(DATA4* d)
{
    std::string id = Text(d, "ID");
    long v = f4long(d4field(d, "V"));
    if (Text(d, "CHK") != Check(id, v))
        return "torn record " + id;
    FIELD4* m = d4field(d, "M");
    if (std::string(f4memo_ptr(m), f4memo_len(m)) != Memo(id, v))
        return "memo of " + id + " is another's";
    return "";
}

void SetVersion(DATA4* d, const std::string& id, long v)
{
    f4assign(d4field(d, "ID"), id.c_str());
    f4assign_long(d4field(d, "V"), v);
    f4assign(d4field(d, "CHK"), Check(id, v).c_str());
    std::string memo = Memo(id, v);
    f4memo_assign_n(d4field(d, "M"), memo.c_str(), (unsigned)memo.size());
}

#define EXPECT_OK(call) ASSERT_EQ(r4success, (call)) << #call << " at step " << step

TEST(Share, Worker)
{
    const char* who = getenv("SHARE_TEST_WORKER");
    if (!who)
        GTEST_SKIP() << "run by TwoProgramsLoseNothing";
    int me = atoi(who);
    SetErrorHook([](int code, char* a, char* b, char* c) { fprintf(stderr, "ERR %d %s %s %s\n", code, a, b, c); });
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
    long versions = 0, torn = 0;
    for (long r = 1; r <= d4reccount(d); r++) {
        ASSERT_EQ(r4success, d4go(d, r));
        std::string wrong = Whole(d);
        torn += !wrong.empty();
        EXPECT_EQ("", wrong) << "record " << r;
        versions += f4long(d4field(d, "V"));
    }
    EXPECT_EQ(updates, versions) << "no update lost";
    EXPECT_EQ(r4success, d4check(d)) << "both tags took every change";
    long lost = (1 + appends - d4reccount(d)) + (updates - versions);
    d4init_undo(&cb);
    long ops = 2 * (getenv("DBF_SHARE_OPS") ? atol(getenv("DBF_SHARE_OPS")) : 300);
    printf("two programs: %ld operations in %.2f s (%.0f/s), %ld appends, %ld updates, lost %ld, torn %ld\n",
           ops, seconds, ops / seconds, appends, updates, lost, torn);
}

}  // namespace
