// Data mode bytes released no faster than the connection carries them:
// a line of N bits per second moves N/10 bytes per second (start and stop
// bits included), so throughput measured through the simulator is honest.
#pragma once
#include <string>

#include "hayes.h"

namespace modemsim {

class Pacer {
public:
    void setSpeed(long bitsPerSecond) { microsPerByte_ = 1e7 / bitsPerSecond; }
    void push(std::string_view bytes, Micros now) {
        // An idle line saves up no credit: the first byte after a pause
        // starts the clock again.
        if (queue_.empty() && nextFree_ < now) nextFree_ = now;
        queue_ += bytes;
    }
    void clear() { queue_.clear(); }
    bool empty() const { return queue_.empty(); }
    size_t size() const { return queue_.size(); }

    // The bytes whose time has come, at most limit of them.
    std::string take(Micros now, size_t limit = std::string::npos) {
        if (queue_.empty()) return "";
        if (nextFree_ > now) return "";
        size_t n = static_cast<size_t>((now - nextFree_) / microsPerByte_) + 1;
        if (n > queue_.size()) n = queue_.size();
        if (n > limit) n = limit;
        nextFree_ += n * microsPerByte_;
        std::string out = queue_.substr(0, n);
        queue_.erase(0, n);
        return out;
    }
    // When the next byte may go; kNoDeadline when nothing waits.
    Micros readyAt(Micros now) const {
        if (queue_.empty()) return kNoDeadline;
        return nextFree_ > now ? static_cast<Micros>(nextFree_) + 1 : now;
    }

private:
    double microsPerByte_ = 1e7 / 28800;
    double nextFree_ = 0;
    std::string queue_;
};

}  // namespace modemsim
