// The server's side of the Telnet Com Port Control option (RFC 2217, telnet
// option 44): the byte stream from a client is split into data and serial
// line requests (DTR, RTS, baud, purge...), and the server's answers, the
// modem state notifications and data are encoded for the wire. Pure code:
// the socket is someone else's.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace modemsim {

struct ComPortEvent {
    enum Kind { Dtr, Rts, Baud, DataSize, Parity, StopSize, Purge, FlowSuspend, FlowResume };
    Kind kind;
    long value;  // Dtr/Rts: 1 on, 0 off; Purge: 1 receive, 2 transmit, 3 both
};

// Modem state bits as NOTIFY-MODEMSTATE carries them.
enum : uint8_t { kCarrierDetect = 0x80, kRingIndicator = 0x40, kDataSetReady = 0x20,
                 kClearToSend = 0x10, kDeltaCarrierDetect = 0x08 };

class TelnetComPort {
public:
    // What the server says first: it wants binary both ways and the com port option.
    std::string greeting();

    // Splits bytes from the client. Data goes to data, requests to events,
    // and the answers the protocol asks for (negotiation, the value now in
    // effect for every com port request) to reply.
    void decode(std::string_view in, std::string& data, std::vector<ComPortEvent>& events, std::string& reply);

    // Data for the client with IAC doubled.
    static std::string encodeData(std::string_view data);
    // NOTIFY-MODEMSTATE for a state, masked by the client's modem state mask;
    // empty when the mask leaves nothing to tell.
    std::string modemState(uint8_t state) const;

    bool comPortAgreed() const { return comPort_; }
    long baud() const { return baud_; }

private:
    enum class State { Data, Iac, Option, SubOption, SubData, SubIac };
    void negotiate(uint8_t verb, uint8_t option, std::string& reply);
    void subnegotiation(std::vector<ComPortEvent>& events, std::string& reply);
    static std::string comPortReply(uint8_t code, std::string_view value);

    State state_ = State::Data;
    uint8_t verb_ = 0;
    uint8_t subOption_ = 0;
    std::string sub_;
    bool lastWasCr_ = false;
    bool clientBinary_ = false;
    bool comPort_ = false;
    std::array<bool, 256> sentDo_{};
    std::array<bool, 256> sentWill_{};
    long baud_ = 9600;
    uint8_t dataSize_ = 8, parity_ = 1, stopSize_ = 1;
    bool dtr_ = true, rts_ = true;
    uint8_t flow_ = 1;
    uint8_t modemStateMask_ = 0xff;
    uint8_t lineStateMask_ = 0;
};

}  // namespace modemsim
