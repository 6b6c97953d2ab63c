// The simulated modem's command interpreter: bytes from the terminal in,
// echo, replies and actions out. It owns no port, socket or clock: time is
// an input (microseconds), and the caller carries out the actions (dial,
// hang up) and reports back what the line did (connected, busy, carrier
// lost, DTR dropped). Everything a test needs is observable in the output.
#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "persona.h"

namespace modemsim {

using Micros = std::int64_t;
constexpr Micros kNoDeadline = -1;

enum class Mode {
    Command,        // on hook (or off hook after "D...;"), taking AT commands
    Dialling,       // waiting for the call's outcome; any key abandons it
    Online,         // data mode: bytes go to the far end
    OnlineCommand,  // command mode with the call held (after the escape)
};

enum class CallOutcome { Connect, Busy, NoDialTone, NoAnswer, NoCarrier };

struct Action {
    enum Kind { Dial, HangUp };
    Kind kind;
    std::string number;  // Dial: the whole dial string, pieces sent with ';' included
    long pauseMs = 0;    // Dial: time the string's ',' pauses take (S8 each)
};

struct ModemOutput {
    std::string toDte;            // echo, information text and result codes
    std::string toRemote;         // data mode bytes for the far end
    std::vector<Action> actions;  // in the order they happened
};

struct Settings {
    bool echo = true;
    bool verbose = true;
    bool quiet = false;
    int x = 4;
    int w = 0;
    int dcdMode = 1;  // &C
    int dtrMode = 2;  // &D
    std::string fclass = "0";
    std::array<int, 256> s{};
    std::map<std::string, int> others;  // L, M, &K, &Q...: taken and shown by &V, no effect
};

Settings factorySettings();

enum class ResultCode { Ok = 0, Connect = 1, Ring = 2, NoCarrier = 3, Error = 4, NoDialTone = 6, Busy = 7, NoAnswer = 8 };

class HayesModem {
public:
    explicit HayesModem(Persona persona);

    void receive(std::string_view bytes, Micros now, ModemOutput& out);
    // Lets timers run out (the escape's closing guard time).
    void tick(Micros now, ModemOutput& out);
    Micros nextDeadline() const { return escapeDeadline_; }

    void callResult(CallOutcome outcome, Micros now, ModemOutput& out);
    void carrierLost(Micros now, ModemOutput& out);
    void dtrChanged(bool on, Micros now, ModemOutput& out);
    // The terminal closed the port: whatever &D says, the call ends and a
    // half-typed command line is forgotten.
    void terminalGone(Micros now, ModemOutput& out);

    void setDteSpeed(long bps) { dteSpeed_ = bps; }
    // After this many command lines the modem goes deaf; negative: never.
    void setAnswerLimit(long lines) { answerLimit_ = lines; }

    Mode mode() const { return mode_; }
    bool callUp() const { return mode_ == Mode::Online || mode_ == Mode::OnlineCommand; }
    bool carrierDetect() const { return settings_.dcdMode == 0 || callUp(); }
    bool deaf() const { return persona_.deaf || answerLimit_ == 0; }
    const Settings& settings() const { return settings_; }
    const Persona& persona() const { return persona_; }

private:
    enum class LineState { Idle, SawA, InLine };

    void receiveCommandByte(char c, ModemOutput& out);
    void receiveOnlineByte(char c, Micros now, ModemOutput& out);
    void runLine(const std::string& body, ModemOutput& out);
    void endCall(ModemOutput& out);
    void escapeToCommand(ModemOutput& out);

    // commands.cpp: one command line's execution.
    struct Cursor;
    enum class Outcome { Next, Error, Stop };
    void execute(const std::string& line, ModemOutput& out);
    Outcome basicCommand(char letter, Cursor& cur, ModemOutput& out);
    Outcome ampersandCommand(Cursor& cur, ModemOutput& out);
    Outcome extendedCommand(Cursor& cur, ModemOutput& out);
    Outcome sRegister(Cursor& cur, ModemOutput& out);
    Outcome dial(Cursor& cur, ModemOutput& out);
    Outcome identify(const std::string& key, ModemOutput& out);
    bool refused(const std::string& key, const std::string& name) const;
    void showProfile(ModemOutput& out);

    // Framing of what the modem says (V0/V1, Q, X, W).
    void result(ResultCode code, ModemOutput& out);
    void connectResult(ModemOutput& out);
    void info(const std::vector<std::string>& lines, ModemOutput& out);
    std::string crlf() const;

    Persona persona_;
    Settings settings_;
    Mode mode_ = Mode::Command;
    LineState lineState_ = LineState::Idle;
    std::string line_;
    bool lineTooLong_ = false;
    std::string lastLine_;
    std::string heldDial_;     // pieces dialled with ';' so far
    std::string lastDialled_;  // for "DL"
    int selectedRegister_ = 0;
    long dteSpeed_ = 0;
    long answerLimit_ = -1;

    // Escape detection in data mode.
    Micros lastDteByte_ = 0;
    Micros lastEscapeChar_ = 0;
    int escapeChars_ = 0;
    Micros escapeDeadline_ = kNoDeadline;
};

}  // namespace modemsim
