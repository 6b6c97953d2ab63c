// Paths the suite's programs build from profile items.
#include <gtest/gtest.h>
#include <string>

#include "path_rules.h"

static std::string Join(const char* directory, const char* name, std::size_t size = 260) {
    char out[300] = "garbage";
    bool ok = qvpath::Join(directory, name, out, size);
    return ok ? std::string(out) : "!" + std::string(out);
}

TEST(PathRules, JoinsNameInsideDirectory) {
    EXPECT_EQ("C:\\KESTRIX\\MODEM.DBF", Join("C:\\KESTRIX", "MODEM.DBF"));
    EXPECT_EQ("C:\\KESTRIX\\MODEM.DBF", Join("C:\\KESTRIX\\", "MODEM.DBF"));
    EXPECT_EQ("C:\\KESTRIX/MODEM.DBF", Join("C:\\KESTRIX/", "MODEM.DBF"));
    EXPECT_EQ("C:MODEM.DBF", Join("C:", "MODEM.DBF"));
    EXPECT_EQ("\\\\SERVER\\SHARE\\X.DLL", Join("\\\\SERVER\\SHARE", "X.DLL"));
    // Absolute or empty parts stand alone.
    EXPECT_EQ("D:\\OTHER\\X.DLL", Join("C:\\KESTRIX", "D:\\OTHER\\X.DLL"));
    EXPECT_EQ("\\ROOT.DLL", Join("C:\\KESTRIX", "\\ROOT.DLL"));
    EXPECT_EQ("X.DLL", Join(nullptr, "X.DLL"));
    EXPECT_EQ("C:\\KESTRIX", Join("C:\\KESTRIX", ""));
    EXPECT_EQ("", Join("", nullptr));
}

TEST(PathRules, RefusesWhatDoesNotFit) {
    EXPECT_EQ("C:\\A\\B", Join("C:\\A", "B", 7));  // six characters and the NUL
    EXPECT_EQ("!", Join("C:\\A", "BC", 7));
    std::string longName(259, 'n');
    EXPECT_EQ(longName, Join("", longName.c_str()));
    EXPECT_EQ("!", Join("C:", longName.c_str()));
}
