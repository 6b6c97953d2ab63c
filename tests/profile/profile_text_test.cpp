// The store's text form: what a person may write into QVSETUP.INI is read as
// meant, what the store writes reads back the same, and damage costs only
// the damaged lines.
#include <gtest/gtest.h>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "profile_text.h"

using namespace qvprofile;

namespace {

ProfileItems Parse(const std::string& text, std::size_t* skipped = nullptr) {
    ProfileItems items;
    std::size_t n = ParseProfile(text.data(), text.size(), items);
    if (skipped) *skipped = n;
    return items;
}

}  // namespace

TEST(ProfileText, ReadsHandWrittenFile) {
    std::size_t skipped = 0;
    ProfileItems items = Parse(
        "; comment\n# another\n\n[Setup]\r\n"
        "  s7 = MODEM.DBF  \r\n"
        "L0=C:\\KESTRIX\n"
        "L17=\"C:\\\\Program Files\\\\Q\"\n"
        "S101=\"  padded\\t\\r\\n\\x01\"  \n"
        "N150=60000\nn159 = 0xF50\n"
        "S86=first\nS86=second\n"  // the last one wins
        "S90=\n",
        &skipped);
    EXPECT_EQ(0u, skipped);
    EXPECT_EQ("MODEM.DBF", items.Text(Kind::Short, 7));
    EXPECT_EQ("C:\\KESTRIX", items.Text(Kind::Long, 0));
    EXPECT_EQ("C:\\Program Files\\Q", items.Text(Kind::Long, 17));
    EXPECT_EQ("  padded\t\r\n\x01", items.Text(Kind::Short, 101));
    EXPECT_EQ(60000u, items.Number(150));
    EXPECT_EQ(0xF50u, items.Number(159));
    EXPECT_EQ("second", items.Text(Kind::Short, 86));
    EXPECT_TRUE(items.IsSet(Kind::Short, 90));
    EXPECT_EQ("", items.Text(Kind::Short, 90));
    EXPECT_FALSE(items.IsSet(Kind::Short, 91));
    EXPECT_EQ(0u, items.Number(9));
}

TEST(ProfileText, SkipsOnlyBrokenLines) {
    const char* broken[] = {
        "S256=out of range", "L128=out of range", "N1=-1", "N1=4294967296", "N1=12x",
        "N1=", "S=no number", "S0001=four digits", "X1=unknown kind", "S1 no equals",
        "S1=\"unterminated", "S1=\"bad escape \\q\"", "S1=\"text\" after", "S1=\"\\x0\"",
        "S1=\"\\x00\"",
    };
    std::string text = "S7=MODEM.DBF\n";
    for (const char* line : broken) text += std::string(line) + "\n";
    text += std::string("S2=nul\0inside\n", 14);
    text += "N3=4294967295";  // last line without its end
    std::size_t skipped = 0;
    ProfileItems items = Parse(text, &skipped);
    EXPECT_EQ(sizeof broken / sizeof *broken + 1, skipped);
    EXPECT_EQ("MODEM.DBF", items.Text(Kind::Short, 7));
    EXPECT_FALSE(items.IsSet(Kind::Short, 1));
    EXPECT_FALSE(items.IsSet(Kind::Short, 2));
    EXPECT_FALSE(items.IsSet(Kind::Number, 1));
    EXPECT_EQ(4294967295u, items.Number(3));
}

TEST(ProfileText, CutsTextsToTheirFields) {
    ProfileItems items;
    EXPECT_TRUE(items.SetText(Kind::Short, 255, std::string(200, 's')));
    EXPECT_TRUE(items.SetText(Kind::Long, 127, std::string(300, 'l')));
    EXPECT_TRUE(items.SetText(Kind::Short, 0, std::string("ab\0cd", 5)));
    EXPECT_FALSE(items.SetText(Kind::Short, 256, "x"));
    EXPECT_FALSE(items.SetText(Kind::Long, -1, "x"));
    EXPECT_FALSE(items.SetNumber(256, 1));
    EXPECT_EQ(80u, items.Text(Kind::Short, 255).size());
    EXPECT_EQ(259u, items.Text(Kind::Long, 127).size());
    EXPECT_EQ("ab", items.Text(Kind::Short, 0));
    EXPECT_EQ(80u, Parse("S1=" + std::string(100, 'x')).Text(Kind::Short, 1).size());
}

TEST(ProfileText, WrittenFormReadsBackTheSame) {
    ProfileItems items;
    items.SetText(Kind::Short, 86, "John Q Public");
    items.SetText(Kind::Short, 87, " leading and trailing ");
    items.SetText(Kind::Short, 88, "\"quoted\" \\ back\\slash");
    items.SetText(Kind::Short, 89, "");
    items.SetText(Kind::Long, 0, "C:\\KESTRIX");
    items.SetText(Kind::Long, 58, "AT&F\r\n\x7f\x1b tail");
    items.SetText(Kind::Long, 45, "Stra\xdf" "e 5 \xe9t\xe9");  // code page 1252
    items.SetNumber(0, 0);
    items.SetNumber(255, 0xffffffffu);
    std::string text = SerializeProfile(items);
    std::size_t skipped = 1;
    EXPECT_TRUE(Parse(text, &skipped) == items);
    EXPECT_EQ(0u, skipped);
    EXPECT_NE(std::string::npos, text.find("\r\nS86=John Q Public\r\n"));
    EXPECT_NE(std::string::npos, text.find("\r\nL0=C:\\KESTRIX\r\n"));
    EXPECT_NE(std::string::npos, text.find("\r\nN255=4294967295\r\n"));
    EXPECT_EQ(text, SerializeProfile(Parse(text)));
}

TEST(ProfileText, RandomBytesNeverCrashAndRewriteCleanly) {
    std::mt19937 random(1996);
    for (int round = 0; round < 200; ++round) {
        std::string junk(random() % 4096, '\0');
        for (char& c : junk) c = static_cast<char>(random());
        if (round % 2) {  // junk with line structure reaches deeper
            for (char& c : junk)
                if (static_cast<unsigned char>(c) % 7 == 0) c = "\nS=N\"\\"[random() % 6];
        }
        ProfileItems items = Parse(junk);
        std::string clean = SerializeProfile(items);
        std::size_t skipped = 1;
        EXPECT_TRUE(Parse(clean, &skipped) == items);
        EXPECT_EQ(0u, skipped);
    }
}

TEST(InstalledProfile, HoldsTheSuiteDefaultsInWrittenForm) {
    std::ifstream file(QV_INSTALLED_PROFILE, std::ios::binary);
    ASSERT_TRUE(file) << QV_INSTALLED_PROFILE;
    std::stringstream buffer;
    buffer << file.rdbuf();
    std::string text = buffer.str();
    std::size_t skipped = 1;
    ProfileItems items = Parse(text, &skipped);
    EXPECT_EQ(0u, skipped);
    // Shipped in the form the store writes, so the first write changes
    // nothing but the item written.
    EXPECT_EQ(text, SerializeProfile(items));
    EXPECT_EQ("C:\\KESTRIX", items.Text(Kind::Long, 0));
    for (int item : {7, 33, 35, 101, 102, 103, 104, 105, 131})
        EXPECT_TRUE(items.IsSet(Kind::Short, item)) << "S" << item;
    for (int item : {2, 17}) EXPECT_TRUE(items.IsSet(Kind::Long, item)) << "L" << item;
    for (int item : {3, 137, 150, 155, 159})
        EXPECT_TRUE(items.IsSet(Kind::Number, item)) << "N" << item;
}
