// The running simulator: one loop that feeds the Hayes interpreter from the
// serial line, carries out its actions (dialling through the phone book,
// calling a TCP host, hanging up), paces data mode at the connection's
// speed, plays the scripted faults and writes the transcript.
#pragma once
#include <csignal>
#include <string>
#include <vector>

#include "hayes.h"
#include "pacer.h"
#include "phonebook.h"
#include "serial_line.h"
#include "transcript.h"

namespace modemsim {

struct Faults {
    long dropAfterBytes = -1;  // carrier lost after this many data mode bytes (both ways)
    long deafAfterLines = -1;  // stops answering after this many command lines
    struct Noise {
        long afterBytes;       // bytes delivered to the terminal in data mode before it
        std::string bytes;
    };
    std::vector<Noise> noise;
};

struct SimulatorConfig {
    long dialTimeMs = 500;     // time to an outcome (busy, connect...) unless the entry says
    long dteSpeed = 0;         // reported with W0; 0: the port's speed when known
};

class Simulator {
public:
    Simulator(HayesModem& modem, const PhoneBook& book, SerialLine& line, Transcript& transcript,
              const SimulatorConfig& config, const Faults& faults);
    ~Simulator();
    // Runs until *stop becomes true.
    void run(const volatile std::sig_atomic_t* stop);

private:
    void step(Micros now);
    void serviceLine(const std::vector<pollfd>& fds, Micros now);
    void serviceHost(const std::vector<pollfd>& fds, Micros now);
    void handle(ModemOutput& out, Micros now);
    void startDial(const Action& a, Micros now);
    void connectHost(const std::string& host, const std::string& port);
    void closeHost();
    void flushHost();
    size_t dataAllowance() const;
    void finishDial(CallOutcome outcome, Micros now);
    void hangUp(Micros now);
    void loseCarrier(Micros now, const char* why);
    void deliverToTerminal(Micros now);
    void deliverToHost(Micros now);
    Micros wakeAt(Micros now) const;
    void countDataBytes(size_t n, Micros now);

    HayesModem& modem_;
    const PhoneBook& book_;
    SerialLine& line_;
    Transcript& transcript_;
    SimulatorConfig config_;
    Faults faults_;

    // The call: set up while dialling, a socket once connected.
    int host_ = -1;
    bool hostConnecting_ = false;
    bool hostClosed_ = false;
    CallOutcome pendingOutcome_ = CallOutcome::NoCarrier;
    Micros outcomeAt_ = kNoDeadline;
    Micros connectDeadline_ = kNoDeadline;
    size_t hostIndex_ = 0;
    std::string hostPending_;

    Pacer toTerminal_;
    Pacer toHost_;
    long dataBytes_ = 0;
    long deliveredToTerminal_ = 0;
    size_t nextNoise_ = 0;
};

}  // namespace modemsim
