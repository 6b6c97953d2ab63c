// The store's text form: what a person writes into QVSETUP.INI is read as
// meant, what the store writes reads back the same, damage costs only the
// damaged lines, and the shipped store is in the written form. Random input
// is profile_text_fuzz's. Its file replaced on a model disk: a whole store
// survives power cuts and failing renames.
#include <gtest/gtest.h>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "profile_store.h"
#include "profile_text.h"

using namespace qvprofile;

static ProfileItems Parse(const std::string& text, std::size_t* skipped = nullptr) {
    ProfileItems items;
    std::size_t n = ParseProfile(text.data(), text.size(), items);
    if (skipped) *skipped = n;
    return items;
}

TEST(ProfileText, ReadsHandWrittenLinesAndSkipsOnlyBrokenOnes) {
    std::string text =
        "; comment\n# another\n\n[Setup]\r\n  s7 = MODEM.DBF  \r\nL0=C:\\KESTRIX\n"
        "S101=\"  padded\\t\\r\\n\\x01\\\\\"  \nN150=60000\nn159 = 0xF50\n"
        "S86=first\nS86=second\nS90=\nS1=" + std::string(100, 'x') + "\n";
    const char* broken[] = {"S256=x", "L128=x", "N1=-1", "N1=4294967296", "N1=12x", "N1=",
                            "S=x", "S0001=x", "X1=x", "S2 x", "S2=\"open", "S2=\"\\q\"",
                            "S2=\"a\" b", "S2=\"\\x0\"", "S2=\"\\x00\""};
    for (const char* line : broken) text += std::string(line) + "\n";
    text += std::string("S2=nul") + '\0' + "inside\nN3=4294967295";  // no line end at the end
    std::size_t skipped = 0;
    ProfileItems items = Parse(text, &skipped);
    EXPECT_EQ(sizeof broken / sizeof *broken + 1, skipped);
    EXPECT_EQ("MODEM.DBF", items.Text(Kind::Short, 7));
    EXPECT_EQ("C:\\KESTRIX", items.Text(Kind::Long, 0));
    EXPECT_EQ("  padded\t\r\n\x01\\", items.Text(Kind::Short, 101));
    EXPECT_EQ(60000u, items.Number(150));
    EXPECT_EQ(0xF50u, items.Number(159));
    EXPECT_EQ(4294967295u, items.Number(3));
    EXPECT_EQ("second", items.Text(Kind::Short, 86));
    EXPECT_TRUE(items.IsSet(Kind::Short, 90));
    EXPECT_EQ(80u, items.Text(Kind::Short, 1).size());
    EXPECT_FALSE(items.IsSet(Kind::Short, 2));
    EXPECT_FALSE(items.IsSet(Kind::Number, 1));
}

TEST(ProfileText, WrittenFormReadsBackTheSame) {
    ProfileItems items;
    items.SetText(Kind::Short, 86, "John Q Public");
    items.SetText(Kind::Short, 87, " blanks at both ends ");
    items.SetText(Kind::Short, 88, "\"quoted\" \\ back\\slash");
    items.SetText(Kind::Short, 89, "");
    items.SetText(Kind::Short, 255, std::string(200, 's'));
    items.SetText(Kind::Long, 0, "C:\\KESTRIX");
    items.SetText(Kind::Long, 58, "AT&F\r\n\x7f\x1b tail");
    items.SetText(Kind::Long, 45, "Stra\xdf" "e 5");  // code page 1252
    items.SetText(Kind::Long, 127, std::string("ab\0cd", 5));
    items.SetNumber(255, 0xffffffffu);
    EXPECT_FALSE(items.SetText(Kind::Long, 128, "x"));
    std::string text = SerializeProfile(items);
    std::size_t skipped = 1;
    EXPECT_TRUE(Parse(text, &skipped) == items);
    EXPECT_EQ(0u, skipped);
    EXPECT_EQ("ab", items.Text(Kind::Long, 127));
    EXPECT_NE(std::string::npos, text.find("\r\nS86=John Q Public\r\nS87=\" blanks"));
    EXPECT_NE(std::string::npos, text.find("\r\nL0=C:\\KESTRIX\r\n"));
}

TEST(InstalledProfile, HoldsTheSuiteDefaultsInWrittenForm) {
    std::ifstream file(QV_INSTALLED_PROFILE, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    std::size_t skipped = 1;
    ProfileItems items = Parse(text.str(), &skipped);
    EXPECT_EQ(0u, skipped);
    // So the first write changes nothing but the item written.
    EXPECT_EQ(text.str(), SerializeProfile(items));
    // The modem code's keywords and numbers need only be there. The names of
    // files and folders are checked by their use: profile_dll_test finds
    // MODEM.DBF and REGISTER in C:\KESTRIX through them, setup_walk loads
    // the installed libraries by theirs.
    for (int item : {101, 102, 103, 104, 105, 131})
        EXPECT_TRUE(items.IsSet(Kind::Short, item)) << "S" << item;
    for (int item : {3, 137, 150, 155, 159})
        EXPECT_TRUE(items.IsSet(Kind::Number, item)) << "N" << item;
}

namespace {

struct PowerCut {};

// What a power cut keeps: what was flushed, and an emptied file at once;
// renames and removals at once.
class ModelDisk : public StoreDisk {
public:
    struct File { std::string data, durable; };
    std::map<std::string, File> files;
    bool oneStepReplace = true;
    int failingRenames = 0;  // renames that find the file busy before they work
    int cutAt = 0;           // the change that never happens
    int changes = 0;

    void PowerLoss() {
        for (auto& f : files) f.second.data = f.second.durable;
    }
    Status Read(const std::string& path, std::string* text) override {
        auto f = files.find(path);
        if (f == files.end()) return Missing;
        *text = f->second.data;
        return Ok;
    }
    bool Write(const std::string& path, const std::string& text) override {
        Change();
        files[path] = File();
        Change();
        files[path].data = text;
        Change();
        files[path].durable = text;
        return true;
    }
    Status Replace(const std::string& from, const std::string& to) override {
        if (!oneStepReplace) return Unsupported;
        Change();
        return Move(from, to);
    }
    Status Rename(const std::string& from, const std::string& to) override {
        Change();
        if (files.count(from) && failingRenames > 0 && failingRenames--) return Busy;
        return files.count(to) ? Exists : Move(from, to);
    }
    bool Remove(const std::string& path) override {
        Change();
        return files.erase(path) > 0;
    }
    void Pause(unsigned) override {}

private:
    Status Move(const std::string& from, const std::string& to) {
        if (!files.count(from)) return Missing;
        files[to] = files[from];
        files.erase(from);
        return Ok;
    }
    void Change() {
        if (++changes == cutAt) throw PowerCut();
    }
};

const char kStore[] = "QVSETUP.INI", kNext[] = "QVSETUP.NEW";

}  // namespace

// The power fails before each change of a write in turn, with the store in
// its place or left in QVSETUP.NEW by a Windows 95 replace cut short: the
// store read afterwards is the old or the new one, and the next write works.
TEST(StoreFiles, APowerCutAnywhereLeavesTheOldOrTheNewStore) {
    for (bool oneStep : {true, false}) {
        for (const char* old : {kStore, kNext}) {
            for (int cutAt = 1;; cutAt++) {
                std::string at = std::string(oneStep ? "replace" : "no replace") + ", old store in " +
                                 old + ", cut before change " + std::to_string(cutAt);
                ModelDisk disk;
                disk.oneStepReplace = oneStep;
                disk.files[old] = {"old", "old"};
                StoreFiles files(disk, kStore, kNext);
                disk.cutAt = cutAt;
                bool done = false;
                try {
                    done = files.Write("new");
                } catch (PowerCut&) {
                }
                disk.PowerLoss();
                disk.cutAt = 0;
                std::string text;
                ASSERT_TRUE(files.Read(&text)) << at;
                EXPECT_TRUE(text == "new" || (!done && text == "old")) << at << ": " << text;
                ASSERT_TRUE(files.Write("next")) << at;
                EXPECT_TRUE(files.Read(&text) && text == "next" && disk.files.size() == 1) << at;
                if (done) break;
            }
        }
    }
}

// Windows 95: after the old file is removed, the rename may find the new
// one busy for a while. It is tried again; when it keeps failing the new
// file is the store, and the next write first puts it in place.
TEST(StoreFiles, RenamesFailingForAWhileLoseNothing) {
    for (int failing : {3, 1000}) {
        ModelDisk disk;
        disk.oneStepReplace = false;
        disk.files[kStore] = {"old", "old"};
        StoreFiles files(disk, kStore, kNext);
        disk.failingRenames = failing;
        EXPECT_EQ(failing < 10, files.Write("new")) << failing;
        std::string text;
        EXPECT_TRUE(files.Read(&text) && text == "new") << failing;
        if (failing >= 10) {  // renames still failing: the only copy is left alone
            EXPECT_FALSE(files.Write("other"));
            EXPECT_TRUE(files.Read(&text) && text == "new") << failing;
        }
        disk.failingRenames = 0;
        ASSERT_TRUE(files.Write("next")) << failing;
        EXPECT_TRUE(files.Read(&text) && text == "next" && disk.files.size() == 1) << failing;
    }
}
