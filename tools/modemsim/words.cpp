#include "words.h"

#include <cctype>
#include <sstream>

namespace modemsim {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Reads a quoted word starting after its opening quote; returns the index
// after the closing quote, or npos when the quote is never closed.
size_t readQuoted(std::string_view line, size_t i, std::string& word, std::string& error) {
    while (i < line.size()) {
        char c = line[i++];
        if (c == '"') return i;
        if (c != '\\') {
            word += c;
            continue;
        }
        if (i >= line.size()) break;
        char e = line[i++];
        switch (e) {
            case 'r': word += '\r'; break;
            case 'n': word += '\n'; break;
            case 't': word += '\t'; break;
            case '0': word += '\0'; break;
            case 'x': {
                int hi = i < line.size() ? hexValue(line[i]) : -1;
                int lo = i + 1 < line.size() ? hexValue(line[i + 1]) : -1;
                if (hi < 0 || lo < 0) {
                    error = "bad \\x escape";
                    return std::string_view::npos;
                }
                word += static_cast<char>(hi * 16 + lo);
                i += 2;
                break;
            }
            default: word += e; break;  // \" \\ and anything else stand for themselves
        }
    }
    error = "unterminated quote";
    return std::string_view::npos;
}

}  // namespace

LineWords splitWords(std::string_view line) {
    LineWords out;
    size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
        } else if (c == '#') {
            break;
        } else if (c == '"') {
            std::string word;
            i = readQuoted(line, i + 1, word, out.error);
            if (i == std::string_view::npos) return out;
            out.words.push_back(std::move(word));
        } else {
            size_t end = i;
            while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r' &&
                   line[end] != '\n')
                ++end;
            out.words.emplace_back(line.substr(i, end - i));
            i = end;
        }
    }
    return out;
}

WordLinesError applyWordLines(
    std::string_view text, const std::function<std::string(const std::vector<std::string>&)>& apply) {
    std::istringstream in{std::string(text)};
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        LineWords lw = splitWords(line);
        std::string err = lw.error;
        if (err.empty() && !lw.words.empty()) err = apply(lw.words);
        if (!err.empty()) return {lineNo, err};
    }
    return {};
}

std::string dialDigits(std::string_view number) {
    std::string out;
    for (char c : number)
        if (c >= '0' && c <= '9') out += c;
    return out;
}

}  // namespace modemsim
