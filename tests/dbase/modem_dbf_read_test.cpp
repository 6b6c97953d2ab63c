// The modem database on a table whose last model records cannot be read when it is
// opened: reads of the file stop at a given offset (the test links with
// --wrap=fread, so the engine's reads come here first).
#include "cbase32.h"
#include "modem_dbf_core.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

extern "C" size_t __real_fread(void* buf, size_t size, size_t n, FILE* f);

static long g_fail_from = -1;

extern "C" size_t __wrap_fread(void* buf, size_t size, size_t n, FILE* f)
{
    long at = ftell(f);
    if (g_fail_from >= 0 && at + (long)(size * n) > g_fail_from)
        n = at < g_fail_from ? (size_t)(g_fail_from - at) / size : 0;
    return __real_fread(buf, size, n, f);
}

TEST(ModemDatabase, ModelsThatCouldNotBeReadAreNotLookedUp)
{
    char dir[] = "/tmp/modem_dbf_readXXXXXX";
    ASSERT_NE(nullptr, mkdtemp(dir));
    std::string path = std::string(dir) + "/MODEM.DBF";
    CODE4 cb;
    d4init(&cb);
    static FIELD4INFO fields[] = {{(char*)"MODEL", 'C', 40, 0}, {nullptr, 0, 0, 0}};
    DATA4* d = d4create(&cb, path.c_str(), fields, nullptr);
    ASSERT_NE(nullptr, d);
    for (int i = 0; i < 80; ++i) {
        ASSERT_EQ(r4success, d4append_blank(d));
        ASSERT_EQ(r4success, f4assign(d4field(d, "MODEL"), ("Model " + std::to_string(i)).c_str()));
    }
    // 64 models readable: the name list fills exactly, with no spare room
    // that would hide a read past its end.
    long unreadable = d4record_position(d, 66);
    d4init_undo(&cb);

    ModemDbfCore* db = ModemDbfCreate(path.c_str());
    g_fail_from = unreadable;
    ASSERT_EQ(1, ModemDbfOpen(db));
    g_fail_from = -1;
    ModemInfoStruct info;
    std::memset(&info, 0, sizeof info);
    std::strcpy(info.modelName, "Model 70");
    EXPECT_EQ(0, ModemDbfMatch(db, &info, eModemIndexModelName));
    std::strcpy(info.modelName, "Model 7");
    EXPECT_EQ(1, ModemDbfMatch(db, &info, eModemIndexModelName));
    EXPECT_EQ(0, ModemDbfRecordAt(db, &info, 70, 1, eModemIndexModelName));
    ModemDbfFree(db);
    std::system((std::string("rm -rf ") + dir).c_str());
}
