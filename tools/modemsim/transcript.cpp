#include "transcript.h"

#include <chrono>

#include "words.h"

namespace modemsim {

Micros monotonicMicros() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

Transcript::~Transcript() {
    if (file_) std::fclose(file_);
}

bool Transcript::open(const std::string& path, Micros start) {
    start_ = start;
    file_ = std::fopen(path.c_str(), "w");
    return file_ != nullptr;
}

void Transcript::bytes(const char* channel, std::string_view data) {
    if (!file_ || data.empty()) return;
    Micros t = monotonicMicros() - start_;
    std::fprintf(file_, "%lld.%06lld %s \"%s\"\n", static_cast<long long>(t / 1000000),
                 static_cast<long long>(t % 1000000), channel, escapeBytes(data).c_str());
    // Flushed at once: tests read the file while the simulator runs.
    std::fflush(file_);
}

void Transcript::event(const std::string& text) { bytes("event", text); }

}  // namespace modemsim
