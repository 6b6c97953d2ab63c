#include "hayes.h"

#include <cctype>

namespace modemsim {

Settings factorySettings() {
    Settings s;
    // Defaults of a typical modem of the period (a ModemSURFR's &V).
    const int defaults[][2] = {{0, 0}, {2, 43}, {3, 13}, {4, 10}, {5, 8}, {6, 2},
                               {7, 45}, {8, 2}, {9, 6}, {10, 14}, {11, 95}, {12, 50}};
    for (auto& d : defaults) s.s[d[0]] = d[1];
    s.others = {{"L", 1}, {"M", 1}};
    return s;
}

HayesModem::HayesModem(Persona persona) : persona_(std::move(persona)), settings_(factorySettings()) {}

void HayesModem::receive(std::string_view bytes, Micros now, ModemOutput& out) {
    for (char c : bytes) {
        tick(now, out);
        if (deaf()) return;
        switch (mode_) {
            case Mode::Dialling:
                // Any key abandons a call being set up, as on a real modem;
                // a LF trailing the dial command's CR is not a key.
                if (c == '\n') break;
                endCall(out);
                result(ResultCode::NoCarrier, out);
                break;
            case Mode::Online:
                receiveOnlineByte(c, now, out);
                break;
            case Mode::Command:
            case Mode::OnlineCommand:
                receiveCommandByte(c, out);
                break;
        }
    }
}

void HayesModem::receiveCommandByte(char c, ModemOutput& out) {
    if (settings_.echo) out.toDte += c;
    char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    switch (lineState_) {
        case LineState::Idle:
            if (upper == 'A') lineState_ = LineState::SawA;
            break;
        case LineState::SawA:
            if (upper == 'T') {
                lineState_ = LineState::InLine;
                line_.clear();
                lineTooLong_ = false;
            } else if (c == '/') {
                lineState_ = LineState::Idle;
                if (settings_.echo) out.toDte += static_cast<char>(settings_.s[3]);
                runLine(lastLine_, out);
            } else if (upper != 'A') {
                lineState_ = LineState::Idle;
            }
            break;
        case LineState::InLine:
            if (static_cast<unsigned char>(c) == settings_.s[3]) {
                lineState_ = LineState::Idle;
                if (lineTooLong_) {
                    result(ResultCode::Error, out);
                } else {
                    lastLine_ = line_;
                    runLine(line_, out);
                }
            } else if (static_cast<unsigned char>(c) == settings_.s[5]) {
                if (!line_.empty()) line_.pop_back();
            } else if (static_cast<unsigned char>(c) >= 0x20) {
                // "AT" counts towards the modem's line buffer.
                if (line_.size() + 2 >= static_cast<size_t>(persona_.lineMax))
                    lineTooLong_ = true;
                else
                    line_ += c;
            }
            break;
    }
}

void HayesModem::runLine(const std::string& body, ModemOutput& out) {
    if (answerLimit_ > 0) --answerLimit_;
    execute(body, out);
}

void HayesModem::receiveOnlineByte(char c, Micros now, ModemOutput& out) {
    const int escapeChar = settings_.s[2];
    const Micros guard = Micros(settings_.s[12]) * 20000;  // S12 counts fiftieths of a second
    const bool untimed = settings_.s[12] == 0;
    if (escapeChar <= 127 && static_cast<unsigned char>(c) == escapeChar) {
        if (escapeChars_ > 0 && escapeChars_ < 3 && (untimed || now - lastEscapeChar_ <= guard))
            ++escapeChars_;
        else if (untimed || now - lastDteByte_ >= guard)
            escapeChars_ = 1;
        else
            escapeChars_ = 0;
        lastEscapeChar_ = now;
        escapeDeadline_ = kNoDeadline;
        if (escapeChars_ == 3) escapeDeadline_ = now + guard;
    } else {
        escapeChars_ = 0;
        escapeDeadline_ = kNoDeadline;
    }
    lastDteByte_ = now;
    // The escape characters travel on like any data: the modem cannot know
    // they are an escape until the closing guard time has passed.
    out.toRemote += c;
    if (escapeChars_ == 3 && untimed) escapeToCommand(out);
}

void HayesModem::tick(Micros now, ModemOutput& out) {
    if (escapeDeadline_ != kNoDeadline && now >= escapeDeadline_ && mode_ == Mode::Online)
        escapeToCommand(out);
}

void HayesModem::escapeToCommand(ModemOutput& out) {
    escapeChars_ = 0;
    escapeDeadline_ = kNoDeadline;
    mode_ = Mode::OnlineCommand;
    lineState_ = LineState::Idle;
    result(ResultCode::Ok, out);
}

void HayesModem::endCall(ModemOutput& out) {
    out.actions.push_back({Action::HangUp, "", 0});
    mode_ = Mode::Command;
    lineState_ = LineState::Idle;
    heldDial_.clear();
    escapeChars_ = 0;
    escapeDeadline_ = kNoDeadline;
}

void HayesModem::callResult(CallOutcome outcome, Micros now, ModemOutput& out) {
    if (mode_ != Mode::Dialling) return;
    if (outcome == CallOutcome::Connect) {
        mode_ = Mode::Online;
        lastDteByte_ = now;
        escapeChars_ = 0;
        connectResult(out);
        return;
    }
    endCall(out);
    // Without call progress detection (low X levels) the modem cannot tell
    // a busy line or a missing dial tone from a call nobody answered.
    const int x = settings_.x;
    ResultCode code = ResultCode::NoCarrier;
    if (outcome == CallOutcome::Busy && x >= 3) code = ResultCode::Busy;
    if (outcome == CallOutcome::NoDialTone && (x == 2 || x >= 4)) code = ResultCode::NoDialTone;
    if (outcome == CallOutcome::NoAnswer && x >= 1) code = ResultCode::NoAnswer;
    result(code, out);
}

void HayesModem::carrierLost(Micros now, ModemOutput& out) {
    if (!callUp() && mode_ != Mode::Dialling) return;
    endCall(out);
    result(ResultCode::NoCarrier, out);
}

void HayesModem::dtrChanged(bool on, Micros now, ModemOutput& out) {
    if (on) return;
    switch (settings_.dtrMode) {
        case 1:
            if (mode_ == Mode::Online) escapeToCommand(out);
            break;
        case 2:
            if (callUp() || mode_ == Mode::Dialling) {
                endCall(out);
                result(ResultCode::NoCarrier, out);
            }
            break;
        case 3:
            if (callUp() || mode_ == Mode::Dialling) endCall(out);
            settings_ = factorySettings();
            break;
        default:
            break;
    }
}

void HayesModem::terminalGone(Micros now, ModemOutput& out) {
    if (callUp() || mode_ == Mode::Dialling || !heldDial_.empty()) endCall(out);
    lineState_ = LineState::Idle;
}

std::string HayesModem::crlf() const {
    return {static_cast<char>(settings_.s[3]), static_cast<char>(settings_.s[4])};
}

void HayesModem::result(ResultCode code, ModemOutput& out) {
    static const std::map<ResultCode, const char*> texts = {
        {ResultCode::Ok, "OK"},          {ResultCode::Connect, "CONNECT"},
        {ResultCode::Ring, "RING"},      {ResultCode::NoCarrier, "NO CARRIER"},
        {ResultCode::Error, "ERROR"},    {ResultCode::NoDialTone, "NO DIALTONE"},
        {ResultCode::Busy, "BUSY"},      {ResultCode::NoAnswer, "NO ANSWER"}};
    if (settings_.quiet) return;
    if (settings_.verbose)
        out.toDte += crlf() + texts.at(code) + crlf();
    else
        out.toDte += std::to_string(static_cast<int>(code)) + static_cast<char>(settings_.s[3]);
}

void HayesModem::connectResult(ModemOutput& out) {
    if (settings_.quiet) return;
    long speed = 0;
    std::string text = "CONNECT";
    if (settings_.x > 0) {
        // W0 tells the terminal's speed, W1 the line's with protocol, W2 the line's.
        speed = settings_.w == 0 && dteSpeed_ > 0 ? dteSpeed_ : persona_.lineSpeed;
        if (settings_.w == 1 && !persona_.connectW1.empty())
            text += " " + persona_.connectW1;
        else
            text += " " + std::to_string(speed);
    }
    if (settings_.verbose) {
        out.toDte += crlf() + text + crlf();
        return;
    }
    int code = 1;
    if (speed == 1200) code = 5;
    if (speed == 2400) code = 10;
    auto known = persona_.connectCodes.find(speed);
    if (known != persona_.connectCodes.end()) code = known->second;
    out.toDte += std::to_string(code) + static_cast<char>(settings_.s[3]);
}

void HayesModem::info(const std::vector<std::string>& lines, ModemOutput& out) {
    if (lines.empty()) return;
    if (settings_.verbose) out.toDte += crlf();
    for (const auto& l : lines) out.toDte += l + crlf();
}

}  // namespace modemsim
