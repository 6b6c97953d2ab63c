// ModemDBF on the MODEM.DBF installed in the suite folder, as the modem
// model page and the probe use it.
#include <windows.h>

#include "cbase32.h"
#include "qvdbf32_calls.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string SuiteFile(const char* name)
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of('\\') + 1) + name;
}

struct Database {
    explicit Database(std::string path) : path_(std::move(path)), db(&path_[0], 1) {}
    std::string path_;
    ModemDBF db;
};

ModemInfoStruct Lookup(ModemDBF& db, const char* name, int* found)
{
    ModemInfoStruct info;
    std::memset(&info, 0x55, sizeof info);
    std::strncpy(info.modelName, name, sizeof info.modelName - 1);
    info.modelName[sizeof info.modelName - 1] = '\0';
    *found = db.GetMatchedRecord(&info, eModemIndexModelName);
    return info;
}

TEST(ModemDatabase, ListsModelsInNameOrderAfterTheDefaultsRecord)
{
    Database d(SuiteFile("MODEM.DBF"));
    ASSERT_EQ(1, d.db.Open()) << d.path_;
    long count = d.db.GetCount();
    EXPECT_GE(count, 31) << "the defaults record and at least 30 models";
    ModemInfoStruct info;
    ASSERT_EQ(1, d.db.GetRecordFromOffset(&info, 0, 1, eModemIndexModelName));
    EXPECT_STREQ("(defaults)", info.modelName);
    EXPECT_EQ(1u, info.recordNumber);
    std::string previous;
    for (long offset = 1; offset < count; ++offset) {
        ASSERT_EQ(1, d.db.GetRecordFromOffset(&info, offset, 1, eModemIndexModelName)) << offset;
        std::string name = info.modelName;
        EXPECT_LT(_stricmp(previous.c_str(), name.c_str()), 0) << previous << " / " << name;
        previous = name;
    }
    EXPECT_EQ(0, d.db.GetRecordFromOffset(&info, count, 1, eModemIndexModelName));
    EXPECT_EQ(0, d.db.GetRecordFromOffset(&info, -1, 1, eModemIndexModelName));
    EXPECT_EQ(1, d.db.GetRecordFromOffset(&info, 1, 1, eModemIndexRecord));
    EXPECT_EQ(2u, info.recordNumber) << "file order counts records from the second";
}

// What each column holds is the database's own data: auto_select.py finds
// every persona's model by it, mkmodemdb_test.py checks the shipped columns.
TEST(ModemDatabase, FindsModelsByNameWhateverTheirCaseAndTrailingBlanks)
{
    Database d(SuiteFile("MODEM.DBF"));
    ASSERT_EQ(1, d.db.Open());
    struct { const char* name; int found; } cases[] = {
        {"Hayes Accura 336", 1}, {"usrobotics courier v.34  ", 1}, {"Acme Imaginary 9600", 0},
        {"(defaults)", 0},  // the defaults record is not a model
    };
    for (const auto& c : cases) {
        int found;
        ModemInfoStruct info = Lookup(d.db, c.name, &found);
        EXPECT_EQ(c.found, found) << c.name;
        if (found) {
            EXPECT_EQ(0, _strnicmp(c.name, info.modelName, std::strlen(info.modelName))) << c.name;
        }
    }
}

// (A database that is not there is setup_walk.py's: the model page stays
// disabled and Done writes none of a model's items.)
TEST(ModemDatabase, DeletedRecordsAreNotRead)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string copy = std::string(temp) + "MODEMCPY.DBF";
    ASSERT_TRUE(CopyFileA(SuiteFile("MODEM.DBF").c_str(), copy.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(SuiteFile("MODEM.DBT").c_str(), (std::string(temp) + "MODEMCPY.DBT").c_str(), FALSE));

    // Delete one model through the engine itself.
    CODE4 cb;
    d4init(&cb);
    DATA4* data = d4open(&cb, copy.c_str());
    ASSERT_NE(nullptr, data);
    FIELD4* model = d4field(data, "MODEL");
    bool deleted = false;
    for (int rc = d4top(data); rc == r4success && !deleted; rc = d4skip(data, 1))
        if (std::strncmp(f4ptr(model), "Davicom", 7) == 0) {
            d4delete(data);
            deleted = true;
        }
    ASSERT_TRUE(deleted);
    d4init_undo(&cb);

    Database d(copy);
    ASSERT_EQ(1, d.db.Open());
    int found;
    Lookup(d.db, "Davicom V.34+ Data/Fax/Voice", &found);
    EXPECT_EQ(0, found);
    long readable = 0;
    ModemInfoStruct info;
    for (long offset = 1; offset < d.db.GetCount(); ++offset)
        readable += d.db.GetRecordFromOffset(&info, offset, 1, eModemIndexModelName);
    EXPECT_EQ(d.db.GetCount() - 2, readable);
    d.db.Close();
    DeleteFileA(copy.c_str());
}

}  // namespace
