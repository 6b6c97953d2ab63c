#include "caller.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "core/wire.h"

namespace reghost {
namespace {

long long nowMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

}  // namespace

LineCaller::~LineCaller() { hangUp(); }

bool LineCaller::connect(int port, int receiveBuffer) {
  hangUp();
  fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (receiveBuffer > 0)
    setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    hangUp();
    return false;
  }
  int one = 1;
  setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return true;
}

void LineCaller::hangUp() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  pending_.clear();
}

bool LineCaller::send(std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

bool LineCaller::receiveSome(int timeoutMs) {
  pollfd p{fd_, POLLIN, 0};
  if (poll(&p, 1, timeoutMs) <= 0) return false;
  char buffer[4096];
  ssize_t got = recv(fd_, buffer, sizeof buffer, 0);
  if (got <= 0) return false;
  pending_.append(buffer, static_cast<std::size_t>(got));
  return true;
}

bool LineCaller::expect(std::string_view text, int timeoutMs, std::string* skipped) {
  return expectAny(&text, 1, timeoutMs, skipped) == 0;
}

int LineCaller::expectAny(const std::string_view* choices, int count, int timeoutMs,
                          std::string* skipped) {
  long long deadline = nowMs() + timeoutMs;
  for (;;) {
    // The earliest match in the stream wins, as in the library's matcher.
    std::size_t best = std::string::npos;
    int which = -1;
    for (int i = 0; i < count; ++i) {
      std::size_t at = pending_.find(choices[i]);
      if (at < best) {
        best = at;
        which = i;
      }
    }
    if (which >= 0) {
      if (skipped) skipped->assign(pending_, 0, best);
      pending_.erase(0, best + choices[which].size());
      return which;
    }
    long long left = deadline - nowMs();
    if (left <= 0 || !receiveSome(static_cast<int>(left))) return -1;
  }
}

bool LineCaller::waitForClose(int timeoutMs) {
  long long deadline = nowMs() + timeoutMs;
  for (;;) {
    long long left = deadline - nowMs();
    if (left <= 0) return false;
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left)) <= 0) return false;
    char buffer[4096];
    ssize_t got = recv(fd_, buffer, sizeof buffer, 0);
    if (got <= 0) return true;
    pending_.append(buffer, static_cast<std::size_t>(got));
  }
}

std::string productLineMessage(std::string_view tag) {
  return "\r\n" + std::string(tag) + "\t32\t" + kRecordFormat + "\r\n";
}

std::string recordMessage(const Fields& fields) {
  std::string out = "\r\n" + fields[0];
  for (int i = 1; i < kFieldCount; ++i) out += "\t" + fields[i];
  return out + "\r\n";
}

Fields sampleFields(int serial) {
  Fields f;
  f[0] = "Ann";
  f[1] = "Lee " + std::to_string(serial);
  f[2] = "Lee Fabrication";
  f[3] = "12 Quarry Road";
  f[5] = "Boulder";
  f[6] = "CO";
  f[7] = "80301";
  f[8] = "U.S.A.";
  f[9] = "ann@example.com";
  f[11] = "(303) 555-1234";
  f[12] = "(303) 555-1235";
  f[14] = "KXWIN";
  f[15] = "1.0.0";
  f[16] = "Hayes Optima 288";
  f[17] = "QVCO";
  f[18] = "CPU:???";
  f[19] = "U";
  f[20] = "R,M";
  f[22] = "R";
  f[23] = "P,T";
  f[30] = "Win 95";
  f[31] = "COM2";
  return f;
}

CallEnd registerOnce(LineCaller& caller, const Fields& fields, std::string* file,
                     int promptTimeoutMs) {
  static const std::string_view prompts[] = {kPromptInfo, kPromptData, kPromptFileSize,
                                             kReplyOk,    kReplyError, kReplyUnknown};
  for (;;) {
    switch (caller.expectAny(prompts, 6, promptTimeoutMs)) {
      case 0:
        caller.send(productLineMessage());
        break;
      case 1:
        caller.send(recordMessage(fields));
        break;
      case 2:
        if (!caller.expect("\r\n", promptTimeoutMs)) return CallEnd::NoAnswer;
        break;
      case 3:
        return caller.expect(kFileEnd, promptTimeoutMs, file) ? CallEnd::Registered
                                                              : CallEnd::NoAnswer;
      case 4:
        return CallEnd::Error;
      case 5:
        return CallEnd::Unknown;
      default:
        return CallEnd::NoAnswer;
    }
  }
}

}  // namespace reghost
