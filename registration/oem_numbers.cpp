#include "oem_numbers.h"
#include <cctype>
#include <cstdio>
#include <strings.h>

namespace {

std::string Trim(const std::string& s)
{
    size_t begin = s.find_first_not_of(" \t\r");
    if (begin == std::string::npos)
        return std::string();
    size_t end = s.find_last_not_of(" \t\r");
    return s.substr(begin, end - begin + 1);
}

bool SameName(const std::string& a, const char* b)
{
    return strcasecmp(a.c_str(), b) == 0 && a.find('\0') == std::string::npos;
}

}  // namespace

std::string IniValue(const std::string& text, const char* section, const char* key)
{
    bool inSection = false;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (!line.empty() && line[0] == '[') {
            size_t close = line.find(']');
            inSection = SameName(Trim(line.substr(1, close == std::string::npos ? std::string::npos
                                                                                : close - 1)),
                                 section);
            continue;
        }
        size_t equals = line.find('=');
        if (!inSection || equals == std::string::npos || !SameName(Trim(line.substr(0, equals)), key))
            continue;
        std::string value = Trim(line.substr(equals + 1));
        if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
            value = value.substr(1, value.size() - 2);
        return value.substr(0, kOemValueMax);
    }
    return std::string();
}

OemNumbers ReadOemNumbers(const std::string& oemText)
{
    OemNumbers numbers;
    numbers.single = IniValue(oemText, "Registration", "RegNumber");
    if (!numbers.single.empty())
        return numbers;
    for (unsigned n = 1;; n++) {
        char key[32];
        std::snprintf(key, sizeof key, "%s%u", "RegNumber", n);
        std::string value = IniValue(oemText, "Registration", key);
        if (value.empty())
            break;
        numbers.list.push_back(value);
    }
    return numbers;
}

NumberEntry SplitNumberEntry(const std::string& entry)
{
    NumberEntry result;
    result.shown = entry.substr(0, kOemValueMax);
    size_t tilde = result.shown.find('~');
    result.dialled = result.shown.substr(0, tilde);
    if (tilde != std::string::npos)
        result.shown[tilde] = ' ';
    return result;
}
