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
        EXPECT_STREQ("AT", info.commandPrefix) << name;
        EXPECT_STREQ("OK", info.replies[0]) << name;
        EXPECT_GT(info.maxCommandLength, 20) << name;
        previous = name;
    }
    EXPECT_EQ(0, d.db.GetRecordFromOffset(&info, count, 1, eModemIndexModelName));
    EXPECT_EQ(0, d.db.GetRecordFromOffset(&info, -1, 1, eModemIndexModelName));
    EXPECT_EQ(1, d.db.GetRecordFromOffset(&info, 1, 1, eModemIndexRecord));
    EXPECT_EQ(2u, info.recordNumber) << "file order counts records from the second";
}

TEST(ModemDatabase, FindsModelsByNameWithTheirIdentification)
{
    struct Expected {
        const char* name;
        const char* command;
        const char* reply;
        const char* manufacturer;
    } models[] = {
        {"Hayes Accura 336", "+FMDL?", "ACCURA 33600", "Hayes Microcomputer"},
        {"Motorola ModemSURFR 28.8", "I3", "Motorola ModemSURFR", "AT&T"},
        {"USRobotics Sportster 33600", "I3", "Sportster 33600/Fax", "Sportster"},
        {"Rockwell RC144 (Zoltrix)", "I6", "RCV144DP", "ROCKWELL"},
        {"SupraFAXModem 288", "+FMDL?", "SupraFAXModem 288", "Supra Corporation"},
        {"ZyXEL 1496EG+", "", "", "ZyXEL"},
        {"usrobotics courier v.34  ", "I0", "2886", "USRobotics"},
    };
    Database d(SuiteFile("MODEM.DBF"));
    ASSERT_EQ(1, d.db.Open());
    for (const Expected& m : models) {
        int found;
        ModemInfoStruct info = Lookup(d.db, m.name, &found);
        ASSERT_EQ(1, found) << m.name;
        EXPECT_STREQ(m.command, info.identifyCommand) << m.name;
        EXPECT_STREQ(m.reply, info.identifyReply) << m.name;
        EXPECT_STREQ(m.manufacturer, info.manufacturerReply) << m.name;
    }
    int found;
    Lookup(d.db, "Acme Imaginary 9600", &found);
    EXPECT_EQ(0, found);
    Lookup(d.db, "(defaults)", &found);
    EXPECT_EQ(0, found) << "the defaults record is not a model";
}

TEST(ModemDatabase, GenericHayesModelHasEveryCommandAndReply)
{
    Database d(SuiteFile("MODEM.DBF"));
    ASSERT_EQ(1, d.db.Open());
    int found;
    ModemInfoStruct m = Lookup(d.db, "Generic Hayes Compatible", &found);
    ASSERT_EQ(1, found);
    const char* texts[] = {m.init, m.init2, m.commandA, m.commandB, m.commandC, m.commandD,
                           m.fullCommandA, m.hangUp, m.fullCommandB, m.shortCommandA,
                           m.shortCommandB, m.shortCommandC, m.speakerOn, m.speakerOff,
                           m.speakerUntilConnect, m.volumeLow, m.volumeMedium, m.volumeHigh,
                           m.dialTone, m.dialPulse, m.speedSlow, m.speedNormal, m.speedFast,
                           m.progressNone, m.progressDialTone, m.progressBusy, m.progressAll,
                           m.watchedReply, m.commandPrefix};
    for (const char* t : texts)
        EXPECT_GT(std::strlen(t), 0u);
    for (const auto& reply : m.replies)
        EXPECT_GT(std::strlen(reply), 0u);
    EXPECT_STREQ("ATH0", m.hangUp);
    EXPECT_STREQ("NO CARRIER", m.replies[2]);
    EXPECT_STREQ("DT", m.dialTone);
    EXPECT_EQ(40, m.maxCommandLength);
    EXPECT_EQ(1, m.hardwareHandshake);
}

TEST(ModemDatabase, DeletedRecordsAndMissingFilesAreNotRead)
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

    Database missing(std::string(temp) + "NOSUCH.DBF");
    EXPECT_EQ(0, missing.db.Open());
    EXPECT_EQ(0, missing.db.GetCount());
    EXPECT_EQ(0, missing.db.GetRecordFromOffset(&info, 1, 1, eModemIndexModelName));
}

}  // namespace
