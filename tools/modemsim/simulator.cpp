#include "simulator.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace modemsim {

namespace {
// Host data is read from the host only as the line carries it on (512 bytes
// ahead: less lets the line run dry while the host's TCP waits to hear the
// window open again), and the socket's own buffer is kept to the least the
// kernel allows (about 1.1 KB of data), so that what the host's TCP sees
// acknowledged has nearly all reached the terminal, as through a modem's
// small buffer. The host counts a call registered once its file is
// acknowledged.
constexpr size_t kTerminalBacklog = 512;

const char* outcomeName(CallOutcome o) {
    switch (o) {
        case CallOutcome::Connect: return "connect";
        case CallOutcome::Busy: return "busy";
        case CallOutcome::NoDialTone: return "nodialtone";
        case CallOutcome::NoAnswer: return "noanswer";
        case CallOutcome::NoCarrier: return "nocarrier";
    }
    return "?";
}

Micros earliest(Micros a, Micros b) {
    if (a == kNoDeadline) return b;
    if (b == kNoDeadline) return a;
    return std::min(a, b);
}
}  // namespace

Simulator::Simulator(HayesModem& modem, const PhoneBook& book, SerialLine& line, Transcript& transcript,
                     const SimulatorConfig& config, const Faults& faults)
    : modem_(modem), book_(book), line_(line), transcript_(transcript), config_(config), faults_(faults) {
    if (config_.dteSpeed > 0) modem_.setDteSpeed(config_.dteSpeed);
    std::sort(faults_.noise.begin(), faults_.noise.end(),
              [](const Faults::Noise& a, const Faults::Noise& b) { return a.afterBytes < b.afterBytes; });
}

Simulator::~Simulator() { closeHost(); }

void Simulator::run(const volatile std::sig_atomic_t* stop) {
    std::vector<pollfd> fds;
    while (!*stop) {
        Micros now = monotonicMicros();
        step(now);
        fds.clear();
        Micros wake = wakeAt(now);
        line_.addPollFds(fds, now, wake);
        hostIndex_ = fds.size();
        // A host that has closed stays in hand until its last bytes are
        // delivered, but is not polled: it would report its hang-up forever.
        if (host_ >= 0 && !hostClosed_) {
            short events = 0;
            if (hostConnecting_ || !hostPending_.empty()) events |= POLLOUT;
            if (!hostConnecting_ && toTerminal_.size() < kTerminalBacklog) events |= POLLIN;
            fds.push_back({host_, events, 0});
        }
        int timeoutMs = 1000;
        if (wake != kNoDeadline) timeoutMs = static_cast<int>(std::clamp<Micros>((wake - now + 999) / 1000, 0, 1000));
        if (poll(fds.data(), fds.size(), timeoutMs) < 0 && errno != EINTR) break;
        now = monotonicMicros();
        serviceLine(fds, now);
        serviceHost(fds, now);
    }
}

Micros Simulator::wakeAt(Micros now) const {
    Micros at = modem_.nextDeadline();
    if (modem_.mode() == Mode::Dialling) at = earliest(at, hostConnecting_ ? connectDeadline_ : outcomeAt_);
    if (modem_.mode() == Mode::Online) at = earliest(at, toTerminal_.readyAt(now));
    at = earliest(at, toHost_.readyAt(now));
    if (hostClosed_) at = earliest(at, now + 1000);
    return at;
}

void Simulator::step(Micros now) {
    ModemOutput out;
    modem_.tick(now, out);
    handle(out, now);
    if (modem_.mode() == Mode::Dialling && outcomeAt_ != kNoDeadline && now >= outcomeAt_) {
        if (pendingOutcome_ != CallOutcome::Connect)
            finishDial(pendingOutcome_, now);
        else if (host_ >= 0 && !hostConnecting_)
            finishDial(CallOutcome::Connect, now);
        else if (host_ < 0 || now >= connectDeadline_)
            finishDial(CallOutcome::NoCarrier, now);
    }
    deliverToTerminal(now);
    deliverToHost(now);
    // The host's last bytes reach the terminal before the carrier goes.
    if (hostClosed_ && modem_.callUp() && (toTerminal_.empty() || modem_.mode() != Mode::Online))
        loseCarrier(now, "host closed the connection");
}

void Simulator::serviceLine(const std::vector<pollfd>& fds, Micros now) {
    std::string data;
    std::vector<LineEvent> events;
    line_.service(fds, data, events);
    ModemOutput out;
    // A terminal that has just opened the port is there before its first byte.
    for (const auto& e : events)
        if (e.kind == LineEvent::Attached) transcript_.event("terminal opened the port");
    if (!data.empty()) {
        transcript_.bytes("dte-in", data);
        modem_.receive(data, now, out);
        handle(out, now);
    }
    for (const auto& e : events) {
        switch (e.kind) {
            case LineEvent::Attached:
                break;
            case LineEvent::Detached:
                transcript_.event("terminal closed the port");
                modem_.terminalGone(now, out);
                break;
            case LineEvent::Dtr:
                transcript_.event(e.value ? "DTR on" : "DTR off");
                modem_.dtrChanged(e.value != 0, now, out);
                break;
            case LineEvent::Baud:
                transcript_.event("terminal speed " + std::to_string(e.value));
                if (config_.dteSpeed == 0) modem_.setDteSpeed(e.value);
                break;
            case LineEvent::PurgeToTerminal:
                transcript_.event("purge to terminal");
                toTerminal_.clear();
                break;
            case LineEvent::PurgeFromTerminal:
                transcript_.event("purge from terminal");
                toHost_.clear();
                break;
        }
        handle(out, now);
    }
}

void Simulator::handle(ModemOutput& out, Micros now) {
    // Carrier detect changes before the result that tells of it, as on a modem.
    line_.setCarrier(modem_.carrierDetect());
    if (!out.toDte.empty()) {
        transcript_.bytes("dte-out", out.toDte);
        line_.write(out.toDte);
    }
    if (!out.toRemote.empty() && host_ >= 0) toHost_.push(out.toRemote, now);
    std::vector<Action> actions;
    actions.swap(out.actions);
    out.toDte.clear();
    out.toRemote.clear();
    for (const auto& a : actions) {
        if (a.kind == Action::Dial)
            startDial(a, now);
        else
            hangUp(now);
    }
}

void Simulator::startDial(const Action& a, Micros now) {
    const PhoneEntry* entry = book_.lookup(a.number);
    closeHost();
    toTerminal_.clear();
    toHost_.clear();
    long speed = modem_.persona().lineSpeed;
    toTerminal_.setSpeed(speed);
    toHost_.setSpeed(speed);
    dataBytes_ = 0;
    deliveredToTerminal_ = 0;
    nextNoise_ = 0;
    pendingOutcome_ = entry ? entry->outcome : CallOutcome::NoCarrier;
    long delayMs = config_.dialTimeMs;
    // A call nobody takes lasts as long as the modem waits for a carrier (S7).
    if (pendingOutcome_ == CallOutcome::NoAnswer || pendingOutcome_ == CallOutcome::NoCarrier)
        delayMs = modem_.settings().s[7] * 1000L;
    if (entry && entry->delayMs >= 0) delayMs = entry->delayMs;
    outcomeAt_ = now + (delayMs + a.pauseMs) * 1000;
    connectDeadline_ = now + (modem_.settings().s[7] * 1000L + a.pauseMs) * 1000;
    std::string what = std::string("dial \"") + a.number + "\": " + outcomeName(pendingOutcome_);
    if (pendingOutcome_ == CallOutcome::Connect) {
        what += " " + entry->host + ":" + entry->port;
        connectHost(entry->host, entry->port);
    }
    transcript_.event(what);
}

void Simulator::connectHost(const std::string& host, const std::string& port) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0) return;
    int fd = socket(found->ai_family, SOCK_STREAM | SOCK_NONBLOCK, 0);
    if (fd >= 0) {
        int least = 1;  // set before connecting: the window is agreed then
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &least, sizeof least);
        int rc = connect(fd, found->ai_addr, found->ai_addrlen);
        if (rc == 0 || errno == EINPROGRESS) {
            int one = 1;
            setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            host_ = fd;
            hostConnecting_ = rc != 0;
        } else {
            close(fd);
        }
    }
    freeaddrinfo(found);
}

void Simulator::finishDial(CallOutcome outcome, Micros now) {
    outcomeAt_ = kNoDeadline;
    if (outcome != CallOutcome::Connect) closeHost();
    transcript_.event(std::string("call result ") + outcomeName(outcome));
    ModemOutput out;
    modem_.callResult(outcome, now, out);
    handle(out, now);
}

void Simulator::closeHost() {
    if (host_ >= 0) close(host_);
    host_ = -1;
    hostConnecting_ = false;
    hostClosed_ = false;
    hostPending_.clear();
}

void Simulator::hangUp(Micros now) {
    transcript_.event("hang up");
    closeHost();
    outcomeAt_ = kNoDeadline;
    toTerminal_.clear();
    toHost_.clear();
}

void Simulator::loseCarrier(Micros now, const char* why) {
    transcript_.event(std::string("carrier lost: ") + why);
    closeHost();
    toTerminal_.clear();
    toHost_.clear();
    ModemOutput out;
    modem_.carrierLost(now, out);
    handle(out, now);
}

size_t Simulator::dataAllowance() const {
    if (faults_.dropAfterBytes < 0) return std::string::npos;
    return dataBytes_ >= faults_.dropAfterBytes ? 0 : faults_.dropAfterBytes - dataBytes_;
}

void Simulator::countDataBytes(size_t n, Micros now) {
    dataBytes_ += n;
    if (faults_.dropAfterBytes >= 0 && dataBytes_ >= faults_.dropAfterBytes && modem_.callUp())
        loseCarrier(now, "scripted drop");
}

void Simulator::deliverToTerminal(Micros now) {
    if (modem_.mode() != Mode::Online || !line_.attached()) return;
    std::string bytes = toTerminal_.take(now, dataAllowance());
    if (bytes.empty()) return;
    size_t dataCount = bytes.size();
    // Noise lands between the data bytes, at the positions the script names.
    std::string withNoise;
    long position = deliveredToTerminal_;
    for (char c : bytes) {
        while (nextNoise_ < faults_.noise.size() && faults_.noise[nextNoise_].afterBytes <= position)
            withNoise += faults_.noise[nextNoise_++].bytes;
        withNoise += c;
        ++position;
    }
    deliveredToTerminal_ = position;
    transcript_.bytes("dte-out", withNoise);
    line_.write(withNoise);
    countDataBytes(dataCount, now);
}

void Simulator::deliverToHost(Micros now) {
    if (host_ < 0 || hostConnecting_) return;
    std::string bytes = toHost_.take(now, dataAllowance());
    if (bytes.empty()) return;
    transcript_.bytes("net-out", bytes);
    hostPending_ += bytes;
    flushHost();
    countDataBytes(bytes.size(), now);
}

void Simulator::flushHost() {
    while (host_ >= 0 && !hostPending_.empty()) {
        ssize_t n = send(host_, hostPending_.data(), hostPending_.size(), MSG_NOSIGNAL);
        if (n <= 0) break;
        hostPending_.erase(0, n);
    }
}

void Simulator::serviceHost(const std::vector<pollfd>& fds, Micros now) {
    if (host_ < 0 || hostIndex_ >= fds.size() || fds[hostIndex_].fd != host_) return;
    short re = fds[hostIndex_].revents;
    if (hostConnecting_) {
        if (!(re & (POLLOUT | POLLERR | POLLHUP))) return;
        int err = 0;
        socklen_t len = sizeof err;
        getsockopt(host_, SOL_SOCKET, SO_ERROR, &err, &len);
        if (err != 0) {
            transcript_.event("host refused the call");
            closeHost();
        } else {
            hostConnecting_ = false;
            transcript_.event("host answered");
        }
        return;
    }
    if (re & POLLOUT) flushHost();
    if (re & (POLLIN | POLLHUP | POLLERR)) {
        char buf[kTerminalBacklog];
        size_t room = kTerminalBacklog - std::min(kTerminalBacklog, toTerminal_.size());
        ssize_t n = recv(host_, buf, std::max<size_t>(room, 1), 0);
        if (n > 0) {
            transcript_.bytes("net-in", std::string_view(buf, n));
            toTerminal_.push(std::string_view(buf, n), now);
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            transcript_.event("host closed");
            hostClosed_ = true;
        }
    }
}

}  // namespace modemsim
