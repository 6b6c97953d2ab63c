#include "telnet.h"

namespace qvcomm {

void AppendEscaped(Bytes& out, const uint8_t* data, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        out.push_back(data[i]);
        if (data[i] == kIac)
            out.push_back(kIac);
    }
}

void AppendOption(Bytes& out, uint8_t verb, uint8_t option)
{
    const uint8_t cmd[3] = {kIac, verb, option};
    Append(out, cmd, 3);
}

void AppendSubnegotiation(Bytes& out, uint8_t option, const uint8_t* body, size_t n)
{
    const uint8_t head[3] = {kIac, kSb, option};
    const uint8_t tail[2] = {kIac, kSe};
    Append(out, head, 3);
    AppendEscaped(out, body, n);
    Append(out, tail, 2);
}

void TelnetDecoder::EndSubnegotiation(TelnetSink& sink)
{
    if (!subOverflow_ && subLength_ > 0)
        sink.OnSubnegotiation(sub_, subLength_);
    subLength_ = 0;
    subOverflow_ = false;
}

void TelnetDecoder::Feed(const uint8_t* in, size_t n, TelnetSink& sink)
{
    size_t i = 0;
    while (i < n) {
        uint8_t b = in[i];
        switch (state_) {
        case kData: {
            /* Hand over the longest run of plain data in one call. */
            size_t run = i;
            while (run < n && in[run] != kIac)
                ++run;
            if (run > i)
                sink.OnData(in + i, run - i);
            if (run < n)
                state_ = kCommand;
            i = run + 1;
            continue;
        }
        case kCommand:
            if (b == kIac) {
                sink.OnData(&b, 1);
                state_ = kData;
            } else if (b >= kWill && b <= kDont) {
                verb_ = b;
                state_ = kOptionByte;
            } else if (b == kSb) {
                subLength_ = 0;
                subOverflow_ = false;
                state_ = kSub;
            } else {
                state_ = kData; /* NOP, GA, a stray SE and the like carry nothing */
            }
            break;
        case kOptionByte:
            sink.OnOption(verb_, b);
            state_ = kData;
            break;
        case kSub:
            if (b == kIac) {
                state_ = kSubIac;
            } else if (subLength_ < kMaxSubnegotiation) {
                sub_[subLength_++] = b;
            } else {
                subOverflow_ = true;
            }
            break;
        case kSubIac:
            if (b == kSe) {
                EndSubnegotiation(sink);
                state_ = kData;
            } else if (b == kIac) {
                if (subLength_ < kMaxSubnegotiation)
                    sub_[subLength_++] = b;
                else
                    subOverflow_ = true;
                state_ = kSub;
            } else {
                /* A peer that forgot IAC SE: end the subnegotiation there and
                 * read this byte as the command it starts. */
                EndSubnegotiation(sink);
                state_ = kCommand;
                continue;
            }
            break;
        }
        ++i;
    }
}

}  // namespace qvcomm
