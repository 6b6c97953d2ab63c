// A persona is one real modem model as the simulator plays it: what it
// answers to identification commands, how fast it connects, and its quirks.
#pragma once
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace modemsim {

struct Persona {
    std::string name;                 // the file's stem, e.g. "usr-sportster-288"
    std::string model;                // shown to people, e.g. "USR Sportster V.34 28.8"
    long lineSpeed = 28800;           // bits per second once connected
    std::string connectW1;            // CONNECT text with W1, e.g. "28800/ARQ/V34/LAPM/V42BIS"
    std::map<long, int> connectCodes; // V0 result code of "CONNECT <speed>" for this maker
    int xMax = 4;                     // highest X level the model takes
    int lineMax = 255;                // longest command line, "AT" included
    int factoryMax = 0;               // highest &F profile (USR: &F1 hardware, &F2 software flow control)
    bool fclass2First = false;        // class 2 identification answers ERROR until +FCLASS=2
    bool deaf = false;                // never answers anything
    std::vector<std::string> errorOn; // commands answered with ERROR: "I4" just that one, "I" all of them
    // Identification replies by command key ("I0", "+FMFR?", "+GMI"), one
    // entry per line; an empty vector is a recorded empty reply (just OK).
    std::map<std::string, std::vector<std::string>> replies;
};

struct PersonaLoad {
    Persona persona;
    std::string error;  // "file:line: what" when the text was not a persona
};

// Parses a persona file's text. The name is the persona's identity (the file stem).
PersonaLoad parsePersona(std::string_view name, std::string_view text);

// Loads NAME from DIR/NAME.persona, or the file NAME itself when it names one.
PersonaLoad loadPersona(const std::string& dir, const std::string& name);

// The upper-cased form used for reply keys: "i0" and "I" both give "I0".
std::string commandKey(std::string_view command);
std::string upperCase(std::string_view text);

}  // namespace modemsim
