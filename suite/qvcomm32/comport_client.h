/* The client side of the Telnet Com Port Control option (RFC 2217): what a
 * COM port redirected to a network serial server says and hears. It owns no
 * socket: received bytes go in through Receive, bytes to send collect in
 * Outgoing, so the whole protocol is testable without a network. */
#ifndef QVCOMM_COMPORT_CLIENT_H
#define QVCOMM_COMPORT_CLIENT_H

#include "telnet.h"

namespace qvcomm {

enum ComPortCommand : uint8_t {
    kCpSignature = 0, kCpSetBaudRate = 1, kCpSetDataSize = 2, kCpSetParity = 3,
    kCpSetStopSize = 4, kCpSetControl = 5, kCpNotifyLineState = 6, kCpNotifyModemState = 7,
    kCpFlowSuspend = 8, kCpFlowResume = 9, kCpSetLineStateMask = 10,
    kCpSetModemStateMask = 11, kCpPurgeData = 12,
    kCpCommandCount = 13,
    kCpServerOffset = 100   /* a server's reply or notification is the command + 100 */
};

enum ComPortValue : uint8_t {
    kParityNone = 1, kParityOdd = 2, kParityEven = 3, kParityMark = 4, kParitySpace = 5,
    kStopOne = 1, kStopTwo = 2, kStopOneAndHalf = 3,
    kFlowNone = 1, kFlowXonXoff = 2, kFlowHardware = 3,
    kDtrOn = 8, kDtrOff = 9, kRtsOn = 11, kRtsOff = 12,
    kPurgeReceive = 1, kPurgeTransmit = 2, kPurgeBoth = 3,
    kModemCarrierDetect = 0x80, kModemCarrierChanged = 0x08
};

/* Maps a parity letter (N, O, E, M, S, either case) to its value; 0 if none. */
uint8_t ParityValue(char parity);

class ComPortClient : private TelnetSink {
public:
    enum Agreement { kUnanswered, kAccepted, kRefused };

    ComPortClient();
    /* Queues the opening negotiation: the com port option, binary data both
     * ways, no go-aheads, carrier changes reported, DTR and RTS raised. The
     * modem-state mask asks for the carrier's change bit too: a server that
     * masks each notification would otherwise have nothing to send when the
     * carrier drops. */
    void Start();
    void Receive(const uint8_t* in, size_t n);
    void SendData(const uint8_t* data, size_t n);

    /* Each queues one command and marks it as awaiting its reply. */
    void SetBaudRate(uint32_t baud);
    void SendCommand(uint8_t command, uint8_t value);

    Bytes& Outgoing() { return out_; }
    /* Received data not yet taken. */
    Bytes& Incoming() { return in_; }

    Agreement ComPort() const { return comPort_; }
    bool Awaiting(uint8_t command) const { return awaiting_[command]; }
    /* The value the server last confirmed for a command. */
    uint32_t Confirmed(uint8_t command) const { return confirmed_[command]; }
    bool ModemStateKnown() const { return modemStateKnown_; }
    uint8_t ModemState() const { return modemState_; }

private:
    void OnData(const uint8_t* data, size_t n) override;
    void OnOption(uint8_t verb, uint8_t option) override;
    void OnSubnegotiation(const uint8_t* body, size_t n) override;
    void SendComPort(uint8_t command, const uint8_t* value, size_t n);

    TelnetDecoder decoder_;
    Bytes out_;
    Bytes in_;
    Agreement comPort_;
    bool awaiting_[kCpCommandCount];
    uint8_t lastControl_;   /* the SET-CONTROL value whose reply is awaited */
    bool binarySend_, binaryReceive_;
    bool afterCr_;          /* the last data byte received was CR */
    uint32_t confirmed_[kCpCommandCount];
    bool modemStateKnown_;
    uint8_t modemState_;
};

/* Splits "host:port" into its parts; false unless both are there and the
 * port is a number from 1 to 65535. */
bool ParseHostPort(const char* text, std::string& host, uint16_t& port);

}  // namespace qvcomm

#endif
