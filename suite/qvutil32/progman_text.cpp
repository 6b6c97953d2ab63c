#include "progman_text.h"

namespace qvutil {

namespace {

const char* const kBlanks = " \t";

std::string Trim(const std::string& s) {
    size_t first = s.find_first_not_of(kBlanks);
    if (first == std::string::npos)
        return std::string();
    size_t last = s.find_last_not_of(kBlanks);
    return s.substr(first, last - first + 1);
}

CommandLine SplitLoose(const std::string& text,
                       const std::function<bool(const std::string&)>& fileExists) {
    for (size_t blank = text.find_first_of(kBlanks); blank != std::string::npos;
         blank = text.find_first_of(kBlanks, blank + 1)) {
        std::string candidate = text.substr(0, blank);
        if (fileExists(candidate))
            return {candidate, Trim(text.substr(blank))};
    }
    return {text, std::string()};
}

}  // namespace

CommandLine SplitCommandLine(const std::string& line,
                             const std::function<bool(const std::string&)>& fileExists) {
    std::string text = Trim(line);
    if (text.empty() || text[0] != '"')
        return SplitLoose(text, fileExists);
    size_t close = text.find('"', 1);
    if (close == std::string::npos)                        // unbalanced: take it all
        return SplitLoose(Trim(text.substr(1)), fileExists);
    std::string quoted = text.substr(1, close - 1);
    std::string rest = Trim(text.substr(close + 1));
    if (rest.empty())
        return SplitLoose(Trim(quoted), fileExists);
    return {quoted, rest};
}

std::string ProgmanQuote(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text)
        if (c != '"')
            quoted += c;
    return quoted + '"';
}

std::string ProgmanCommand(const std::string& name, const std::vector<std::string>& arguments) {
    std::string command = "[" + name + "(";
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (i)
            command += ',';
        command += ProgmanQuote(arguments[i]);
    }
    return command + ")]";
}

}  // namespace qvutil
