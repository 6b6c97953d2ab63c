// The Wine harness gives a program the Windows version it was asked for and
// installs the suite folder as C:\KESTRIX.
#include <windows.h>
#include <gtest/gtest.h>
#include <cstdlib>

TEST(Harness, ReportsRequestedPlatform) {
    OSVERSIONINFOA v = {};
    v.dwOSVersionInfoSize = sizeof v;
    ASSERT_TRUE(GetVersionExA(&v));
    const char* expect = std::getenv("QV_EXPECT_PLATFORM");
    ASSERT_NE(expect, nullptr);
    EXPECT_EQ(std::strtoul(expect, nullptr, 10), v.dwPlatformId);
}

TEST(Harness, RunsFromInstalledSuiteFolder) {
    char path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, path, sizeof path), 0u);
    EXPECT_EQ(0, _strnicmp(path, "C:\\KESTRIX\\", 11)) << path;
}
