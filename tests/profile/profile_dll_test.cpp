// QVSTP32 and QVCMMN32 as the wizard library calls them, in an installed
// suite folder (C:\KESTRIX with the shipped QVSETUP.INI).
#include <windows.h>
#include <gtest/gtest.h>
#include <cstdio>
#include <string>

#include "qvcmmn32.h"
#include "qvstp32.h"

namespace {

std::string ReadFileText(const char* path) {
    std::string text;
    if (FILE* f = std::fopen(path, "rb")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
        std::fclose(f);
    }
    return text;
}

}  // namespace

TEST(SetupProfile, InstalledItemsAreThere) {
    CQSetupProfile p(0);
    EXPECT_STREQ("C:\\KESTRIX", p.GetProfile(eLS_SuiteDir, NULL, 0, eDefaultsNone));
    EXPECT_STREQ("MODEM.DBF", p.GetProfile(eSS_ModemDbf, NULL, 0, eDefaultsNone));
    EXPECT_STREQ("QVDETECT.DLL", p.GetProfile(eSS_DetectDll, NULL, 0, eDefaultsNone));
    EXPECT_STREQ("QVUTIL32.DLL", p.GetProfile(eSS_UtilDll, NULL, 0, eDefaultsNone));
    EXPECT_STREQ("C:\\KESTRIX\\QVMENU.EXE", p.GetProfile(eLS_MenuProgram, NULL, 0, eDefaultsNone));
    EXPECT_EQ(60000u, p.GetProfile(eN_ConnectWait, eDefaultsNone));
}

TEST(SetupProfile, WrittenValuesAreSeenByTheNextObject) {
    {
        CQSetupProfile p(0);
        EXPECT_EQ(1, p.SetProfile(eSS_UserName, "John Q Public", 0));
        EXPECT_EQ(1, p.SetProfile(eLS_PortName, "COM2", 0));
        EXPECT_EQ(1, p.SetProfile(eN_MaxCommandLength, (unsigned short)56, 0));
        EXPECT_EQ(1, p.SetProfile(eN_StartupItemInstalled, 1, 0));
        EXPECT_EQ(1, p.SetProfile(eN_SerialSpeeds, 0x12345678ul, 0));
    }
    CQSetupProfile p(0);
    char buffer[260];
    EXPECT_STREQ("John Q Public", p.GetProfile(eSS_UserName, buffer, sizeof buffer, eDefaultsNone));
    EXPECT_STREQ("COM2", p.GetProfile(eLS_PortName, NULL, 0, eDefaultsNone));
    EXPECT_EQ(56u, p.GetProfile(eN_MaxCommandLength, eDefaultsNone));
    EXPECT_EQ(1u, p.GetProfile(eN_StartupItemInstalled, eDefaultsNone));
    unsigned short low = 0;
    p.GetProfile(eN_SerialSpeeds, &low, eDefaultsNone);
    EXPECT_EQ(0x5678, low);
    EXPECT_EQ(0x12345678ul, p.GetProfile(eN_SerialSpeeds, eDefaultsNone));
}

TEST(SuiteServices, PathsComeFromTheProfile) {
    char out[MAX_PATH];
    EXPECT_EQ(1, MakePath(out, "C:\\KESTRIX", "OEM.CFG"));
    EXPECT_STREQ("C:\\KESTRIX\\OEM.CFG", out);
    EXPECT_EQ(out, JoinPath(eLS_SuiteDir, eLS_RegisterSubPath, out, MAX_PATH));
    EXPECT_STREQ("C:\\KESTRIX\\REGISTER", out);
    MakeDBFPath(eSS_ModemDbf, out);
    EXPECT_STREQ("C:\\KESTRIX\\MODEM.DBF", out);
}

TEST(SuiteServices, LoadsLibraryNamedByItem) {
    {
        CQSetupProfile p(0);
        p.SetProfile(eSS_UtilDll, "QVSTP32.DLL", 0);
    }
    HINSTANCE module = NULL;
    ASSERT_EQ(0u, QVLoadLibrary(&module, eSS_UtilDll, 0));
    ASSERT_NE(nullptr, module);
    char path[MAX_PATH];
    GetModuleFileNameA(module, path, sizeof path);
    EXPECT_STREQ("C:\\KESTRIX\\QVSTP32.DLL", path);
    FreeLibrary(module);
    CQSetupProfile(0).SetProfile(eSS_UtilDll, "NOSUCH.DLL", 0);
    EXPECT_NE(0u, QVLoadLibrary(&module, eSS_UtilDll, 0));
    EXPECT_EQ(nullptr, module);
}

TEST(SuiteServices, HelpRequestIsLogged) {
    char log[MAX_PATH];
    ASSERT_GT(GetEnvironmentVariableA("QVHELP_LOG", log, sizeof log), 0u);
    DAZadUrer(NULL, 28678, 0);
    DAZadUrer(NULL, 0x7016, 0);
    EXPECT_EQ("28678\n28694\n", ReadFileText(log));
}
