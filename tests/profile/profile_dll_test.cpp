// QVSTP32 and QVCMMN32 as the wizard library calls them, in an installed
// suite folder (C:\KESTRIX with the shipped QVSETUP.INI). Each test starts
// from the installed store and puts it back afterwards.
#include <windows.h>
#include <gtest/gtest.h>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "qvcmmn32_calls.h"
#include "qvstp32_calls.h"

namespace {

const char kStore[] = "C:\\KESTRIX\\QVSETUP.INI";

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

void WriteFileText(const char* path, const std::string& text) {
    FILE* f = std::fopen(path, "wb");
    ASSERT_NE(nullptr, f) << path;
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

const char* Short(CQSetupProfile& p, int item) {
    return p.GetProfile(static_cast<eSetupShortStrItems>(item), NULL, 0, eDefaultsNone);
}

const char* Long(CQSetupProfile& p, int item) {
    return p.GetProfile(static_cast<eSetupLongStrItems>(item), NULL, 0, eDefaultsNone);
}

class InstalledSuite : public ::testing::Test {
protected:
    void SetUp() override { installed_ = ReadFileText(kStore); }
    void TearDown() override { WriteFileText(kStore, installed_); }
    std::string installed_;
};

BOOL CALLBACK FindTitle(HWND window, LPARAM wanted) {
    char title[256];
    GetWindowTextA(window, title, sizeof title);
    if (!std::strstr(title, reinterpret_cast<const char*>(wanted))) return TRUE;
    PostMessageA(window, WM_CLOSE, 0, 0);
    return FALSE;
}

/* Waits for a top-level window whose title holds text and closes it. */
bool CloseWindowTitled(const char* text, DWORD timeoutMs) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(50))
        if (!EnumWindows(FindTitle, reinterpret_cast<LPARAM>(text))) return true;
    return false;
}

}  // namespace

TEST_F(InstalledSuite, InstalledItemsAndWritesSeenByTheNextObject) {
    {
        CQSetupProfile p(0);
        EXPECT_STREQ("MODEM.DBF", Short(p, eSS_ModemDbf));
        EXPECT_STREQ("", Short(p, eSS_UserName));
        EXPECT_EQ(1, p.SetProfile(eSS_UserName, "John Q Public", 0));
        EXPECT_EQ(1, p.SetProfile(eLS_PortName, "COM2", 0));
        EXPECT_EQ(1, p.SetProfile(eN_MaxCommandLength, (unsigned short)56, 0));
        EXPECT_EQ(1, p.SetProfile(eN_MenuItemInstalled, -2, 0));
        EXPECT_EQ(1, p.SetProfile(eN_SerialSpeeds, 0x12345678ul, 0));
    }
    CQSetupProfile p(0);
    EXPECT_STREQ("John Q Public", Short(p, eSS_UserName));
    EXPECT_STREQ("COM2", Long(p, eLS_PortName));
    EXPECT_EQ(56u, p.GetProfile(eN_MaxCommandLength, eDefaultsNone));
    EXPECT_EQ(0xFFFFFFFEul, p.GetProfile(eN_MenuItemInstalled, eDefaultsNone));
    unsigned short low = 0;
    p.GetProfile(eN_SerialSpeeds, &low, eDefaultsNone);
    EXPECT_EQ(0x5678, low);
    EXPECT_STREQ("MODEM.DBF", Short(p, eSS_ModemDbf));  // the other items stay
}

TEST_F(InstalledSuite, BuffersPointersAndLimits) {
    CQSetupProfile p(0);
    const char* name = Short(p, eSS_UserName);
    p.SetProfile(eSS_UserName, "Alice Example", 0);
    // A pointer handed out earlier stays valid and shows the item's value.
    EXPECT_STREQ("Alice Example", name);
    char small[6] = "#####";
    EXPECT_EQ(small, p.GetProfile(eSS_UserName, small, 6, eDefaultsNone));
    EXPECT_STREQ("Alice", small);
    p.SetProfile(eSS_State, "TX", 0);
    p.SetProfile(eSS_State, NULL, 0);  // a null text empties the item
    CQSetupProfile q(0);
    EXPECT_STREQ("", Short(q, eSS_State));
    EXPECT_EQ(0, q.SetProfile(eSetupShortStrItems(256), "x", 0));
    EXPECT_EQ(0, q.SetProfile(eSetupNumItems(-1), 1ul, 0));
    EXPECT_STREQ("", Long(q, -5));
}

TEST_F(InstalledSuite, DamagedOrMissingStoreReadsEmptyAndIsRewrittenCleanly) {
    std::mt19937 random(95);
    std::string junk(3000, '\0');
    for (char& c : junk) c = static_cast<char>(random());
    WriteFileText(kStore, junk);
    {
        CQSetupProfile p(0);
        EXPECT_STREQ("", Long(p, eLS_SuiteDir));
        EXPECT_STREQ("", Short(p, eSS_ModemDbf));
        EXPECT_EQ(0u, p.GetProfile(eN_ConnectWait, eDefaultsNone));
        EXPECT_EQ(1, p.SetProfile(eSS_UserName, "After Damage", 0));
    }
    std::string text = ReadFileText(kStore);
    EXPECT_EQ(0u, text.find(';')) << text;
    EXPECT_NE(std::string::npos, text.find("[Setup]\r\nS86=After Damage\r\n")) << text;
    EXPECT_EQ(std::string::npos, text.find(junk.substr(0, 16)));

    // A store replaced the Windows 95 way and cut off between deleting the
    // old file and renaming the new one: the new one is read.
    ASSERT_TRUE(MoveFileA(kStore, "C:\\KESTRIX\\QVSETUP.NEW"));
    EXPECT_STREQ("After Damage", Short(*std::make_unique<CQSetupProfile>(0), eSS_UserName));
    ASSERT_TRUE(DeleteFileA("C:\\KESTRIX\\QVSETUP.NEW"));
    CQSetupProfile p(0);
    EXPECT_STREQ("", Short(p, eSS_UserName));
    EXPECT_EQ(1, p.SetProfile(eN_ConnectWait, 30000ul, 0));
    EXPECT_EQ(30000u, CQSetupProfile(0).GetProfile(eN_ConnectWait, eDefaultsNone));
}

TEST_F(InstalledSuite, PathsComeFromTheProfile) {
    char out[MAX_PATH];
    EXPECT_EQ(1, MakePath(out, "C:\\KESTRIX", "OEM.CFG"));
    EXPECT_STREQ("C:\\KESTRIX\\OEM.CFG", out);
    EXPECT_EQ(out, JoinPath(eLS_SuiteDir, eLS_RegisterSubPath, out, MAX_PATH));
    EXPECT_STREQ("C:\\KESTRIX\\REGISTER", out);
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, GetFileAttributesA(out) & FILE_ATTRIBUTE_DIRECTORY);
    MakeDBFPath(eSS_ModemDbf, out);
    EXPECT_STREQ("C:\\KESTRIX\\MODEM.DBF", out);
    // Before setup stores the suite folder, the folder of the DLLs stands in.
    CQSetupProfile(0).SetProfile(eLS_SuiteDir, "", 0);
    MakeDBFPath(eSS_ModemDbf, out);
    EXPECT_STREQ("C:\\KESTRIX\\MODEM.DBF", out);
}

TEST_F(InstalledSuite, LoadsTheLibraryAnItemNames) {
    HINSTANCE module = NULL;
    char path[MAX_PATH];
    for (const char* name : {"QVSTP32.DLL", "C:\\KESTRIX\\QVSTP32.DLL"}) {
        CQSetupProfile(0).SetProfile(eSS_UtilDll, name, 0);
        ASSERT_EQ(0u, QVLoadLibrary(&module, eSS_UtilDll, 0)) << name;
        ASSERT_NE(nullptr, module);
        GetModuleFileNameA(module, path, sizeof path);
        EXPECT_STREQ("C:\\KESTRIX\\QVSTP32.DLL", path);
        FreeLibrary(module);
    }
    // A relative name is never looked up on the search path.
    CQSetupProfile(0).SetProfile(eSS_UtilDll, "KERNEL32.DLL", 0);
    EXPECT_NE(0u, QVLoadLibrary(&module, eSS_UtilDll, 0));
    EXPECT_EQ(nullptr, module);
    CQSetupProfile(0).SetProfile(eSS_UtilDll, "", 0);
    EXPECT_NE(0u, QVLoadLibrary(&module, eSS_UtilDll, 0));
    EXPECT_NE(0u, QVLoadLibrary(NULL, eSS_DetectDll, 0));
}

TEST_F(InstalledSuite, HelpOpensThePageOfTheContext) {
    char log[MAX_PATH];
    ASSERT_GT(GetEnvironmentVariableA("QVHELP_LOG", log, sizeof log), 0u);
    DeleteFileA(log);
    EXPECT_NE(0, DAZadUrer(NULL, 28678, 0));
    EXPECT_TRUE(CloseWindowTitled("28678", 60000)) << "no viewer shows the welcome page";
    // A context without a page of its own opens the contents.
    EXPECT_NE(0, DAZadUrer(NULL, 12345, 0));
    EXPECT_TRUE(CloseWindowTitled("CONTENTS", 60000)) << "no viewer shows the contents";
    // Tests that drive a wizard by keyboard keep the viewer away.
    SetEnvironmentVariableA("QVHELP_VIEWER", "none");
    EXPECT_NE(0, DAZadUrer(NULL, 28679, 0));
    EXPECT_FALSE(CloseWindowTitled("28679", 3000));
    SetEnvironmentVariableA("QVHELP_VIEWER", NULL);
    EXPECT_EQ("28678\n12345\n28679\n", ReadFileText(log));
}

DWORD FileIndex(const char* path) {
    BY_HANDLE_FILE_INFORMATION info = {};
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    GetFileInformationByHandle(h, &info);
    CloseHandle(h);
    return info.nFileIndexLow;
}

struct Hold {
    HANDLE file;
    DWORD ms;
};

DWORD WINAPI ReleaseLater(LPVOID context) {
    Hold* hold = static_cast<Hold*>(context);
    Sleep(hold->ms);
    return CloseHandle(hold->file);
}

/* Another program holding the store without sharing: a write waits for it
 * and keeps every other item, or, when it is held too long, fails and leaves
 * the store as it was. It never writes its one change over an empty store. */
TEST_F(InstalledSuite, WriteWaitsForAStoreHeldOpenAndNeverWipesIt) {
    for (DWORD holdMs : {300ul, 4000ul}) {
        const std::string before = ReadFileText(kStore);
        CQSetupProfile p(0);
        Hold hold = {CreateFileA(kStore, GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL), holdMs};
        ASSERT_NE(INVALID_HANDLE_VALUE, hold.file);
        HANDLE thread = CreateThread(NULL, 0, ReleaseLater, &hold, 0, NULL);
        const int stored = p.SetProfile(eSS_UserName, "Held Store", 0);
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        EXPECT_EQ(holdMs < 1000, stored == 1) << "held " << holdMs << " ms, result " << stored;
        EXPECT_STREQ("MODEM.DBF", Short(*std::make_unique<CQSetupProfile>(0), eSS_ModemDbf))
            << "held " << holdMs << " ms:\n" << ReadFileText(kStore);
        if (!stored) {
            EXPECT_EQ(before, ReadFileText(kStore));
        }
    }
}

/* An update stores its writes in one rewrite over the store as it is then:
 * until EndUpdate other objects see none of them, and a change another
 * object made meanwhile is kept. A write that changes nothing leaves the
 * file alone. */
TEST_F(InstalledSuite, UpdateStoresItsWritesAtOnceAndKeepsOthersChanges) {
    CQSetupProfile batch(0);
    batch.BeginUpdate();
    EXPECT_EQ(1, batch.SetProfile(eSS_UserName, "Batched Name", 0));
    EXPECT_EQ(1, batch.SetProfile(eN_ConnectWait, 1234ul, 0));
    EXPECT_STREQ("Batched Name", Short(batch, eSS_UserName));
    EXPECT_STREQ("", Short(*std::make_unique<CQSetupProfile>(0), eSS_UserName));
    CQSetupProfile(0).SetProfile(eSS_City, "Elsewhere", 0);
    EXPECT_EQ(1, batch.EndUpdate());
    CQSetupProfile after(0);
    EXPECT_STREQ("Batched Name", Short(after, eSS_UserName));
    EXPECT_EQ(1234u, after.GetProfile(eN_ConnectWait, eDefaultsNone));
    EXPECT_STREQ("Elsewhere", Short(after, eSS_City));

    // A rewrite puts a new file in the store's place: another file index.
    const DWORD unchanged = FileIndex(kStore);
    EXPECT_EQ(1, after.SetProfile(eSS_City, "Elsewhere", 0));
    EXPECT_EQ(unchanged, FileIndex(kStore)) << "a write that changes nothing replaced the store";
    EXPECT_EQ(1, after.SetProfile(eSS_City, "Moved", 0));
    EXPECT_NE(unchanged, FileIndex(kStore));
}
