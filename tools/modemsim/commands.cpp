// Execution of one command line (the text between "AT" and CR). Commands run
// left to right; the first one the modem cannot take ends the line with
// ERROR, and what ran before it stays done, as on a real modem.
#include <cctype>
#include <cstdio>

#include "hayes.h"

namespace modemsim {

struct HayesModem::Cursor {
    const std::string& text;
    size_t pos = 0;

    bool atEnd() const { return pos >= text.size(); }
    char peekUpper() const {
        return atEnd() ? '\0' : static_cast<char>(std::toupper(static_cast<unsigned char>(text[pos])));
    }
    char takeUpper() {
        char c = peekUpper();
        if (!atEnd()) ++pos;
        return c;
    }
    // A decimal number; absent digits give fallback. Values are capped so
    // that "S99999999999=1" is simply out of range, not an overflow.
    long number(long fallback, bool* present = nullptr) {
        size_t start = pos;
        long value = 0;
        while (!atEnd() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
            if (value < 100000) value = value * 10 + (text[pos] - '0');
            ++pos;
        }
        if (present) *present = pos > start;
        return pos > start ? value : fallback;
    }
};

void HayesModem::execute(const std::string& line, ModemOutput& out) {
    // Blanks mean nothing to a modem, not even inside a number.
    std::string body;
    for (char c : line)
        if (c != ' ') body += c;
    Cursor cur{body};
    while (!cur.atEnd()) {
        char letter = cur.takeUpper();
        Outcome o;
        if (letter == '&')
            o = ampersandCommand(cur, out);
        else if (letter == '+')
            o = extendedCommand(cur, out);
        else if (letter == 'S')
            o = sRegister(cur, out);
        else if (letter == 'D')
            o = dial(cur, out);
        else
            o = basicCommand(letter, cur, out);
        if (o == Outcome::Error) {
            result(ResultCode::Error, out);
            return;
        }
        if (o == Outcome::Stop) return;
    }
    result(ResultCode::Ok, out);
}

bool HayesModem::refused(const std::string& key, const std::string& name) const {
    for (const auto& e : persona_.errorOn)
        if (e == key || e == name) return true;
    return false;
}

HayesModem::Outcome HayesModem::basicCommand(char letter, Cursor& cur, ModemOutput& out) {
    bool present = false;
    long n = cur.number(0, &present);
    std::string name(1, letter);
    std::string key = name + std::to_string(n);
    if (refused(key, name)) return Outcome::Error;
    auto inRange = [&](long hi) { return n >= 0 && n <= hi; };
    switch (letter) {
        case 'E': if (!inRange(1)) return Outcome::Error; settings_.echo = n; break;
        case 'V': if (!inRange(1)) return Outcome::Error; settings_.verbose = n; break;
        case 'Q': if (!inRange(1)) return Outcome::Error; settings_.quiet = n; break;
        case 'X': if (!inRange(persona_.xMax)) return Outcome::Error; settings_.x = n; break;
        case 'W': if (!inRange(2)) return Outcome::Error; settings_.w = n; break;
        case 'L': if (!inRange(3)) return Outcome::Error; settings_.others["L"] = n; break;
        case 'M': if (!inRange(3)) return Outcome::Error; settings_.others["M"] = n; break;
        case 'B': case 'N': case 'Y':
            if (!inRange(1)) return Outcome::Error;
            settings_.others[name] = n;
            break;
        case 'T': case 'P':
            if (present) return Outcome::Error;
            break;
        case 'I':
            return identify(key, out);
        case 'H':
            if (!inRange(1)) return Outcome::Error;
            if (n == 0) {
                if (callUp() || !heldDial_.empty()) endCall(out);
            }
            break;
        case 'O':
            if (!inRange(1)) return Outcome::Error;
            if (mode_ != Mode::OnlineCommand) {
                result(ResultCode::NoCarrier, out);
                return Outcome::Stop;
            }
            mode_ = Mode::Online;
            connectResult(out);
            return Outcome::Stop;
        case 'A':
            // Nobody is calling the simulator: answering finds no carrier.
            result(ResultCode::NoCarrier, out);
            return Outcome::Stop;
        case 'Z':
            if (!inRange(1)) return Outcome::Error;
            if (callUp() || !heldDial_.empty()) endCall(out);
            settings_ = factorySettings();
            result(ResultCode::Ok, out);
            return Outcome::Stop;  // a reset forgets the rest of its line
        default:
            return Outcome::Error;
    }
    return Outcome::Next;
}

HayesModem::Outcome HayesModem::ampersandCommand(Cursor& cur, ModemOutput& out) {
    char letter = cur.takeUpper();
    if (!std::isalpha(static_cast<unsigned char>(letter))) return Outcome::Error;
    long n = cur.number(0);
    std::string name = std::string("&") + letter;
    if (refused(name + std::to_string(n), name)) return Outcome::Error;
    switch (letter) {
        case 'F':
            // The other profiles differ from &F0 in flow control and error
            // control only, which a simulated line does not have.
            if (n > persona_.factoryMax) return Outcome::Error;
            settings_ = factorySettings();
            return Outcome::Next;
        case 'C':
            if (n > 1) return Outcome::Error;
            settings_.dcdMode = n;
            return Outcome::Next;
        case 'D':
            if (n > 3) return Outcome::Error;
            settings_.dtrMode = n;
            return Outcome::Next;
        case 'V':
            showProfile(out);
            return Outcome::Next;
        case 'W': case 'Y':
            return n <= 1 ? Outcome::Next : Outcome::Error;
        default:
            break;
    }
    // Settings that only matter on a real line (error control, compression,
    // flow control, guard tones...): taken so that the init strings of real
    // modems run, remembered for &V.
    static const std::string taken = "ABGHIKMNQRSTX";
    if (taken.find(letter) == std::string::npos || n > 9) return Outcome::Error;
    settings_.others[name] = n;
    return Outcome::Next;
}

HayesModem::Outcome HayesModem::sRegister(Cursor& cur, ModemOutput& out) {
    bool present = false;
    long reg = cur.number(selectedRegister_, &present);
    if (reg > 255) return Outcome::Error;
    selectedRegister_ = static_cast<int>(reg);
    std::string key = "S" + std::to_string(reg);
    if (refused(key, "S")) return Outcome::Error;
    char c = cur.peekUpper();
    if (c == '?') {
        ++cur.pos;
        char buf[8];
        std::snprintf(buf, sizeof buf, "%03d", settings_.s[reg]);
        info({buf}, out);
    } else if (c == '=') {
        ++cur.pos;
        long value = cur.number(0);
        if (value > 255) return Outcome::Error;
        settings_.s[reg] = static_cast<int>(value);
    } else if (!present) {
        return Outcome::Error;
    }
    return Outcome::Next;
}

HayesModem::Outcome HayesModem::dial(Cursor& cur, ModemOutput& out) {
    std::string piece;
    bool stayInCommandMode = false;
    while (!cur.atEnd()) {
        char c = cur.takeUpper();
        if (c == ';') {
            stayInCommandMode = true;
            break;
        }
        if (c == 'S' && cur.peekUpper() == '=') return Outcome::Error;  // stored numbers: none here
        if (c == 'L' && piece.empty() && heldDial_.empty()) {
            piece = lastDialled_;
            continue;
        }
        piece += c;
    }
    if (refused("D", "D")) return Outcome::Error;
    heldDial_ += piece;
    if (stayInCommandMode) return Outcome::Next;  // "D123;" then "D456" dials 123456

    std::string number = heldDial_;
    heldDial_.clear();
    lastDialled_ = number;
    long pauses = 0;
    for (char c : number)
        if (c == ',') ++pauses;
    out.actions.push_back({Action::Dial, number, pauses * settings_.s[8] * 1000L});
    mode_ = Mode::Dialling;
    return Outcome::Stop;  // the rest of a dial line is not read
}

HayesModem::Outcome HayesModem::extendedCommand(Cursor& cur, ModemOutput& out) {
    std::string name = "+";
    while (!cur.atEnd() && std::isalnum(static_cast<unsigned char>(cur.text[cur.pos]))) name += cur.takeUpper();
    std::string suffix;  // "?", "=?", "=value" or nothing
    while (!cur.atEnd() && cur.text[cur.pos] != ';') suffix += cur.takeUpper();
    if (!cur.atEnd()) ++cur.pos;  // the ';' between extended commands
    std::string key = name + suffix;
    if (name.size() < 2 || refused(key, name)) return Outcome::Error;

    if (name == "+FCLASS") {
        static const char* classes[] = {"0", "1", "1.0", "2", "2.0", "8"};
        if (suffix == "?") {
            info({settings_.fclass}, out);
            return Outcome::Next;
        }
        if (suffix == "=?") {
            info({"0,1,2,8"}, out);
            return Outcome::Next;
        }
        for (const char* c : classes)
            if (suffix == std::string("=") + c) {
                settings_.fclass = c;
                return Outcome::Next;
            }
        return Outcome::Error;
    }
    // Class 2 identification belongs to the fax class on some modems.
    bool faxIdentity = key == "+FMFR?" || key == "+FMDL?" || key == "+FREV?";
    if (faxIdentity && persona_.fclass2First && settings_.fclass[0] != '2') return Outcome::Error;
    return identify(key, out);
}

HayesModem::Outcome HayesModem::identify(const std::string& key, ModemOutput& out) {
    auto reply = persona_.replies.find(key);
    if (reply == persona_.replies.end()) return Outcome::Error;
    info(reply->second, out);
    return Outcome::Next;
}

void HayesModem::showProfile(ModemOutput& out) {
    const Settings& s = settings_;
    std::string flags = "E" + std::to_string(s.echo) + " Q" + std::to_string(s.quiet) +
                        " V" + std::to_string(s.verbose) + " W" + std::to_string(s.w) +
                        " X" + std::to_string(s.x) + " &C" + std::to_string(s.dcdMode) +
                        " &D" + std::to_string(s.dtrMode);
    for (const auto& o : s.others) flags += " " + o.first + std::to_string(o.second);
    std::vector<std::string> lines = {"ACTIVE PROFILE:", flags};
    std::string regs;
    for (int r = 0; r <= 12; ++r) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "S%02d:%03d ", r, s.s[r]);
        regs += buf;
        if (r == 6 || r == 12) {
            regs.pop_back();
            lines.push_back(regs);
            regs.clear();
        }
    }
    info(lines, out);
}

}  // namespace modemsim
