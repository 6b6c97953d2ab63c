/* Telnet framing (RFC 854/855) as a redirected serial port uses it: data with
 * IAC doubled, option negotiation and subnegotiation. No windows.h: built and
 * tested natively too. */
#ifndef QVCOMM_TELNET_H
#define QVCOMM_TELNET_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qvcomm {

typedef std::vector<uint8_t> Bytes;

/* Appends n bytes. */
inline void Append(Bytes& out, const uint8_t* data, size_t n)
{
    out.insert(out.end(), data, data + n);
}

enum TelnetByte : uint8_t {
    kSe = 240, kNop = 241, kSb = 250, kWill = 251, kWont = 252, kDo = 253, kDont = 254,
    kIac = 255
};

enum TelnetOption : uint8_t { kOptBinary = 0, kOptSuppressGoAhead = 3, kOptComPort = 44 };

/* Appends data with every IAC doubled, as it must travel in the data stream. */
void AppendEscaped(Bytes& out, const uint8_t* data, size_t n);
/* Appends IAC verb option. */
void AppendOption(Bytes& out, uint8_t verb, uint8_t option);
/* Appends IAC SB option body IAC SE, the body escaped. */
void AppendSubnegotiation(Bytes& out, uint8_t option, const uint8_t* body, size_t n);

/* What the decoder found in the stream, handed over as it is found. */
class TelnetSink {
public:
    virtual ~TelnetSink() {}
    virtual void OnData(const uint8_t* data, size_t n) = 0;
    virtual void OnOption(uint8_t verb, uint8_t option) = 0;
    /* body[0] is the option; IAC doubling already undone. */
    virtual void OnSubnegotiation(const uint8_t* body, size_t n) = 0;
};

/* Splits a received byte stream into data, negotiation and subnegotiations.
 * Bytes may arrive in any pieces: the state carries over between calls. A
 * subnegotiation longer than kMaxSubnegotiation is dropped whole, since no
 * option this port speaks needs more. */
class TelnetDecoder {
public:
    enum { kMaxSubnegotiation = 64 };
    TelnetDecoder() : state_(kData), subLength_(0), subOverflow_(false) {}
    void Feed(const uint8_t* in, size_t n, TelnetSink& sink);

private:
    enum State { kData, kCommand, kOptionByte, kSub, kSubIac };
    void EndSubnegotiation(TelnetSink& sink);
    State state_;
    uint8_t verb_;
    uint8_t sub_[kMaxSubnegotiation];
    size_t subLength_;
    bool subOverflow_;
};

}  // namespace qvcomm

#endif
