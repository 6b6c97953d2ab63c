// The Telnet and RFC 2217 framing a redirected port speaks, checked against
// byte sequences written out from the protocols' definitions.
#include <gtest/gtest.h>

#include "comport_client.h"

using namespace qvcomm;

namespace {

Bytes B(std::initializer_list<int> bytes)
{
    Bytes out;
    for (int b : bytes)
        out.push_back(static_cast<uint8_t>(b));
    return out;
}

struct Recorder : TelnetSink {
    Bytes data;
    std::vector<std::pair<int, int>> options;
    std::vector<Bytes> subs;
    void OnData(const uint8_t* d, size_t n) override { data.insert(data.end(), d, d + n); }
    void OnOption(uint8_t verb, uint8_t opt) override { options.push_back({verb, opt}); }
    void OnSubnegotiation(const uint8_t* body, size_t n) override { subs.push_back(Bytes(body, body + n)); }
};

// A stream mixing data, a doubled IAC, an option and a subnegotiation with a
// doubled IAC inside decodes the same whether fed whole or a byte at a time.
TEST(TelnetDecoder, SplitsStreamAtAnyBoundary)
{
    const Bytes stream = B({'A', 255, 255, 'B', 255, kWill, 44, 'C', 255, kSb, 44, 101, 255, 255,
                            255, kSe, 255, kNop, 'D'});
    for (size_t piece : {stream.size(), size_t(1), size_t(2), size_t(5)}) {
        Recorder r;
        TelnetDecoder d;
        for (size_t i = 0; i < stream.size(); i += piece)
            d.Feed(stream.data() + i, std::min(piece, stream.size() - i), r);
        EXPECT_EQ(B({'A', 255, 'B', 'C', 'D'}), r.data) << "piece " << piece;
        ASSERT_EQ(1u, r.options.size());
        EXPECT_EQ(kWill, r.options[0].first);
        ASSERT_EQ(1u, r.subs.size());
        EXPECT_EQ(B({44, 101, 255}), r.subs[0]);
    }
}

TEST(TelnetDecoder, DropsOversizedAndUnterminatedSubnegotiations)
{
    Recorder r;
    TelnetDecoder d;
    Bytes big = B({255, kSb, 44});
    big.insert(big.end(), 200, 7);
    Bytes tail = B({255, kSe, 'x', 255, kSb, 44, 107, 0x80, 255, kWill, 1, 'y'});
    big.insert(big.end(), tail.begin(), tail.end());
    d.Feed(big.data(), big.size(), r);
    EXPECT_EQ(B({'x', 'y'}), r.data);
    // the one without IAC SE still ends at the next command and is delivered
    ASSERT_EQ(1u, r.subs.size());
    EXPECT_EQ(B({44, 107, 0x80}), r.subs[0]);
    EXPECT_EQ(1u, r.options.size());
}

TEST(ComPortClient, OpensWithOptionsModemMaskAndRaisedLines)
{
    ComPortClient c;
    c.Start();
    EXPECT_EQ(B({255, kWill, 44, 255, kWill, 0, 255, kDo, 0, 255, kWill, 3, 255, kDo, 3,
                 255, kSb, 44, 11, 0x88, 255, kSe,
                 255, kSb, 44, 5, 8, 255, kSe,
                 255, kSb, 44, 5, 11, 255, kSe}),
              c.Outgoing());
}

TEST(ComPortClient, EncodesSettingsAndEscapesData)
{
    ComPortClient c;
    c.SetBaudRate(115200);                 // 0x0001C200, network order
    c.SendCommand(kCpSetParity, ParityValue('e'));
    c.SendCommand(kCpPurgeData, kPurgeBoth);
    const uint8_t data[] = {'A', 255, 'T'};
    c.SendData(data, 3);
    EXPECT_EQ(B({255, kSb, 44, 1, 0x00, 0x01, 0xC2, 0x00, 255, kSe,
                 255, kSb, 44, 3, 3, 255, kSe,
                 255, kSb, 44, 12, 3, 255, kSe,
                 'A', 255, 255, 'T'}),
              c.Outgoing());
    // A baud rate containing 255 bytes must have them doubled inside the subnegotiation.
    ComPortClient d;
    d.SetBaudRate(0x0000FF00);
    EXPECT_EQ(B({255, kSb, 44, 1, 0, 0, 255, 255, 0, 255, kSe}), d.Outgoing());
}

TEST(ComPortClient, TracksRepliesModemStateAndNegotiation)
{
    ComPortClient c;
    c.SetBaudRate(19200);
    c.SendCommand(kCpSetDataSize, 8);
    EXPECT_TRUE(c.Awaiting(kCpSetBaudRate));
    EXPECT_EQ(ComPortClient::kUnanswered, c.ComPort());
    EXPECT_FALSE(c.ModemStateKnown());
    c.Outgoing().clear();

    const Bytes in = B({255, kDo, 44, 255, kSb, 44, 101, 0, 0, 0x4B, 0, 255, kSe, 'h', 'i',
                        255, kSb, 44, 107, 0xB0, 255, kSe, 255, kDo, 24, 255, kWill, 1});
    c.Receive(in.data(), in.size());
    EXPECT_EQ(ComPortClient::kAccepted, c.ComPort());
    EXPECT_FALSE(c.Awaiting(kCpSetBaudRate));
    EXPECT_EQ(19200u, c.Confirmed(kCpSetBaudRate));
    EXPECT_TRUE(c.Awaiting(kCpSetDataSize));
    ASSERT_TRUE(c.ModemStateKnown());
    EXPECT_EQ(0xB0, c.ModemState());
    EXPECT_EQ(B({'h', 'i'}), c.Incoming());
    // Unwanted options are refused once; nothing is said about accepted ones.
    EXPECT_EQ(B({255, kWont, 24, 255, kDont, 1}), c.Outgoing());

    // Only the answer to the last SET-CONTROL sent counts for it.
    c.SendCommand(kCpSetControl, kDtrOn);
    c.SendCommand(kCpSetControl, kFlowHardware);
    const Bytes late = B({255, kSb, 44, 105, kDtrOn, 255, kSe});
    c.Receive(late.data(), late.size());
    EXPECT_TRUE(c.Awaiting(kCpSetControl));
    const Bytes flow = B({255, kSb, 44, 105, kFlowHardware, 255, kSe});
    c.Receive(flow.data(), flow.size());
    EXPECT_FALSE(c.Awaiting(kCpSetControl));

    const Bytes refuse = B({255, kDont, 44, 255, kSb, 44, 107, 0x30, 255, kSe});
    c.Receive(refuse.data(), refuse.size());
    EXPECT_EQ(ComPortClient::kRefused, c.ComPort());
    EXPECT_EQ(0x30, c.ModemState());
}

// A server that refuses binary mode gets Telnet's CR NUL and sends it back;
// data keeps its bare CR both ways. Binary servers see the bytes unchanged.
TEST(ComPortClient, FallsBackToCrNulWhenBinaryIsRefused)
{
    const uint8_t line[] = {'A', 'T', '\r'};
    ComPortClient binary;
    binary.SendData(line, 3);
    EXPECT_EQ(B({'A', 'T', '\r'}), binary.Outgoing());
    const Bytes echo = B({'O', 'K', '\r', 0, '\r', '\n'});
    binary.Receive(echo.data(), echo.size());
    EXPECT_EQ(echo, binary.Incoming());

    ComPortClient plain;
    const Bytes refusal = B({255, kDont, 0, 255, kWont, 0});
    plain.Receive(refusal.data(), refusal.size());
    plain.SendData(line, 3);
    EXPECT_EQ(B({'A', 'T', '\r', 0}), plain.Outgoing());
    plain.Receive(echo.data(), echo.size());
    EXPECT_EQ(B({'O', 'K', '\r', '\r', '\n'}), plain.Incoming());
}

TEST(ParseHostPort, AcceptsHostColonPortOnly)
{
    std::string host;
    uint16_t port = 0;
    EXPECT_TRUE(ParseHostPort("127.0.0.1:7000", host, port));
    EXPECT_EQ("127.0.0.1", host);
    EXPECT_EQ(7000, port);
    EXPECT_TRUE(ParseHostPort(" modems.local:2217 ", host, port));
    EXPECT_EQ("modems.local", host);
    for (const char* bad : {"127.0.0.1", ":7000", "host:", "host:0", "host:65536", "host:70x"})
        EXPECT_FALSE(ParseHostPort(bad, host, port)) << bad;
}

}  // namespace
