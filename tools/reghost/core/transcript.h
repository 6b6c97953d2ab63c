// The transcript: one line per chunk of bytes that crossed the line, with
// its time, call number and direction, bytes escaped so the file stays text.
//
//   2026-12-05T15:04:05.123Z #12 > "\r\nInfo:"
//   2026-12-05T15:04:05.131Z #12 < "\r\nKXWIN\t32\tSF\r\n"
//   2026-12-05T15:04:05.140Z #12 * "registered"
//
// ">" is host to caller, "<" caller to host, "*" an event of the host.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "escaped_bytes.h"
#include "transcript_file.h"

namespace reghost {

enum class Direction : char { ToCaller = '>', FromCaller = '<', Event = '*' };

// Wall-clock time in milliseconds since 1970 (UTC), the time of transcripts,
// logs and stored rows.
std::int64_t wallClockMillis();
// ISO 8601 UTC with milliseconds: 2026-12-05T15:04:05.123Z.
std::string isoTime(std::int64_t unixMillis);

// C-style escapes, hex digits in upper case: \r \n \t \\ \" and \xNN for
// other bytes outside 0x20-0x7E.
inline std::string escapeBytes(std::string_view bytes) {
  return linecommon::escapeBytes(bytes, linecommon::HexDigits::Upper);
}

// `unixMillis` is wall-clock time in milliseconds since 1970 (UTC).
std::string transcriptLine(std::int64_t unixMillis, unsigned long call, Direction direction,
                           std::string_view bytes);

class Transcript {
 public:
  // "-" writes to standard output. False when the file cannot be opened.
  bool open(const std::string& path);
  bool enabled() const { return file_.isOpen(); }
  void write(unsigned long call, Direction direction, std::string_view bytes);

 private:
  linecommon::TranscriptFile file_;
};

}  // namespace reghost
