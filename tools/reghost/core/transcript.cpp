#include "transcript.h"

#include <chrono>
#include <ctime>

namespace reghost {

std::int64_t wallClockMillis() {
  auto now = std::chrono::system_clock::now().time_since_epoch();
  return std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
}

std::string escapeBytes(std::string_view bytes) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() + 8);
  for (unsigned char c : bytes) {
    switch (c) {
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      default:
        if (c >= 0x20 && c < 0x7F) {
          out += static_cast<char>(c);
        } else {
          out += "\\x";
          out += hex[c >> 4];
          out += hex[c & 15];
        }
    }
  }
  return out;
}

std::string isoTime(std::int64_t unixMillis) {
  std::time_t seconds = static_cast<std::time_t>(unixMillis / 1000);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                static_cast<int>(unixMillis % 1000));
  return text;
}

std::string transcriptLine(std::int64_t unixMillis, unsigned long call, Direction direction,
                           std::string_view bytes) {
  char head[48];
  std::snprintf(head, sizeof head, " #%lu %c \"", call, static_cast<char>(direction));
  return isoTime(unixMillis) + head + escapeBytes(bytes) + "\"\n";
}

Transcript::~Transcript() {
  if (owned_) std::fclose(file_);
}

bool Transcript::open(const std::string& path) {
  if (path == "-") {
    file_ = stdout;
    return true;
  }
  file_ = std::fopen(path.c_str(), "a");
  owned_ = file_ != nullptr;
  return owned_;
}

void Transcript::write(unsigned long call, Direction direction, std::string_view bytes) {
  if (!file_) return;
  std::string line = transcriptLine(wallClockMillis(), call, direction, bytes);
  std::fwrite(line.data(), 1, line.size(), file_);
  // Line-buffered by hand, so a test or a person tailing it sees every chunk.
  std::fflush(file_);
}

}  // namespace reghost
