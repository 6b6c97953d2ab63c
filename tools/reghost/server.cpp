#include "server.h"

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace reghost {
namespace {

Millis monotonicMillis() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<Millis>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

std::string describePeer(const sockaddr_storage& address) {
  char host[INET6_ADDRSTRLEN] = "?";
  int port = 0;
  if (address.ss_family == AF_INET) {
    auto* in = reinterpret_cast<const sockaddr_in*>(&address);
    inet_ntop(AF_INET, &in->sin_addr, host, sizeof host);
    port = ntohs(in->sin_port);
    return std::string(host) + ":" + std::to_string(port);
  }
  auto* in6 = reinterpret_cast<const sockaddr_in6*>(&address);
  inet_ntop(AF_INET6, &in6->sin6_addr, host, sizeof host);
  port = ntohs(in6->sin6_port);
  return "[" + std::string(host) + "]:" + std::to_string(port);
}

void logLine(const std::string& text) {
  std::fprintf(stderr, "%s %s\n", isoTime(wallClockMillis()).c_str(), text.c_str());
}

// Bytes the peer's TCP has not yet acknowledged. Zero means everything we
// wrote has reached the other end, not merely our own send buffer.
int unacknowledgedBytes(int fd) {
  int pending = 0;
  if (ioctl(fd, SIOCOUTQ, &pending) != 0) return 0;
  return pending;
}

}  // namespace

struct Server::Call {
  Call(int fd, unsigned long id, const SessionConfig& config) : fd(fd), id(id), session(config) {}
  int fd;
  unsigned long id;
  CallInfo info;
  Session session;
  std::string out;
  std::size_t outSent = 0;
  bool writeWatched = false;
  bool waiting = false;  // for commitWaiting()
  long spoken = 0;       // bytes handed to the socket, for the stall
  bool stalled = false;  // some output was held back, and stays so
  Millis startedAt = 0;
};

Server::Server(const SessionConfig& config, RegistrationStore& store, Transcript& transcript)
    : config_(config), store_(store), transcript_(transcript) {
  epollFd_ = epoll_create1(EPOLL_CLOEXEC);
  wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  epoll_event ev{};
  ev.events = EPOLLIN;
  ev.data.fd = wakeFd_;
  epoll_ctl(epollFd_, EPOLL_CTL_ADD, wakeFd_, &ev);
}

Server::~Server() {
  for (auto& entry : calls_) close(entry.first);
  if (listenFd_ >= 0) close(listenFd_);
  close(wakeFd_);
  close(epollFd_);
}

bool Server::listen(const std::string& address, int port, std::string& error) {
  sockaddr_storage storage{};
  socklen_t length = 0;
  auto* in = reinterpret_cast<sockaddr_in*>(&storage);
  auto* in6 = reinterpret_cast<sockaddr_in6*>(&storage);
  if (inet_pton(AF_INET, address.c_str(), &in->sin_addr) == 1) {
    in->sin_family = AF_INET;
    in->sin_port = htons(static_cast<uint16_t>(port));
    length = sizeof *in;
  } else if (inet_pton(AF_INET6, address.c_str(), &in6->sin6_addr) == 1) {
    in6->sin6_family = AF_INET6;
    in6->sin6_port = htons(static_cast<uint16_t>(port));
    length = sizeof *in6;
  } else {
    error = "not a numeric address: " + address;
    return false;
  }
  listenFd_ = socket(storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  int one = 1;
  setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (listenFd_ < 0 || bind(listenFd_, reinterpret_cast<sockaddr*>(&storage), length) != 0 ||
      ::listen(listenFd_, SOMAXCONN) != 0) {
    error = std::string("cannot listen on ") + address + ":" + std::to_string(port) + ": " +
            std::strerror(errno);
    return false;
  }
  getsockname(listenFd_, reinterpret_cast<sockaddr*>(&storage), &length);
  port_ = ntohs(storage.ss_family == AF_INET ? in->sin_port : in6->sin6_port);
  epoll_event ev{};
  ev.events = EPOLLIN;
  ev.data.fd = listenFd_;
  epoll_ctl(epollFd_, EPOLL_CTL_ADD, listenFd_, &ev);
  return true;
}

void Server::stop() {
  std::uint64_t one = 1;
  ssize_t ignored = write(wakeFd_, &one, sizeof one);
  (void)ignored;
}

void Server::run() {
  std::vector<epoll_event> events(128);
  std::vector<int> due;
  for (;;) {
    int n = epoll_wait(epollFd_, events.data(), static_cast<int>(events.size()),
                       waitTimeout(monotonicMillis()));
    if (n < 0 && errno != EINTR) break;
    for (int i = 0; i < n; ++i) {
      int fd = events[i].data.fd;
      if (fd == wakeFd_) {
        commitWaiting();  // their files are acknowledged: keep them
        for (auto& entry : calls_) {
          transcript_.write(entry.second->id, Direction::Event, "host stopped");
          close(entry.first);
          ++counters_.failed;
        }
        calls_.clear();
        return;
      }
      if (fd == listenFd_) {
        acceptCalls();
        continue;
      }
      auto found = calls_.find(fd);
      if (found == calls_.end()) continue;
      if (events[i].events & (EPOLLIN | EPOLLRDHUP | EPOLLHUP | EPOLLERR))
        readFrom(*found->second);
      else
        advance(*found->second);
    }
    commitWaiting();
    // Time limits, and deliveries waiting for the peer's acknowledgement.
    Millis now = monotonicMillis();
    if (acceptPausedUntil_ && now >= acceptPausedUntil_) {
      acceptPausedUntil_ = 0;
      epoll_event ev{};
      ev.events = EPOLLIN;
      ev.data.fd = listenFd_;
      epoll_ctl(epollFd_, EPOLL_CTL_ADD, listenFd_, &ev);
    }
    due.clear();
    for (auto& entry : calls_) {
      const Session& s = entry.second->session;
      if (now >= s.nextDeadline() || s.phase() == Phase::Delivering) due.push_back(entry.first);
    }
    for (int fd : due) {
      auto found = calls_.find(fd);
      if (found == calls_.end()) continue;
      found->second->session.tick(now);
      advance(*found->second);
    }
    commitWaiting();
  }
}

void Server::commitWaiting() {
  if (waitingRows_.empty()) return;
  std::string error;
  bool ok = store_.saveAll(waitingRows_, error);
  waitingRows_.clear();
  std::vector<std::pair<int, unsigned long>> calls;
  calls.swap(waitingCalls_);
  // Always reported: the callers are told nothing and the operator must know.
  if (!ok)
    for (const auto& call : calls) logLine("#" + std::to_string(call.second) + " not stored: " + error);
  Millis now = monotonicMillis();
  for (const auto& [fd, id] : calls) {
    // A caller that hung up after acknowledging the file is stored all the
    // same, as it would have been at once; only its reply has nowhere to go.
    auto found = calls_.find(fd);
    if (found == calls_.end() || found->second->id != id) continue;
    found->second->waiting = false;
    found->second->session.stored(ok, now);
    advance(*found->second);
  }
}

int Server::waitTimeout(Millis now) const {
  Millis wait = acceptPausedUntil_ ? std::max<Millis>(0, acceptPausedUntil_ - now) : 1000;
  for (auto& entry : calls_) {
    const Session& s = entry.second->session;
    // The peer's acknowledgement raises no event; look again shortly.
    if (s.phase() == Phase::Delivering && entry.second->out.size() == entry.second->outSent)
      wait = std::min<Millis>(wait, 1);
    wait = std::min(wait, std::max<Millis>(0, s.nextDeadline() - now));
  }
  return static_cast<int>(wait);
}

void Server::acceptCalls() {
  for (;;) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    int fd = accept4(listenFd_, reinterpret_cast<sockaddr*>(&address), &length,
                     SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
        // The waiting connection stays queued and the listener stays readable:
        // stop listening for a moment instead of spinning on it.
        epoll_ctl(epollFd_, EPOLL_CTL_DEL, listenFd_, nullptr);
        acceptPausedUntil_ = monotonicMillis() + 100;
        if (log_) logLine(std::string("accept: ") + std::strerror(errno) + "; pausing");
      }
      return;  // EAGAIN, or a connection that died in the queue
    }
    if (static_cast<int>(calls_.size()) >= maxCalls_) {
      // A line that rings while every slot is busy is not answered at all.
      close(fd);
      ++counters_.refused;
      if (log_) logLine("refused " + describePeer(address) + ": every slot taken");
      continue;
    }
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    auto call = std::make_unique<Call>(fd, nextCallId_++, config_);
    call->info.peer = describePeer(address);
    call->info.connectedAt = wallClockMillis();
    call->startedAt = monotonicMillis();
    epoll_event ev{};
    ev.events = EPOLLIN | EPOLLRDHUP;
    ev.data.fd = fd;
    epoll_ctl(epollFd_, EPOLL_CTL_ADD, fd, &ev);
    ++counters_.calls;
    Call& ref = *call;
    calls_.emplace(fd, std::move(call));
    transcript_.write(ref.id, Direction::Event, "connected " + ref.info.peer);
    ref.session.start(monotonicMillis());
    advance(ref);
  }
}

void Server::readFrom(Call& call) {
  char buffer[4096];
  for (;;) {
    ssize_t got = recv(call.fd, buffer, sizeof buffer, 0);
    if (got > 0) {
      std::string_view bytes(buffer, static_cast<std::size_t>(got));
      transcript_.write(call.id, Direction::FromCaller, bytes);
      call.session.receive(bytes, monotonicMillis());
      continue;
    }
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    if (got < 0 && errno == EINTR) continue;
    end(call, "caller hung up");
    return;
  }
  advance(call);
}

bool Server::flush(Call& call) {
  while (call.outSent < call.out.size()) {
    ssize_t sent = send(call.fd, call.out.data() + call.outSent, call.out.size() - call.outSent,
                        MSG_NOSIGNAL);
    if (sent > 0) {
      call.outSent += static_cast<std::size_t>(sent);
      continue;
    }
    if (sent < 0 && errno == EINTR) continue;
    if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    return false;
  }
  if (call.outSent == call.out.size()) {
    call.out.clear();
    call.outSent = 0;
  }
  watch(call);
  return true;
}

void Server::watch(Call& call) {
  bool want = call.outSent < call.out.size();
  if (want == call.writeWatched) return;
  epoll_event ev{};
  ev.events = EPOLLIN | EPOLLRDHUP | (want ? EPOLLOUT : 0u);
  ev.data.fd = call.fd;
  epoll_ctl(epollFd_, EPOLL_CTL_MOD, call.fd, &ev);
  call.writeWatched = want;
}

// A stalled call says nothing more, except the acknowledgement of a cancel,
// and never counts its file as delivered.
std::string Server::holdBack(Call& call, std::string more) {
  if (stallAfter_ < 0 || call.session.outcome() == Outcome::Cancelled) return more;
  long room = std::max(0L, stallAfter_ - call.spoken);
  if (static_cast<long>(more.size()) > room) {
    more.resize(static_cast<std::size_t>(room));
    if (!call.stalled) transcript_.write(call.id, Direction::Event, "stalled as told");
    call.stalled = true;
  }
  call.spoken += static_cast<long>(more.size());
  return more;
}

void Server::advance(Call& call) {
  for (;;) {
    std::string more = holdBack(call, call.session.takeOutput());
    if (!more.empty()) {
      transcript_.write(call.id, Direction::ToCaller, more);
      call.out += more;
    }
    if (!flush(call)) {
      end(call, "send failed");
      return;
    }
    Millis now = monotonicMillis();
    switch (call.session.phase()) {
      case Phase::Delivering:
        if (call.out.empty() && !call.stalled && unacknowledgedBytes(call.fd) == 0) {
          call.session.delivered(now);
          continue;
        }
        return;
      case Phase::Storing:
        // Stored by commitWaiting(), which then advances the call again.
        if (call.waiting) return;
        call.waiting = true;
        waitingRows_.push_back({call.session.registration(), call.info});
        waitingCalls_.emplace_back(call.fd, call.id);
        return;
      case Phase::Closed:
        end(call, "closed");
        return;
      default:
        return;
    }
  }
}

void Server::end(Call& call, const char* why) {
  Outcome outcome = call.session.outcome();
  if (outcome == Outcome::Registered)
    ++counters_.registered;
  else
    ++counters_.failed;
  std::string what = describe(outcome);
  // A call that ends before its outcome is settled was hung up on.
  if (outcome == Outcome::InProgress) what = why;
  if (!call.session.detail().empty()) what += ": " + call.session.detail();
  transcript_.write(call.id, Direction::Event, what);
  if (log_)
    logLine("#" + std::to_string(call.id) + " " + call.info.peer + " " + what + " (" +
            std::to_string(monotonicMillis() - call.startedAt) + " ms)");
  int fd = call.fd;
  epoll_ctl(epollFd_, EPOLL_CTL_DEL, fd, nullptr);
  close(fd);
  calls_.erase(fd);  // destroys `call`
}

}  // namespace reghost
