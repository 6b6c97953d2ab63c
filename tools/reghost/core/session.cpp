#include "session.h"

#include <algorithm>

namespace reghost {

const char* describe(Outcome outcome) {
  switch (outcome) {
    case Outcome::InProgress: return "in progress";
    case Outcome::Registered: return "registered";
    case Outcome::Rejected: return "rejected (ERROR)";
    case Outcome::Unknown: return "unknown product (UNKNOWN)";
    case Outcome::Cancelled: return "cancelled by the caller";
    case Outcome::TimedOut: return "timed out";
    case Outcome::StoreFailed: return "not stored";
  }
  return "?";
}

Session::Session(const SessionConfig& config) : config_(config) {}

void Session::start(Millis now) {
  output_ += kPromptInfo;
  deadline_ = now + config_.limits.replyTimeout;
  nextInfo_ = now + config_.limits.infoRepeat;
}

void Session::receive(std::string_view bytes, Millis now) {
  for (char c : bytes) {
    if (phase_ != Phase::AwaitProduct && phase_ != Phase::AwaitRecord &&
        phase_ != Phase::Delivering)
      return;  // the call's outcome is settled; what the caller sends no longer matters
    if (c == kCan) {
      if (++canRun_ == kCancelRun) {
        acknowledgeCancel(now);
        return;
      }
    } else {
      canRun_ = 0;
    }
    if (phase_ == Phase::Delivering) continue;  // only a cancel counts now
    if (c != '\n') {
      line_ += c;
      // The CR of the line end may still follow the longest record.
      if (line_.size() > kMaxLineLength + 1) {
        detail_ = "line too long";
        finish(Outcome::Rejected, kReplyError, now);
        return;
      }
      continue;
    }
    if (!line_.empty() && line_.back() == '\r') {
      line_.pop_back();
    } else if (config_.strictLineEnds) {
      detail_ = "line ended without CR";
      finish(Outcome::Rejected, kReplyError, now);
      return;
    }
    std::string line;
    line.swap(line_);
    handleLine(line, now);
  }
}

void Session::handleLine(std::string_view line, Millis now) {
  if (line.empty()) return;  // the caller opens each message with CR LF
  if (phase_ == Phase::AwaitProduct)
    handleProductLine(line, now);
  else
    handleRecordLine(line, now);
}

void Session::handleProductLine(std::string_view line, Millis now) {
  if (!config_.refuseWith.empty()) {
    detail_ = "refused as told";
    bool unknown = config_.refuseWith == kReplyUnknown;
    finish(unknown ? Outcome::Unknown : Outcome::Rejected, config_.refuseWith.c_str(), now);
    return;
  }
  ProductLine product;
  switch (parseProductLine(line, product)) {
    case ProductVerdict::Malformed:
      detail_ = "malformed product line";
      finish(Outcome::Rejected, kReplyError, now);
      return;
    case ProductVerdict::Foreign:
      detail_ = "record layout not taken";
      finish(Outcome::Unknown, kReplyUnknown, now);
      return;
    case ProductVerdict::Accepted:
      break;
  }
  if (!isAcceptedTag(product.tag)) {
    detail_ = "product tag not taken";
    finish(Outcome::Unknown, kReplyUnknown, now);
    return;
  }
  registration_.productLine.assign(line);
  registration_.product = product;
  std::string size = kPromptFileSize + (' ' + std::to_string(config_.productFile.size())) + "\r\n";
  output_ += config_.dataFirst ? kPromptData + size : size + kPromptData;
  phase_ = Phase::AwaitRecord;
  deadline_ = now + config_.limits.replyTimeout;
}

void Session::handleRecordLine(std::string_view line, Millis now) {
  // A repeated "Info:" that crossed the first answer on the line is answered
  // a second time; the duplicate product line is not a record.
  if (line == registration_.productLine) return;
  RecordError error = parseRecord(line, registration_.product.tag, registration_.fields);
  if (error != RecordError::None) {
    detail_ = describe(error);
    finish(Outcome::Rejected, kReplyError, now);
    return;
  }
  registration_.recordLine.assign(line);
  output_ += kReplyOk;
  output_ += config_.productFile;
  phase_ = Phase::Delivering;
  deadline_ = now + config_.limits.deliveryTimeout;
}

void Session::acknowledgeCancel(Millis now) {
  line_.clear();
  finish(Outcome::Cancelled, config_.cancelReply.c_str(), now);
}

void Session::finish(Outcome outcome, const char* reply, Millis now) {
  output_ += reply;
  outcome_ = outcome;
  phase_ = Phase::Closing;
  deadline_ = now + config_.limits.linger;
}

void Session::closeNow(Outcome outcome) {
  outcome_ = outcome;
  phase_ = Phase::Closed;
}

void Session::tick(Millis now) {
  switch (phase_) {
    case Phase::AwaitProduct:
      if (now >= deadline_) {
        closeNow(Outcome::TimedOut);
      } else if (config_.limits.infoRepeat > 0 && now >= nextInfo_) {
        // The first prompt can be lost while the caller's modem is still
        // reporting its connection; say it again until an answer comes.
        output_ += kPromptInfo;
        nextInfo_ = now + config_.limits.infoRepeat;
      }
      return;
    case Phase::AwaitRecord:
    case Phase::Delivering:
      if (now >= deadline_) closeNow(Outcome::TimedOut);
      return;
    case Phase::Closing:
      if (now >= deadline_) phase_ = Phase::Closed;
      return;
    case Phase::Storing:
    case Phase::Closed:
      return;
  }
}

void Session::delivered(Millis now) {
  if (phase_ == Phase::Delivering) phase_ = Phase::Storing;
}

void Session::stored(bool ok, Millis now) {
  if (phase_ != Phase::Storing) return;
  if (!ok) {
    // The caller never sees the file end, so it does not count itself
    // registered either; it will time out and may call again.
    closeNow(Outcome::StoreFailed);
    return;
  }
  finish(Outcome::Registered, kFileEnd, now);
}

std::string Session::takeOutput() {
  std::string out;
  out.swap(output_);
  return out;
}

Millis Session::nextDeadline() const {
  if (phase_ == Phase::AwaitProduct && config_.limits.infoRepeat > 0)
    return std::min(deadline_, nextInfo_);
  return deadline_;
}

bool Session::isAcceptedTag(const std::string& tag) const {
  return std::find(config_.acceptedTags.begin(), config_.acceptedTags.end(), tag) !=
         config_.acceptedTags.end();
}

}  // namespace reghost
