// The terminal's side of the simulated modem: a pty, or an RFC 2217 server
// that carries the modem lines too. The simulator's loop polls the line's
// descriptors and hands it what the modem says.
#pragma once
#include <poll.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "hayes.h"

namespace modemsim {

struct LineEvent {
    enum Kind {
        Attached,           // a terminal opened the port
        Detached,           // it closed the port (a real port drops DTR then)
        Dtr,                // value 1 raised, 0 dropped
        Baud,               // the terminal's speed, bits per second
        PurgeToTerminal,    // discard what waits to go to the terminal
        PurgeFromTerminal,  // discard what came from the terminal and waits to go on
    };
    Kind kind;
    long value = 0;
};

class SerialLine {
public:
    virtual ~SerialLine() = default;
    // Adds the descriptors to wait on; may bring wakeAt forward (a pty with
    // nobody attached is looked at again a little later).
    virtual void addPollFds(std::vector<pollfd>& fds, Micros now, Micros& wakeAt) = 0;
    // After poll: data from the terminal, and line events, in order.
    virtual void service(const std::vector<pollfd>& fds, std::string& data, std::vector<LineEvent>& events) = 0;
    virtual void write(std::string_view bytes) = 0;
    virtual void setCarrier(bool on) = 0;
    virtual bool attached() const = 0;
    // What to tell people about where the port is (a pty path, a TCP port).
    virtual std::string where() const = 0;
};

// A pty; linkPath, if not empty, becomes a symlink to its slave.
std::unique_ptr<SerialLine> openPtyLine(const std::string& linkPath, std::string& error);
// An RFC 2217 server on 127.0.0.1:port (port 0: any free port).
std::unique_ptr<SerialLine> openComPortServer(int port, std::string& error);

}  // namespace modemsim
