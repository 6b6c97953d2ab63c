// One registration call as the host runs it, apart from any socket: bytes in,
// bytes out, the clock passed in by whoever drives it.
//
//   connect ─> "\r\nInfo:" ─> product line ─> "\r\nFileSize: N\r\n\r\nData:"
//     ─> record ─> "\r\nOK\r\n" + file body ─> (body delivered) ─> store
//     ─> three SUB ─> linger until the caller hangs up
//
// The three SUB bytes that end the file are the caller's proof of success, so
// they go out only after the registration has been stored; a call that ends
// earlier, in any way, leaves nothing stored and no success at the caller.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "record.h"

namespace reghost {

using Millis = std::int64_t;

struct SessionLimits {
  Millis replyTimeout = 30000;     // for the product line and for the record
  Millis infoRepeat = 5000;        // re-send "Info:" while no product line came; 0: never
  Millis deliveryTimeout = 40000;  // for the file body to reach the caller
  Millis linger = 10000;           // after the last byte, for the caller to hang up
};

struct SessionConfig {
  SessionLimits limits;
  std::vector<std::string> acceptedTags{"KXWIN"};
  std::string productFile;  // body of the file sent after OK, without its end
  // For callers' tests: answer every product line with this reply
  // (kReplyError or kReplyUnknown) instead of judging it; empty: judge it.
  std::string refuseWith;
  // A caller's line must end with CR LF; one ended by LF alone is malformed.
  bool strictLineEnds = false;
  // For callers' tests: "Data:" goes out before "FileSize:".
  bool dataFirst = false;
  // What answers the caller's cancel: the three SUB bytes, or for callers'
  // tests ERROR, or nothing at all (the host stays silent).
  std::string cancelReply = "\x1a\x1a\x1a";
};

enum class Phase {
  AwaitProduct,  // "Info:" sent
  AwaitRecord,   // "FileSize:" and "Data:" sent
  Delivering,    // OK and the file body queued; waiting to hear it has left
  Storing,       // body delivered; the driver stores `registration()` now
  Closing,       // last bytes queued; waiting for the caller to hang up
  Closed,        // the driver closes the connection
};

enum class Outcome {
  InProgress,
  Registered,
  Rejected,      // malformed product line or record: ERROR sent
  Unknown,       // product not accepted: UNKNOWN sent
  Cancelled,     // the caller's cancel, acknowledged
  TimedOut,
  StoreFailed,
};

const char* describe(Outcome outcome);

struct Registration {
  std::string productLine;  // as received, without CR LF
  ProductLine product;
  std::string recordLine;   // as received, without CR LF
  Fields fields;
};

class Session {
 public:
  explicit Session(const SessionConfig& config);

  void start(Millis now);
  void receive(std::string_view bytes, Millis now);
  // Enforces the time limits; call at or after `nextDeadline()`.
  void tick(Millis now);
  // Everything queued so far has reached the caller.
  void delivered(Millis now);
  // Result of storing `registration()` while in Phase::Storing.
  void stored(bool ok, Millis now);

  // Bytes to send, in order; taking them empties the queue.
  std::string takeOutput();
  bool hasOutput() const { return !output_.empty(); }

  Phase phase() const { return phase_; }
  Outcome outcome() const { return outcome_; }
  // Why the call was rejected, for the log; empty otherwise.
  const std::string& detail() const { return detail_; }
  const Registration& registration() const { return registration_; }
  Millis nextDeadline() const;

 private:
  void handleLine(std::string_view line, Millis now);
  void handleProductLine(std::string_view line, Millis now);
  void handleRecordLine(std::string_view line, Millis now);
  void acknowledgeCancel(Millis now);
  void finish(Outcome outcome, const char* reply, Millis now);
  void closeNow(Outcome outcome);
  bool isAcceptedTag(const std::string& tag) const;

  const SessionConfig& config_;
  Phase phase_ = Phase::AwaitProduct;
  Outcome outcome_ = Outcome::InProgress;
  std::string output_;
  std::string line_;
  int canRun_ = 0;
  Millis deadline_ = 0;
  Millis nextInfo_ = 0;
  Registration registration_;
  std::string detail_;
};

}  // namespace reghost
