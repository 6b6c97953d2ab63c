// A pty has no modem lines: a terminal opening and closing the slave is all
// it can tell, and carrier detect cannot be shown. While no one holds the
// slave the master reports a hang-up on every poll, so it is then looked at
// every few milliseconds rather than waited on.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "serial_line.h"

namespace modemsim {

namespace {

constexpr Micros kAttachCheck = 10000;

class PtyLine : public SerialLine {
public:
    ~PtyLine() override {
        if (!link_.empty()) unlink(link_.c_str());
        if (master_ >= 0) close(master_);
    }

    bool open(const std::string& linkPath, std::string& error) {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
            error = "cannot make a pty";
            return false;
        }
        slavePath_ = ptsname(master_);
        // Raw from the start, so that nothing the modem says is echoed back
        // or altered before the terminal sets its own mode.
        int slave = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY);
        if (slave >= 0) {
            termios t{};
            tcgetattr(slave, &t);
            cfmakeraw(&t);
            tcsetattr(slave, TCSANOW, &t);
            close(slave);
        }
        if (!linkPath.empty()) {
            unlink(linkPath.c_str());
            if (symlink(slavePath_.c_str(), linkPath.c_str()) != 0) {
                error = "cannot make the link " + linkPath;
                return false;
            }
            link_ = linkPath;
        }
        return true;
    }

    void addPollFds(std::vector<pollfd>& fds, Micros now, Micros& wakeAt) override {
        index_ = fds.size();
        short events = POLLIN;
        if (!pending_.empty()) events |= POLLOUT;
        // Unattached, the master would wake the loop at once, forever.
        fds.push_back({attached_ ? master_ : -1, events, 0});
        if (!attached_ && (wakeAt == kNoDeadline || wakeAt > now + kAttachCheck)) wakeAt = now + kAttachCheck;
    }

    void service(const std::vector<pollfd>& fds, std::string& data, std::vector<LineEvent>& events) override {
        short re = fds[index_].revents;
        if (!attached_) {
            pollfd p{master_, POLLIN, 0};
            poll(&p, 1, 0);
            re = p.revents;
            if (re & POLLHUP) return;
            attached_ = true;
            events.push_back({LineEvent::Attached});
        }
        if (re & (POLLIN | POLLHUP)) {
            char buf[4096];
            ssize_t n = read(master_, buf, sizeof buf);
            if (n > 0) {
                data.append(buf, n);
                noticeSpeed(events);
            } else if (n == 0 || errno != EAGAIN) {
                // The last holder of the slave closed it (the master reads EIO).
                attached_ = false;
                pending_.clear();
                events.push_back({LineEvent::Detached});
                return;
            }
        }
        flush();
    }

    void write(std::string_view bytes) override {
        if (!attached_) return;  // nobody would read it: a closed port loses it
        pending_ += bytes;
        flush();
    }

    void setCarrier(bool) override {}
    bool attached() const override { return attached_; }
    std::string where() const override { return link_.empty() ? slavePath_ : link_; }

private:
    // The pty pair shares one termios, so the terminal's speed setting is
    // visible here; the modem reports it in W0 CONNECT messages.
    void noticeSpeed(std::vector<LineEvent>& events) {
        static const std::pair<speed_t, long> speeds[] = {
            {B300, 300},     {B1200, 1200},   {B2400, 2400},   {B4800, 4800},     {B9600, 9600},
            {B19200, 19200}, {B38400, 38400}, {B57600, 57600}, {B115200, 115200}, {B230400, 230400},
            {B460800, 460800}};
        termios t{};
        if (tcgetattr(master_, &t) != 0) return;
        for (const auto& s : speeds)
            if (s.first == cfgetospeed(&t) && s.second != speed_) {
                speed_ = s.second;
                events.push_back({LineEvent::Baud, speed_});
            }
    }

    void flush() {
        while (!pending_.empty()) {
            ssize_t n = ::write(master_, pending_.data(), pending_.size());
            if (n <= 0) break;
            pending_.erase(0, n);
        }
    }

    int master_ = -1;
    std::string slavePath_;
    std::string link_;
    std::string pending_;
    size_t index_ = 0;
    bool attached_ = false;
    long speed_ = 0;
};

}  // namespace

std::unique_ptr<SerialLine> openPtyLine(const std::string& linkPath, std::string& error) {
    auto line = std::make_unique<PtyLine>();
    if (!line->open(linkPath, error)) return nullptr;
    return line;
}

}  // namespace modemsim
