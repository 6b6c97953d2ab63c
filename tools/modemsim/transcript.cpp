#include "transcript.h"

#include <chrono>
#include <cstdio>

#include "words.h"

namespace modemsim {

Micros monotonicMicros() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

bool Transcript::open(const std::string& path, Micros start) {
    start_ = start;
    return file_.open(path, linecommon::TranscriptFile::Mode::Truncate);
}

void Transcript::bytes(const char* channel, std::string_view data) {
    if (!file_.isOpen() || data.empty()) return;
    Micros t = monotonicMicros() - start_;
    char stamp[48];
    std::snprintf(stamp, sizeof stamp, "%lld.%06lld ", static_cast<long long>(t / 1000000),
                  static_cast<long long>(t % 1000000));
    file_.writeLine(stamp + std::string(channel) + " \"" + escapeBytes(data) + "\"\n");
}

void Transcript::event(const std::string& text) { bytes("event", text); }

}  // namespace modemsim
