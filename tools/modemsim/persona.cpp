#include "persona.h"

#include <cctype>
#include <fstream>
#include <sstream>

#include "words.h"

namespace modemsim {

std::string upperCase(std::string_view text) {
    std::string out;
    for (char c : text) out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string commandKey(std::string_view command) {
    std::string key = upperCase(command);
    // A basic command without its number means number 0.
    if (key.size() == 1 && std::isalpha(static_cast<unsigned char>(key[0]))) key += '0';
    if (key.size() == 2 && key[0] == '&') key += '0';
    return key;
}

namespace {

bool parseLong(const std::string& s, long& out) {
    if (s.empty()) return false;
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    if (*end != '\0') return false;
    out = v;
    return true;
}

// Applies one line's words to the persona; returns an error text or "".
std::string applyWords(Persona& p, const std::vector<std::string>& w) {
    const std::string& key = w[0];
    auto wantArgs = [&](size_t n) { return w.size() == n + 1; };
    long number = 0;
    if (key == "model" && wantArgs(1)) {
        p.model = w[1];
    } else if (key == "speed" && wantArgs(1) && parseLong(w[1], number) && number > 0) {
        p.lineSpeed = number;
    } else if (key == "connect-w1" && wantArgs(1)) {
        p.connectW1 = w[1];
    } else if (key == "code" && wantArgs(2) && parseLong(w[1], number)) {
        long code = 0;
        if (!parseLong(w[2], code)) return "code wants a speed and a number";
        p.connectCodes[number] = static_cast<int>(code);
    } else if (key == "x-max" && wantArgs(1) && parseLong(w[1], number) && number >= 0 && number <= 9) {
        p.xMax = static_cast<int>(number);
    } else if (key == "line-max" && wantArgs(1) && parseLong(w[1], number) && number >= 4) {
        p.lineMax = static_cast<int>(number);
    } else if (key == "factory-max" && wantArgs(1) && parseLong(w[1], number) && number >= 0 && number <= 9) {
        p.factoryMax = static_cast<int>(number);
    } else if (key == "fclass2-first" && wantArgs(0)) {
        p.fclass2First = true;
    } else if (key == "deaf" && wantArgs(0)) {
        p.deaf = true;
    } else if (key == "error" && w.size() >= 2) {
        for (size_t i = 1; i < w.size(); ++i) p.errorOn.push_back(upperCase(w[i]));
    } else if (key == "reply" && w.size() >= 2) {
        auto& lines = p.replies[commandKey(w[1])];
        lines.insert(lines.end(), w.begin() + 2, w.end());
    } else {
        return "cannot use \"" + key + "\" with " + std::to_string(w.size() - 1) + " argument(s) here";
    }
    return "";
}

}  // namespace

PersonaLoad parsePersona(std::string_view name, std::string_view text) {
    PersonaLoad out;
    out.persona.name = std::string(name);
    out.persona.model = std::string(name);
    WordLinesError err = applyWordLines(
        text, [&](const std::vector<std::string>& words) { return applyWords(out.persona, words); });
    if (err.line) out.error = std::string(name) + ":" + std::to_string(err.line) + ": " + err.text;
    return out;
}

PersonaLoad loadPersona(const std::string& dir, const std::string& name) {
    std::string path = name;
    std::string stem = name;
    if (name.find('/') == std::string::npos) {
        path = dir + "/" + name + ".persona";
    } else {
        size_t slash = name.rfind('/');
        stem = name.substr(slash + 1);
        size_t dot = stem.rfind('.');
        if (dot != std::string::npos) stem.resize(dot);
    }
    std::ifstream f(path, std::ios::binary);
    if (!f) {
        PersonaLoad out;
        out.error = "cannot read persona " + path;
        return out;
    }
    std::stringstream text;
    text << f.rdbuf();
    return parsePersona(stem, text.str());
}

}  // namespace modemsim
