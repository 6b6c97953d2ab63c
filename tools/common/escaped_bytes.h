// Byte strings written for people: printable ASCII as is, everything else as
// a C escape (\r \n \t \\ \" and \xHH), so a transcript or a failure message
// stays one line of text whatever crossed the line.
#pragma once
#include <string>
#include <string_view>

namespace linecommon {

// The case of the hex digits in \xHH; each tool keeps the one its readers
// (people, scripts, tests) already expect.
enum class HexDigits { Lower, Upper };

std::string escapeBytes(std::string_view bytes, HexDigits digits);

}  // namespace linecommon
