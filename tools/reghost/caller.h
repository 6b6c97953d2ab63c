// The caller's side of a registration, as the wizard library runs it over a
// modem, on a plain blocking TCP socket. The benchmark and the tests use it
// to drive the host.
#pragma once

#include <string>
#include <string_view>

#include "core/record.h"

namespace reghost {

class LineCaller {
 public:
  LineCaller() = default;
  ~LineCaller();
  LineCaller(const LineCaller&) = delete;
  LineCaller& operator=(const LineCaller&) = delete;

  // A small `receiveBuffer` makes a caller that reads slowly, like a modem.
  bool connect(int port, int receiveBuffer = 0);
  void hangUp();
  bool send(std::string_view bytes);

  // Reads until the received bytes hold `text`; consumes through it and
  // leaves what came before it in `skipped` when given.
  bool expect(std::string_view text, int timeoutMs, std::string* skipped = nullptr);
  // Index into `choices` of the first one to appear, -1 on time-out or close.
  int expectAny(const std::string_view* choices, int count, int timeoutMs,
                std::string* skipped = nullptr);
  // Reads until the peer closes; false on time-out.
  bool waitForClose(int timeoutMs);
  // Everything received and not yet consumed.
  std::string& pending() { return pending_; }

 private:
  bool receiveSome(int timeoutMs);

  int fd_ = -1;
  std::string pending_;
};

// The wire form of a product line and a record, as the library sends them.
std::string productLineMessage(std::string_view tag = "KXWIN");
std::string recordMessage(const Fields& fields);
Fields sampleFields(int serial);

enum class CallEnd { Registered, Error, Unknown, NoAnswer };

// A whole call in the library's order of reactions; `file` gets the file
// body as the library would store it.
CallEnd registerOnce(LineCaller& caller, const Fields& fields, std::string* file = nullptr,
                     int promptTimeoutMs = 5000);

}  // namespace reghost
