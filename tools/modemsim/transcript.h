// Every byte each way, with the time it passed, one chunk per line:
//   <seconds since start, 6 decimals> <channel> "<bytes, C-escaped>"
// Channels: dte-in (terminal to modem), dte-out (modem to terminal),
// net-out (to the called host), net-in (from it), and event (what the
// modem did: dial, connect, hang-up, DTR...). Tests read it back.
#pragma once
#include <cstdio>
#include <string>
#include <string_view>

#include "hayes.h"

namespace modemsim {

class Transcript {
public:
    Transcript() = default;
    ~Transcript();
    Transcript(const Transcript&) = delete;
    Transcript& operator=(const Transcript&) = delete;

    bool open(const std::string& path, Micros start);
    void bytes(Micros now, const char* channel, std::string_view data);
    void event(Micros now, const std::string& text);

private:
    std::FILE* file_ = nullptr;
    Micros start_ = 0;
};

}  // namespace modemsim
