#include "transcript.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace reghost {

std::int64_t wallClockMillis() {
  auto now = std::chrono::system_clock::now().time_since_epoch();
  return std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
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

bool Transcript::open(const std::string& path) {
  if (path != "-") return file_.open(path, linecommon::TranscriptFile::Mode::Append);
  file_.useStandardOutput();
  return true;
}

void Transcript::write(unsigned long call, Direction direction, std::string_view bytes) {
  if (file_.isOpen()) file_.writeLine(transcriptLine(wallClockMillis(), call, direction, bytes));
}

}  // namespace reghost
