#include "path_rules.h"

#include <cstdio>
#include <cstring>

namespace qvpath {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

bool IsAbsolute(const char* path) {
    if (!path || !*path) return false;
    return IsSeparator(path[0]) || (IsLetter(path[0]) && path[1] == ':');
}

bool Join(const char* directory, const char* name, char* out, std::size_t size) {
    if (!out || size == 0) return false;
    out[0] = '\0';
    if (!directory) directory = "";
    if (!name) name = "";
    const char* head = IsAbsolute(name) ? "" : directory;
    std::size_t headLength = std::strlen(head), nameLength = std::strlen(name);
    /* "C:" is the current folder of drive C, so "C:NAME" keeps no separator. */
    bool separator = headLength > 0 && nameLength > 0 && !IsSeparator(head[headLength - 1]) &&
                     head[headLength - 1] != ':';
    std::size_t total = headLength + (separator ? 1 : 0) + nameLength;
    if (total >= size) return false;
    std::memcpy(out, head, headLength);
    if (separator) out[headLength++] = '\\';
    std::memcpy(out + headLength, name, nameLength + 1);
    return true;
}

void HelpPageName(unsigned long context, char* out, std::size_t size) {
    std::snprintf(out, size, "HELP\\%lu.RTF", context);
}

}  // namespace qvpath
