#include "phonebook.h"

#include <cstdlib>

#include "words.h"

namespace modemsim {

namespace {

bool splitHostPort(const std::string& word, PhoneEntry& e) {
    size_t colon = word.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == word.size()) return false;
    e.host = word.substr(0, colon);
    e.port = word.substr(colon + 1);
    return e.port.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

std::string PhoneBook::add(const std::vector<std::string>& words) {
    if (words.size() < 2) return "an entry needs a number and an outcome";
    PhoneEntry e;
    if (words[0] != "*") {
        e.digits = dialDigits(words[0]);
        if (e.digits.empty()) return "\"" + words[0] + "\" has no digits";
    }
    const std::string& what = words[1];
    size_t i = 2;
    if (what == "busy") e.outcome = CallOutcome::Busy;
    else if (what == "nodialtone") e.outcome = CallOutcome::NoDialTone;
    else if (what == "noanswer") e.outcome = CallOutcome::NoAnswer;
    else if (what == "nocarrier") e.outcome = CallOutcome::NoCarrier;
    else if (what == "connect") e.outcome = CallOutcome::Connect;
    else if (splitHostPort(what, e)) e.outcome = CallOutcome::Connect;
    else return "unknown outcome \"" + what + "\"";
    if (e.outcome == CallOutcome::Connect && e.host.empty()) {
        if (i >= words.size() || !splitHostPort(words[i], e)) return "connect needs HOST:PORT";
        ++i;
    }
    for (; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (w.rfind("delay=", 0) != 0) return "unexpected \"" + w + "\"";
        char* end = nullptr;
        e.delayMs = std::strtol(w.c_str() + 6, &end, 10);
        if (*end != '\0' || e.delayMs < 0 || e.delayMs > 86400000) return "bad delay \"" + w + "\"";
    }
    entries_.push_back(e);
    return "";
}

std::string PhoneBook::addText(std::string_view text) {
    WordLinesError err =
        applyWordLines(text, [this](const std::vector<std::string>& words) { return add(words); });
    return err.line ? "line " + std::to_string(err.line) + ": " + err.text : "";
}

const PhoneEntry* PhoneBook::lookup(std::string_view dialString) const {
    std::string dialled = dialDigits(dialString);
    const PhoneEntry* best = nullptr;
    const PhoneEntry* fallback = nullptr;
    for (const auto& e : entries_) {
        if (e.digits.empty()) {
            if (!fallback) fallback = &e;
            continue;
        }
        bool endsWith = dialled.size() >= e.digits.size() &&
                        dialled.compare(dialled.size() - e.digits.size(), e.digits.size(), e.digits) == 0;
        if (endsWith && (!best || e.digits.size() > best->digits.size())) best = &e;
    }
    return best ? best : fallback;
}

}  // namespace modemsim
