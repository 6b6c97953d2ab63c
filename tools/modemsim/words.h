// Splitting the lines of the simulator's data files (personas, phone books)
// into words: bare words end at blanks, quoted words keep every byte between
// the quotes (so trailing blanks of a real modem's reply survive) and take
// C escapes. A '#' outside quotes starts a comment.
#pragma once
#include <functional>
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

// A whole data file: each line's words (blank and comment lines skipped) go
// to `apply`, which answers an error text or "". Stops at the first error.
struct WordLinesError {
    int line = 0;       // 1-based; 0 when every line was taken
    std::string text;
};
WordLinesError applyWordLines(
    std::string_view text, const std::function<std::string(const std::vector<std::string>&)>& apply);

// Byte strings written for people, hex digits in lower case. Used by
// transcripts and test failure messages.
inline std::string escapeBytes(std::string_view bytes) {
    return linecommon::escapeBytes(bytes, linecommon::HexDigits::Lower);
}

// Only the digits of a dial string: "1-800-555-0199" gives "18005550199".
std::string dialDigits(std::string_view number);

}  // namespace modemsim
