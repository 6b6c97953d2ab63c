// The simulator as a running program for tests, reached through its pty or
// its RFC 2217 port. Every wait has a deadline.
#pragma once
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "../common/child_process.h"

namespace modemsim {

inline double secondsSince(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

// The simulator, started with options; `where` is the first line it prints.
struct SimProcess : ChildProcess {
    explicit SimProcess(std::vector<std::string> args)
        : ChildProcess(QV_MODEMSIM, std::move(args)), where(line()) {
        closeOutput();
    }
    std::string where;  // the pty path or 127.0.0.1:PORT
};

// A file descriptor spoken to with deadlines: a pty opened raw, or a socket.
class Peer {
public:
    Peer() = default;
    explicit Peer(int fd) : fd_(fd) {}
    static Peer openPty(const std::string& path) {
        int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
        if (fd >= 0) {
            termios t{};
            tcgetattr(fd, &t);
            cfmakeraw(&t);
            cfsetspeed(&t, B115200);  // what the modem reports with W0
            tcsetattr(fd, TCSANOW, &t);
        }
        return Peer(fd);
    }
    static Peer connectTcp(int port) {
        int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            close(fd);
            fd = -1;
        }
        return Peer(fd);
    }
    Peer(Peer&& o) noexcept : fd_(o.fd_) { o.fd_ = -1; }
    Peer& operator=(Peer&& o) noexcept {
        std::swap(fd_, o.fd_);
        return *this;
    }
    ~Peer() { closeNow(); }
    void closeNow() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }
    bool ok() const { return fd_ >= 0; }
    void send(const std::string& s) {
        size_t done = 0;
        while (fd_ >= 0 && done < s.size()) {
            ssize_t n = write(fd_, s.data() + done, s.size() - done);
            if (n <= 0) break;
            done += n;
        }
    }
    // Reads until the text seen so far contains needle, or until timeout.
    std::string readUntil(const std::string& needle, int timeoutMs) {
        return readWhile([&](const std::string& got) { return got.find(needle) == std::string::npos; }, timeoutMs);
    }
    std::string readCount(size_t count, int timeoutMs) {
        return readWhile([&](const std::string& got) { return got.size() < count; }, timeoutMs);
    }
    // Everything that arrives within the time.
    std::string readFor(int ms) {
        return readWhile([](const std::string&) { return true; }, ms);
    }

private:
    std::string readWhile(const std::function<bool(const std::string&)>& more, int timeoutMs) {
        std::string got;
        auto start = std::chrono::steady_clock::now();
        while (fd_ >= 0 && more(got)) {
            int left = timeoutMs - static_cast<int>(secondsSince(start) * 1000);
            if (left <= 0) break;
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, left) <= 0) break;
            char buf[4096];
            ssize_t n = read(fd_, buf, sizeof buf);
            if (n <= 0) break;
            got.append(buf, n);
        }
        return got;
    }
    int fd_ = -1;
};

// A host on 127.0.0.1 that takes one call and hands it to a function on
// its own thread.
class TinyHost {
public:
    explicit TinyHost(std::function<void(Peer&)> onCall) {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        listen(listener_, 1);
        socklen_t len = sizeof a;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this, onCall] {
            pollfd p{listener_, POLLIN, 0};
            if (poll(&p, 1, 10000) <= 0) return;
            Peer call(accept(listener_, nullptr, nullptr));
            onCall(call);
        });
    }
    ~TinyHost() {
        thread_.join();
        close(listener_);
    }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }

private:
    int listener_ = -1;
    int port_ = 0;
    std::thread thread_;
};

}  // namespace modemsim
