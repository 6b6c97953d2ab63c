// Text handling for Program Manager items, free of Windows so that it is
// tested natively: splitting an item's command line into program and
// arguments, and writing Program Manager's DDE command strings.
#ifndef QVUTIL_PROGMAN_TEXT_H
#define QVUTIL_PROGMAN_TEXT_H

#include <functional>
#include <string>
#include <vector>

namespace qvutil {

struct CommandLine {
    std::string program;
    std::string arguments;
};

// Splits a command line the way Windows finds the program in one:
// - "C:\\Path\\Prog.exe" /A   the quoted part is the program;
// - C:\\Path\\Prog.exe /A      the shortest blank-ended prefix that names an
//   existing file is the program (so "C:\\Program Files\\X.EXE /A" works);
// - "C:\\Path\\Prog.exe /A"    one pair of quotes around program and
//   arguments together, as setup programs hand items to Program Manager,
//   is read like the unquoted form.
// When no prefix names a file, the whole text is the program.
CommandLine SplitCommandLine(const std::string& line,
                             const std::function<bool(const std::string&)>& fileExists);

// A text as one Program Manager command argument: in double quotes, with
// any double quote inside dropped (Program Manager has no escape for it).
std::string ProgmanQuote(const std::string& text);

// One Program Manager command, "[Name(arg1,arg2,...)]". Every argument is
// quoted (ProgmanQuote), so commas, blanks and parentheses inside it are safe.
std::string ProgmanCommand(const std::string& name, const std::vector<std::string>& arguments);

}  // namespace qvutil

#endif
