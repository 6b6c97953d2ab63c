// The host's network side: one thread, one epoll loop, any number of calls
// at once. Each connection carries one `Session`; the loop only moves bytes,
// keeps the clock and stores what a session hands over.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "core/session.h"
#include "core/transcript.h"
#include "store.h"

namespace reghost {

struct ServerCounters {
  std::atomic<unsigned long> calls{0};
  std::atomic<unsigned long> registered{0};
  std::atomic<unsigned long> failed{0};   // every other end, hang-ups included
  std::atomic<unsigned long> refused{0};  // turned away because every slot was taken
};

class Server {
 public:
  Server(const SessionConfig& config, RegistrationStore& store, Transcript& transcript);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Port 0 takes any free port; `port()` tells which.
  bool listen(const std::string& address, int port, std::string& error);
  int port() const { return port_; }
  void setMaxCalls(int maxCalls) { maxCalls_ = maxCalls; }
  void setLog(bool enabled) { log_ = enabled; }
  // For callers' tests: each call falls silent after this many bytes of its
  // own (0: it never speaks); it still listens and acknowledges a cancel.
  // Negative: never.
  void setStallAfter(long bytes) { stallAfter_ = bytes; }

  // Serves until `stop()`. Calls still running then are dropped, unstored.
  void run();
  // Safe from another thread and from a signal handler.
  void stop();

  const ServerCounters& counters() const { return counters_; }

 private:
  struct Call;

  void acceptCalls();
  void readFrom(Call& call);
  void advance(Call& call);
  bool flush(Call& call);
  void end(Call& call, const char* why);
  int waitTimeout(Millis now) const;
  void watch(Call& call);
  void commitWaiting();
  std::string holdBack(Call& call, std::string more);

  const SessionConfig& config_;
  RegistrationStore& store_;
  Transcript& transcript_;
  int listenFd_ = -1;
  int wakeFd_ = -1;
  int epollFd_ = -1;
  int port_ = 0;
  int maxCalls_ = 256;
  Millis acceptPausedUntil_ = 0;  // while out of descriptors
  bool log_ = true;
  long stallAfter_ = -1;
  unsigned long nextCallId_ = 1;
  std::unordered_map<int, std::unique_ptr<Call>> calls_;
  // Calls whose file the caller has acknowledged, waiting to be stored
  // together at the end of the loop's turn: one commit, one wait for the
  // disk, for every call that got there meanwhile.
  std::vector<RegistrationStore::Row> waitingRows_;
  std::vector<std::pair<int, unsigned long>> waitingCalls_;  // fd, call id
  ServerCounters counters_;
};

}  // namespace reghost
