// What happens when the simulated modem dials a number.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "hayes.h"

namespace modemsim {

struct PhoneEntry {
    std::string digits;       // the number's digits only; empty for the "*" fallback
    CallOutcome outcome = CallOutcome::NoCarrier;
    std::string host;         // Connect: where the call goes
    std::string port;
    long delayMs = -1;        // time until the outcome; -1: the outcome's usual time
};

class PhoneBook {
public:
    // One entry: NUMBER OUTCOME [HOST:PORT] [delay=MS], where OUTCOME is
    // busy, nodialtone, noanswer, nocarrier, or connect (which needs HOST:PORT).
    // A HOST:PORT alone stands for "connect HOST:PORT". Returns "" or an error.
    std::string add(const std::vector<std::string>& words);
    std::string addText(std::string_view text);  // a whole phone book file

    // The entry for a dial string. Prefixes dialled before the number (an
    // outside line's 9, a long-distance 1) do not matter: the longest entry
    // that ends the dialled digits wins. Null when nothing fits.
    const PhoneEntry* lookup(std::string_view dialString) const;

private:
    std::vector<PhoneEntry> entries_;
};

}  // namespace modemsim
