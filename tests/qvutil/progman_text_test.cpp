// Command lines as setup programs hand them to Program Manager, and the DDE
// command strings made from them.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "progman_text.h"

using qvutil::CommandLine;
using qvutil::ProgmanCommand;
using qvutil::SplitCommandLine;

namespace {

const std::set<std::string> kFiles = {
    "C:\\KESTRIX\\QVMENU.EXE", "C:\\KESTRIX\\KESTRIX.EXE", "C:\\Program Files\\Kx\\RUN.EXE"};

bool Exists(const std::string& path) { return kFiles.count(path) != 0; }

struct Case {
    const char* line;
    const char* program;
    const char* arguments;
};

}  // namespace

TEST(SplitCommandLine, FindsProgramAndArguments) {
    const Case cases[] = {
        // The two forms the setup wizard writes.
        {"\"C:\\KESTRIX\\KESTRIX.EXE\"", "C:\\KESTRIX\\KESTRIX.EXE", ""},
        {"\"C:\\KESTRIX\\QVMENU.EXE /KX\"", "C:\\KESTRIX\\QVMENU.EXE", "/KX"},
        // Quoted program, arguments after the quotes.
        {"\"C:\\Program Files\\Kx\\RUN.EXE\" /A  /B", "C:\\Program Files\\Kx\\RUN.EXE", "/A  /B"},
        // Unquoted, with a blank inside the folder name.
        {"C:\\Program Files\\Kx\\RUN.EXE /A", "C:\\Program Files\\Kx\\RUN.EXE", "/A"},
        {"  C:\\KESTRIX\\QVMENU.EXE\t/KX  ", "C:\\KESTRIX\\QVMENU.EXE", "/KX"},
        // Nothing names a file: the whole text is the program.
        {"\"C:\\NOWHERE\\X.EXE /KX\"", "C:\\NOWHERE\\X.EXE /KX", ""},
        {"NOTEPAD", "NOTEPAD", ""},
        // Unbalanced quote: read as if it were closed at the end.
        {"\"C:\\KESTRIX\\QVMENU.EXE /KX", "C:\\KESTRIX\\QVMENU.EXE", "/KX"},
        {"", "", ""},
        {"\"\"", "", ""},
    };
    for (const Case& c : cases) {
        CommandLine split = SplitCommandLine(c.line, Exists);
        EXPECT_EQ(c.program, split.program) << c.line;
        EXPECT_EQ(c.arguments, split.arguments) << c.line;
    }
}

TEST(ProgmanCommand, QuotesEveryArgument) {
    EXPECT_EQ("[CreateGroup(\"startup\")]", ProgmanCommand("CreateGroup", {"startup"}));
    EXPECT_EQ("[AddItem(\"C:\\KESTRIX\\QVMENU.EXE /KX\",\"Kestrix Menu\")]",
              ProgmanCommand("AddItem", {"C:\\KESTRIX\\QVMENU.EXE /KX", "Kestrix Menu"}));
    // Commas and parentheses stay inside the quotes; quotes cannot be said at all.
    EXPECT_EQ("[AddItem(\"a,b (c)\",\"say hi\")]",
              ProgmanCommand("AddItem", {"a,b (c)", "say \"hi\""}));
    EXPECT_EQ("[Reload()]", ProgmanCommand("Reload", {}));
}
