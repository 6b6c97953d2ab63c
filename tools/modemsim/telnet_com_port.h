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

// Modem state bits as NOTIFY-MODEMSTATE carries them: the lines in the high
// nibble, what changed since the last notification in the low one.
enum : uint8_t { kCarrierDetect = 0x80, kRingIndicator = 0x40, kDataSetReady = 0x20,
                 kClearToSend = 0x10, kDeltaCarrierDetect = 0x08, kRingTrailingEdge = 0x04,
                 kDeltaDataSetReady = 0x02, kDeltaClearToSend = 0x01 };

class TelnetComPort {
public:
    // lines: the modem's lines (high nibble of the modem state) at the start.
    explicit TelnetComPort(uint8_t lines = 0) : lines_(lines) {}

    // What the server says first: it wants binary both ways and the com port option.
    std::string greeting();

    // Splits bytes from the client. Data goes to data, requests to events,
    // and the answers the protocol asks for (negotiation, the value now in
    // effect for every com port request) to reply.
    void decode(std::string_view in, std::string& data, std::vector<ComPortEvent>& events, std::string& reply);

    // Data for the client with IAC doubled.
    static std::string encodeData(std::string_view data);
    // The modem's lines are now `lines`. Returns the NOTIFY-MODEMSTATE that
    // tells the client, delta bits included, masked by its modem state mask.
    // It goes out when the masked state is not zero or a masked line changed:
    // a client that masks carrier detect alone must also see it drop, which
    // a masked value of zero is the only way to say. Empty when there is
    // nothing to tell or the client has not taken the com port option.
    std::string modemLinesChanged(uint8_t lines);

    bool comPortAgreed() const { return comPort_; }
    long baud() const { return baud_; }

private:
    enum class State { Data, Iac, Option, SubOption, SubData, SubIac };
    void negotiate(uint8_t verb, uint8_t option, std::string& reply);
    void subnegotiation(std::vector<ComPortEvent>& events, std::string& reply);
    static std::string comPortReply(uint8_t code, std::string_view value);
    // The lines as they are, masked, sent whatever their value: the answer
    // to a client that has just agreed to the option or changed its mask.
    std::string currentModemState() const;

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
    uint8_t lines_;
    uint8_t lineStateMask_ = 0;
};

}  // namespace modemsim
