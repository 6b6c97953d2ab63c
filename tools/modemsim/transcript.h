// Every byte each way, with the time it passed, one chunk per line:
//   <seconds since start, 6 decimals> <channel> "<bytes, C-escaped>"
// Channels: dte-in (terminal to modem), dte-out (modem to terminal),
// net-out (to the called host), net-in (from it), and event (what the
// modem did: dial, connect, hang-up, DTR...). Tests read it back.
#pragma once
#include <string>
#include <string_view>

#include "hayes.h"
#include "transcript_file.h"

namespace modemsim {

Micros monotonicMicros();

class Transcript {
public:
    bool open(const std::string& path, Micros start);
    // Stamped with the time of writing, not of the loop's pass: the gap
    // between a command's dte-in and its reply's dte-out is the modem's own.
    void bytes(const char* channel, std::string_view data);
    void event(const std::string& text);

private:
    linecommon::TranscriptFile file_;
    Micros start_ = 0;
};

}  // namespace modemsim
