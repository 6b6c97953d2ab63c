// What the engine's tests share: a scratch folder with an engine context,
// a field's text without its padding, and records whose check field and
// memo follow from their id and version (fields ID, V, CHK and memo M), so
// that a torn or mixed-up record shows.
#ifndef TABLE_TEST_H
#define TABLE_TEST_H

#include "cbase32.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

inline std::string Text(DATA4* d, const char* field)
{
    std::string s = f4str(d4field(d, field));
    return s.substr(0, s.find_last_not_of(' ') + 1);
}

inline std::string Check(const std::string& id, long v) { return id + "/" + std::to_string(v * 7919 % 100003); }
inline std::string VersionMemo(const std::string& id, long v)
{
    std::string s = id + ":" + std::to_string(v) + ":";
    s.append((size_t)(v * 37 + id.size() * 11) % 1500, (char)('a' + v % 26));
    return s;
}

inline void SetVersion(DATA4* d, const std::string& id, long v)
{
    f4assign(d4field(d, "ID"), id.c_str());
    f4assign_long(d4field(d, "V"), v);
    f4assign(d4field(d, "CHK"), Check(id, v).c_str());
    std::string memo = VersionMemo(id, v);
    f4memo_assign_n(d4field(d, "M"), memo.c_str(), (unsigned)memo.size());
}

// "" when the current record is whole, else what is wrong.
inline std::string Whole(DATA4* d)
{
    std::string id = Text(d, "ID");
    long v = f4long(d4field(d, "V"));
    if (Text(d, "CHK") != Check(id, v))
        return "torn record " + id;
    FIELD4* m = d4field(d, "M");
    const char* memo = f4memo_ptr(m);
    if (!memo || std::string(memo, f4memo_len(m)) != VersionMemo(id, v))
        return "memo of " + id + " is another's";
    return "";
}

#ifndef _WIN32
#include <unistd.h>

class TableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char dir[] = "/tmp/table_testXXXXXX";
        ASSERT_NE(nullptr, mkdtemp(dir));
        dir_ = dir;
        d4init(&cb_);
        cb_.errOff = 1;
    }
    void TearDown() override
    {
        d4init_undo(&cb_);
        std::system(("rm -rf " + dir_).c_str());
    }
    std::string Path(const char* name) const { return dir_ + "/" + name; }
    std::string dir_;
    CODE4 cb_;
};
#endif

#endif
