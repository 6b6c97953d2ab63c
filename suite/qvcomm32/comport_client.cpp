#include "comport_client.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace qvcomm {

uint8_t ParityValue(char parity)
{
    switch (std::toupper(static_cast<unsigned char>(parity))) {
    case 'N': return kParityNone;
    case 'O': return kParityOdd;
    case 'E': return kParityEven;
    case 'M': return kParityMark;
    case 'S': return kParitySpace;
    default: return 0;
    }
}

ComPortClient::ComPortClient()
    : comPort_(kUnanswered), lastControl_(0), binarySend_(true), binaryReceive_(true),
      afterCr_(false), modemStateKnown_(false), modemState_(0)
{
    std::memset(awaiting_, 0, sizeof awaiting_);
    std::memset(confirmed_, 0, sizeof confirmed_);
}

void ComPortClient::Start()
{
    AppendOption(out_, kWill, kOptComPort);
    AppendOption(out_, kWill, kOptBinary);
    AppendOption(out_, kDo, kOptBinary);
    AppendOption(out_, kWill, kOptSuppressGoAhead);
    AppendOption(out_, kDo, kOptSuppressGoAhead);
    SendCommand(kCpSetModemStateMask, kModemCarrierDetect | kModemCarrierChanged);
    SendCommand(kCpSetControl, kDtrOn);
    SendCommand(kCpSetControl, kRtsOn);
}

void ComPortClient::Receive(const uint8_t* in, size_t n)
{
    decoder_.Feed(in, n, *this);
}

/* Without binary mode a Telnet CR must be followed by NUL (or LF) to stand
 * for a bare CR; the modem's command terminator is a bare CR. */
void ComPortClient::SendData(const uint8_t* data, size_t n)
{
    if (binarySend_) {
        AppendEscaped(out_, data, n);
        return;
    }
    for (size_t i = 0; i < n; ++i) {
        AppendEscaped(out_, data + i, 1);
        if (data[i] == '\r')
            out_.push_back(0);
    }
}

void ComPortClient::SendComPort(uint8_t command, const uint8_t* value, size_t n)
{
    Bytes body;
    body.push_back(command);
    Append(body, value, n);
    if (command == kCpSetControl && n == 1)
        lastControl_ = value[0];
    AppendSubnegotiation(out_, kOptComPort, body.data(), body.size());
    awaiting_[command] = true;
}

void ComPortClient::SetBaudRate(uint32_t baud)
{
    const uint8_t value[4] = {static_cast<uint8_t>(baud >> 24), static_cast<uint8_t>(baud >> 16),
                              static_cast<uint8_t>(baud >> 8), static_cast<uint8_t>(baud)};
    SendComPort(kCpSetBaudRate, value, 4);
}

void ComPortClient::SendCommand(uint8_t command, uint8_t value)
{
    SendComPort(command, &value, 1);
}

void ComPortClient::OnData(const uint8_t* data, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        const bool stuffing = !binaryReceive_ && afterCr_ && data[i] == 0;
        afterCr_ = data[i] == '\r';
        if (!stuffing)
            in_.push_back(data[i]);
    }
}

void ComPortClient::OnOption(uint8_t verb, uint8_t option)
{
    const bool wanted = option == kOptComPort || option == kOptBinary ||
                        option == kOptSuppressGoAhead;
    if (option == kOptComPort && (verb == kDo || verb == kDont)) {
        comPort_ = verb == kDo ? kAccepted : kRefused;
        return;
    }
    /* Binary is offered both ways at the start and taken for granted unless
     * the server refuses it; a refusal falls back to Telnet's CR NUL. */
    if (option == kOptBinary && (verb == kDont || verb == kDo))
        binarySend_ = verb == kDo;
    if (option == kOptBinary && (verb == kWont || verb == kWill))
        binaryReceive_ = verb == kWill;
    /* The server offering or asking for an option: agree to the three this
     * port uses, refuse the rest. Answers to our own offers need no reply,
     * and answering them again would loop. */
    switch (verb) {
    case kWill:
        if (!wanted)
            AppendOption(out_, kDont, option);
        break;
    case kDo:
        if (!wanted)
            AppendOption(out_, kWont, option);
        break;
    default:
        break;
    }
}

void ComPortClient::OnSubnegotiation(const uint8_t* body, size_t n)
{
    if (body[0] != kOptComPort || n < 2 || body[1] < kCpServerOffset)
        return;
    const uint8_t command = body[1] - kCpServerOffset;
    if (command >= kCpCommandCount)
        return;
    uint32_t value = 0;
    for (size_t i = 2; i < n && i < 6; ++i)
        value = (value << 8) | body[i];
    /* SET-CONTROL carries unrelated settings (flow control, DTR, RTS), and
     * some servers answer only some of them: only the answer to the last one
     * sent ends the wait for it. */
    if (command == kCpSetControl && (n < 3 || body[2] != lastControl_))
        return;
    if (command == kCpNotifyModemState && n >= 3) {
        modemState_ = body[2];
        modemStateKnown_ = true;
    }
    awaiting_[command] = false;
    confirmed_[command] = value;
}

bool ParseHostPort(const char* text, std::string& host, uint16_t& port)
{
    const char* colon = std::strrchr(text, ':');
    if (!colon || colon == text || !colon[1])
        return false;
    char* end = nullptr;
    long number = std::strtol(colon + 1, &end, 10);
    while (*end == ' ' || *end == '\t')
        ++end;
    if (*end || number < 1 || number > 65535)
        return false;
    host.assign(text, colon);
    while (!host.empty() && (host[0] == ' ' || host[0] == '\t'))
        host.erase(0, 1);
    if (host.empty())
        return false;
    port = static_cast<uint16_t>(number);
    return true;
}

}  // namespace qvcomm
