// The registration telephone numbers of OEM.CFG, section [Registration]:
// either one number under "RegNumber", or a list under RegNumber1,
// RegNumber2, ... up to the first missing key. A list entry may carry a
// description after a tilde ("1-800-555-0100~Toll free"). Portable: the
// dial page reads the file and hands its text here.
#ifndef QVWIZ_OEM_NUMBERS_H
#define QVWIZ_OEM_NUMBERS_H

#include <string>
#include <vector>

// Values are cut to 63 characters, as the page's 64-byte buffers hold.
const size_t kOemValueMax = 63;

struct OemNumbers {
    std::string single;                 // "RegNumber", when set
    std::vector<std::string> list;      // RegNumber1.., when single is empty
};

// The value of key in section of an INI text, as the system's profile
// reader gives it: names without regard to case, blanks around the value
// removed, one pair of enclosing quotes dropped; the first of repeated
// keys counts. Empty when absent.
std::string IniValue(const std::string& text, const char* section, const char* key);

OemNumbers ReadOemNumbers(const std::string& oemText);

// A list entry as the drop-down shows it (the first tilde a space) and as
// it is dialled (up to that tilde).
struct NumberEntry {
    std::string shown;
    std::string dialled;
};
NumberEntry SplitNumberEntry(const std::string& entry);

#endif
