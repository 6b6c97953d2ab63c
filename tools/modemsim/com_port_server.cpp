// The modem's serial port offered over TCP with RFC 2217, one terminal at a
// time: DTR, baud and purge requests reach the modem, and carrier detect
// goes back as a modem state notification whenever it changes (and whenever
// the client agrees to the option or sets its modem state mask).
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "serial_line.h"
#include "telnet_com_port.h"

namespace modemsim {

namespace {

class ComPortServer : public SerialLine {
public:
    ~ComPortServer() override {
        dropClient();
        if (listener_ >= 0) close(listener_);
    }

    bool listen(int port, std::string& error) {
        listener_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        int one = 1;
        setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<uint16_t>(port));
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            ::listen(listener_, 4) != 0) {
            error = "cannot listen on 127.0.0.1:" + std::to_string(port);
            return false;
        }
        socklen_t len = sizeof addr;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        return true;
    }

    void addPollFds(std::vector<pollfd>& fds, Micros, Micros&) override {
        listenIndex_ = fds.size();
        fds.push_back({listener_, POLLIN, 0});
        clientIndex_ = fds.size();
        if (client_ >= 0) fds.push_back({client_, static_cast<short>(POLLIN | (pending_.empty() ? 0 : POLLOUT)), 0});
    }

    void service(const std::vector<pollfd>& fds, std::string& data, std::vector<LineEvent>& events) override {
        if (client_ >= 0 && clientIndex_ < fds.size() && fds[clientIndex_].revents) readClient(data, events);
        if (fds[listenIndex_].revents & POLLIN) acceptClient(events);
        flush();
    }

    void write(std::string_view bytes) override {
        if (client_ < 0) return;
        pending_ += TelnetComPort::encodeData(bytes);
        flush();
    }

    void setCarrier(bool on) override {
        if (carrier_ == on) return;
        carrier_ = on;
        if (client_ < 0) return;
        pending_ += telnet_.modemLinesChanged(lines());
        flush();
    }

    bool attached() const override { return client_ >= 0; }
    std::string where() const override { return "127.0.0.1:" + std::to_string(port_); }

private:
    void acceptClient(std::vector<LineEvent>& events) {
        int fd = accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK);
        if (fd < 0) return;
        if (client_ >= 0) {  // the port is in use
            close(fd);
            return;
        }
        int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        client_ = fd;
        telnet_ = TelnetComPort(lines());
        pending_ = telnet_.greeting();
        events.push_back({LineEvent::Attached});
    }

    void readClient(std::string& data, std::vector<LineEvent>& events) {
        char buf[4096];
        ssize_t n = read(client_, buf, sizeof buf);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
            dropClient();
            events.push_back({LineEvent::Detached});
            return;
        }
        if (n < 0) return;
        std::vector<ComPortEvent> requests;
        std::string reply;
        telnet_.decode(std::string_view(buf, n), data, requests, reply);
        pending_ += reply;
        for (const auto& r : requests) {
            switch (r.kind) {
                case ComPortEvent::Dtr: events.push_back({LineEvent::Dtr, r.value}); break;
                case ComPortEvent::Baud: events.push_back({LineEvent::Baud, r.value}); break;
                case ComPortEvent::Purge:
                    if (r.value & 1) events.push_back({LineEvent::PurgeToTerminal});
                    if (r.value & 2) events.push_back({LineEvent::PurgeFromTerminal});
                    break;
                default: break;
            }
        }
    }

    // DSR and CTS are on while the simulator runs; carrier detect follows the call.
    uint8_t lines() const { return kDataSetReady | kClearToSend | (carrier_ ? kCarrierDetect : 0); }

    void flush() {
        while (client_ >= 0 && !pending_.empty()) {
            ssize_t n = ::send(client_, pending_.data(), pending_.size(), MSG_NOSIGNAL);
            if (n <= 0) break;
            pending_.erase(0, n);
        }
    }

    void dropClient() {
        if (client_ >= 0) close(client_);
        client_ = -1;
        pending_.clear();
    }

    int listener_ = -1;
    int client_ = -1;
    int port_ = 0;
    size_t listenIndex_ = 0, clientIndex_ = 0;
    TelnetComPort telnet_;
    std::string pending_;
    bool carrier_ = false;
};

}  // namespace

std::unique_ptr<SerialLine> openComPortServer(int port, std::string& error) {
    auto line = std::make_unique<ComPortServer>();
    if (!line->listen(port, error)) return nullptr;
    return line;
}

}  // namespace modemsim
