#include "telnet_com_port.h"

namespace modemsim {

namespace {
enum : uint8_t { SE = 240, SB = 250, WILL = 251, WONT = 252, DO = 253, DONT = 254, IAC = 255 };
enum : uint8_t { kBinary = 0, kEcho = 1, kSuppressGoAhead = 3, kComPort = 44 };
enum : uint8_t { kSignature = 0, kSetBaud = 1, kSetDataSize = 2, kSetParity = 3, kSetStopSize = 4,
                 kSetControl = 5, kFlowSuspend = 8, kFlowResume = 9, kSetLineStateMask = 10,
                 kSetModemStateMask = 11, kPurgeData = 12, kServerOffset = 100,
                 kNotifyModemState = 107 };

std::string bytes(std::initializer_list<uint8_t> list) {
    std::string s;
    for (uint8_t b : list) s += static_cast<char>(b);
    return s;
}
}  // namespace

std::string TelnetComPort::greeting() {
    std::string out;
    sentDo_[kComPort] = true;
    out += bytes({IAC, DO, kComPort});
    for (uint8_t opt : {kBinary, kSuppressGoAhead}) {
        sentWill_[opt] = true;
        out += bytes({IAC, WILL, opt});
    }
    sentDo_[kBinary] = true;
    out += bytes({IAC, DO, kBinary});
    return out;
}

std::string TelnetComPort::encodeData(std::string_view data) {
    std::string out;
    out.reserve(data.size());
    for (char c : data) {
        out += c;
        if (static_cast<uint8_t>(c) == IAC) out += c;
    }
    return out;
}

void TelnetComPort::decode(std::string_view in, std::string& data, std::vector<ComPortEvent>& events,
                           std::string& reply) {
    for (char ch : in) {
        uint8_t b = static_cast<uint8_t>(ch);
        switch (state_) {
            case State::Data:
                if (b == IAC) {
                    state_ = State::Iac;
                } else {
                    // Outside binary mode a bare CR travels as CR NUL.
                    if (!(b == 0 && lastWasCr_ && !clientBinary_)) data += ch;
                    lastWasCr_ = b == '\r';
                }
                break;
            case State::Iac:
                if (b == IAC) {
                    data += ch;
                    lastWasCr_ = false;
                    state_ = State::Data;
                } else if (b >= WILL) {
                    verb_ = b;
                    state_ = State::Option;
                } else if (b == SB) {
                    state_ = State::SubOption;
                } else {
                    state_ = State::Data;  // NOP, GA, AYT...: nothing to do
                }
                break;
            case State::Option:
                negotiate(verb_, b, reply);
                state_ = State::Data;
                break;
            case State::SubOption:
                subOption_ = b;
                sub_.clear();
                state_ = State::SubData;
                break;
            case State::SubData:
                if (b == IAC)
                    state_ = State::SubIac;
                else if (sub_.size() < 64)
                    sub_ += ch;
                break;
            case State::SubIac:
                if (b == IAC) {
                    if (sub_.size() < 64) sub_ += ch;
                    state_ = State::SubData;
                } else {
                    if (b == SE) subnegotiation(events, reply);
                    state_ = State::Data;
                }
                break;
        }
    }
}

void TelnetComPort::negotiate(uint8_t verb, uint8_t option, std::string& reply) {
    const bool wanted = option == kBinary || option == kSuppressGoAhead || option == kComPort;
    switch (verb) {
        case WILL:  // the client offers to do something
            if (option == kBinary) clientBinary_ = true;
            if (!sentDo_[option] && wanted) reply += bytes({IAC, DO, option});
            if (option == kComPort && !comPort_) {
                comPort_ = true;
                reply += currentModemState();
            }
            if (!wanted) reply += bytes({IAC, DONT, option});
            sentDo_[option] = wanted;
            break;
        case WONT:
            if (option == kBinary) clientBinary_ = false;
            if (option == kComPort) comPort_ = false;
            if (sentDo_[option]) reply += bytes({IAC, DONT, option});
            sentDo_[option] = false;
            break;
        case DO:  // the client asks the server to do something
            if (!sentWill_[option] && (option == kBinary || option == kSuppressGoAhead))
                reply += bytes({IAC, WILL, option}), sentWill_[option] = true;
            else if (option != kBinary && option != kSuppressGoAhead)
                reply += bytes({IAC, WONT, option});
            break;
        case DONT:
            if (sentWill_[option]) reply += bytes({IAC, WONT, option});
            sentWill_[option] = false;
            break;
    }
}

std::string TelnetComPort::comPortReply(uint8_t code, std::string_view value) {
    std::string out = bytes({IAC, SB, kComPort, static_cast<uint8_t>(code + kServerOffset)});
    out += encodeData(value);
    out += bytes({IAC, SE});
    return out;
}

void TelnetComPort::subnegotiation(std::vector<ComPortEvent>& events, std::string& reply) {
    if (subOption_ != kComPort || sub_.empty()) return;
    const uint8_t code = static_cast<uint8_t>(sub_[0]);
    const std::string value = sub_.substr(1);
    const uint8_t v = value.empty() ? 0 : static_cast<uint8_t>(value[0]);
    auto one = [](uint8_t b) { return std::string(1, static_cast<char>(b)); };
    switch (code) {
        case kSignature:
            reply += comPortReply(code, "Kestrix modem simulator");
            break;
        case kSetBaud: {
            if (value.size() != 4) return;
            long requested = 0;
            for (char c : value) requested = (requested << 8) | static_cast<uint8_t>(c);
            if (requested > 0) {
                baud_ = requested;
                events.push_back({ComPortEvent::Baud, baud_});
            }
            std::string now;
            for (int shift = 24; shift >= 0; shift -= 8) now += static_cast<char>((baud_ >> shift) & 0xff);
            reply += comPortReply(code, now);
            break;
        }
        case kSetDataSize:
            if (v >= 5 && v <= 8) dataSize_ = v, events.push_back({ComPortEvent::DataSize, v});
            reply += comPortReply(code, one(dataSize_));
            break;
        case kSetParity:
            if (v >= 1 && v <= 5) parity_ = v, events.push_back({ComPortEvent::Parity, v});
            reply += comPortReply(code, one(parity_));
            break;
        case kSetStopSize:
            if (v >= 1 && v <= 3) stopSize_ = v, events.push_back({ComPortEvent::StopSize, v});
            reply += comPortReply(code, one(stopSize_));
            break;
        case kSetControl: {
            uint8_t answer = v;
            if (v == 0) answer = flow_;
            else if (v >= 1 && v <= 3) flow_ = v;
            else if (v == 4) answer = 6;  // BREAK is never on
            else if (v == 7) answer = dtr_ ? 8 : 9;
            else if (v == 8 || v == 9) {
                dtr_ = v == 8;
                events.push_back({ComPortEvent::Dtr, dtr_ ? 1 : 0});
            } else if (v == 10) answer = rts_ ? 11 : 12;
            else if (v == 11 || v == 12) {
                rts_ = v == 11;
                events.push_back({ComPortEvent::Rts, rts_ ? 1 : 0});
            } else if (v == 13) answer = 14;
            reply += comPortReply(code, one(answer));
            break;
        }
        case kFlowSuspend:
            events.push_back({ComPortEvent::FlowSuspend, 0});
            break;
        case kFlowResume:
            events.push_back({ComPortEvent::FlowResume, 0});
            break;
        case kSetLineStateMask:
            lineStateMask_ = v;
            reply += comPortReply(code, one(v));
            break;
        case kSetModemStateMask:
            modemStateMask_ = v;
            reply += comPortReply(code, one(v));
            reply += currentModemState();
            break;
        case kPurgeData:
            if (v >= 1 && v <= 3) events.push_back({ComPortEvent::Purge, v});
            reply += comPortReply(code, one(v));
            break;
        default:
            break;
    }
}

std::string TelnetComPort::modemLinesChanged(uint8_t lines) {
    lines &= 0xf0;
    const uint8_t changed = lines_ ^ lines;
    uint8_t deltas = 0;
    if (changed & kCarrierDetect) deltas |= kDeltaCarrierDetect;
    if (lines_ & ~lines & kRingIndicator) deltas |= kRingTrailingEdge;  // only the ring's end counts
    if (changed & kDataSetReady) deltas |= kDeltaDataSetReady;
    if (changed & kClearToSend) deltas |= kDeltaClearToSend;
    lines_ = lines;
    const uint8_t masked = (lines | deltas) & modemStateMask_;
    if (!comPort_ || changed == 0 || (masked == 0 && (changed & modemStateMask_) == 0)) return "";
    return comPortReply(kNotifyModemState - kServerOffset, std::string(1, static_cast<char>(masked)));
}

std::string TelnetComPort::currentModemState() const {
    const uint8_t masked = lines_ & modemStateMask_;
    return comPortReply(kNotifyModemState - kServerOffset, std::string(1, static_cast<char>(masked)));
}

}  // namespace modemsim
