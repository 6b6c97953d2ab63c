// Splitting the lines of the simulator's data files (personas, phone books)
// into words: bare words end at blanks, quoted words keep every byte between
// the quotes (so trailing blanks of a real modem's reply survive) and take
// C escapes. A '#' outside quotes starts a comment.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "escaped_bytes.h"

namespace modemsim {

struct LineWords {
    std::vector<std::string> words;
    std::string error;  // empty when the line was well formed
};

LineWords splitWords(std::string_view line);

// Byte strings written for people, hex digits in lower case. Used by
// transcripts and test failure messages.
inline std::string escapeBytes(std::string_view bytes) {
    return linecommon::escapeBytes(bytes, linecommon::HexDigits::Lower);
}

// Only the digits of a dial string: "1-800-555-0199" gives "18005550199".
std::string dialDigits(std::string_view number);

}  // namespace modemsim
