// The simulator program end to end: through its pty or its RFC 2217 port,
// with a tiny host on loopback taking the calls.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "sim_process.h"
#include "words.h"

namespace modemsim {
namespace {

std::string tempPath(const char* name) {
    return std::string(testing::TempDir()) + "/" + name + "." + std::to_string(getpid());
}

std::string readFile(const std::string& path) {
    std::ifstream f(path);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

// The terminal of a simulator, with echo turned off.
Peer quietTerminal(const SimProcess& sim) {
    Peer t = Peer::openPty(sim.where);
    EXPECT_TRUE(t.ok()) << sim.where;
    t.send("ATE0\r");
    EXPECT_EQ(t.readUntil("OK\r\n", 2000), "ATE0\r\r\nOK\r\n");
    return t;
}

TEST(Simulator, PhoneBookOutcomesAndTranscript) {
    std::string transcript = tempPath("outcomes.log");
    TinyHost host([](Peer& call) { call.readFor(3000); });
    // Which reply each outcome gives is the interpreter's (Dialling tests).
    SimProcess sim({"--transcript", transcript, "--dial", "555-0101=busy,delay=20",
                    "--dial", "555-0104=nocarrier,delay=20", "--dial", "1-800-555-0199=" + host.address(),
                    "--dial", "555-0105=127.0.0.1:1,delay=20", "--dial-time", "50"});
    Peer t = quietTerminal(sim);
    t.send("ATX4S7=1\r");
    EXPECT_EQ(escapeBytes(t.readUntil("OK\r\n", 2000)), "\\r\\nOK\\r\\n");
    const std::pair<const char*, const char*> calls[] = {
        {"ATDT555-0101\r", "\r\nBUSY\r\n"},
        {"ATDT555-0104\r", "\r\nNO CARRIER\r\n"},
        {"ATDT555-0105\r", "\r\nNO CARRIER\r\n"},   // nobody listens at the host address
        {"ATDT777\r", "\r\nNO CARRIER\r\n"},        // not in the book: no carrier within S7
        {"ATW1DT9,1-800-555-0199\r", "\r\nCONNECT 33600/ARQ/V34/LAPM/V42BIS\r\n"},
    };
    for (const auto& c : calls) {
        t.send(c.first);
        EXPECT_EQ(escapeBytes(t.readUntil(c.second, 3000)), escapeBytes(c.second)) << c.first;
    }
    t.closeNow();  // the terminal closing the port hangs up
    usleep(200000);
    std::string log = readFile(transcript);
    EXPECT_NE(log.find(" dte-in \"ATDT555-0101\\r\"\n"), std::string::npos) << log;
    EXPECT_NE(log.find(" event \"dial \\\"T9,1-800-555-0199\\\": connect"), std::string::npos) << log;
    EXPECT_NE(log.find(" event \"terminal closed the port\""), std::string::npos) << log;
    double last = 0;
    for (std::istringstream lines(log); std::getline(lines, log);) {
        double at = std::stod(log);
        EXPECT_GE(at, last) << log;
        last = at;
    }
    std::remove(transcript.c_str());
}

TEST(Simulator, DataModeIsPacedAtTheLineSpeedAndEscapes) {
    const size_t kBurst = 3600;  // 1.25 s at 28800 bit/s
    std::string fromTerminal;
    TinyHost host([&](Peer& call) {
        call.send(std::string(kBurst, 'h'));
        fromTerminal = call.readUntil("bye", 8000);
        call.readFor(8000);  // until the modem hangs up
    });
    std::string transcript = tempPath("paced.log");
    SimProcess sim({"--speed", "28800", "--transcript", transcript, "--dial", "5550199=" + host.address() + ",delay=10"});
    Peer t = quietTerminal(sim);
    t.send("ATS12=10D5550199\r");
    const std::string connect = "\r\nCONNECT 115200\r\n";  // W0: the terminal's speed
    std::string burst = t.readUntil(connect, 3000);
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(burst.substr(0, connect.size()), connect);
    burst.erase(0, connect.size());
    burst += t.readCount(kBurst - burst.size(), 5000);
    double took = secondsSince(start);
    EXPECT_TRUE(burst == std::string(kBurst, 'h')) << burst.size() << " bytes";
    EXPECT_GT(took, 1.1) << "bytes came faster than the line carries them";
    EXPECT_LT(took, 1.6) << readFile(transcript).substr(0, 3000);

    t.send("+++bye");  // "+++" followed by data is data
    usleep(400000);
    t.send("+++");
    EXPECT_EQ(escapeBytes(t.readUntil("OK\r\n", 2000)), "\\r\\nOK\\r\\n");
    t.send("ATH\r");
    EXPECT_EQ(escapeBytes(t.readUntil("OK\r\n", 2000)), "\\r\\nOK\\r\\n");
    EXPECT_EQ(fromTerminal, "+++bye");
}

TEST(Simulator, HostHangingUpEndsWithNoCarrierAfterItsData) {
    TinyHost host([](Peer& call) { call.send("file\x1a\x1a\x1a"); });
    std::string transcript = tempPath("hangup.log");
    SimProcess sim({"--speed", "1200", "--transcript", transcript, "--dial", "1=" + host.address() + ",delay=10"});
    Peer t = quietTerminal(sim);
    t.send("ATD1\r");
    std::string got = t.readUntil("NO CARRIER\r\n", 3000);
    EXPECT_EQ(escapeBytes(got), "\\r\\nCONNECT 115200\\r\\nfile\\x1a\\x1a\\x1a\\r\\nNO CARRIER\\r\\n");
    std::string log = readFile(transcript);
    size_t first = log.find("event \"host closed\"");
    EXPECT_NE(first, std::string::npos);
    EXPECT_EQ(log.find("event \"host closed\"", first + 1), std::string::npos) << log;
    std::remove(transcript.c_str());
}

TEST(Simulator, ScriptedFaults) {
    TinyHost host([](Peer& call) {
        call.send(std::string(50, 'd'));
        call.readFor(3000);
    });
    SimProcess sim({"--dial", "1=" + host.address() + ",delay=10", "--drop-after", "20", "--noise",
                    "5:\\x15~", "--deaf-after", "2"});
    Peer t = quietTerminal(sim);
    t.send("ATD1\r");
    std::string got = t.readUntil("NO CARRIER\r\n", 3000);
    EXPECT_EQ(escapeBytes(got), escapeBytes("\r\nCONNECT 115200\r\nddddd\x15~ddddddddddddddd\r\nNO CARRIER\r\n"));
    t.send("AT\r");  // the third line: the modem has stopped answering
    EXPECT_EQ(t.readFor(300), "");
}

// The RFC 2217 port: DTR, carrier detect and data through Telnet.
constexpr char IAC = '\xff', SB = '\xfa', SE = '\xf0', WILL = '\xfb', CPO = 44;

std::string comPort(char code, char value) { return {IAC, SB, CPO, code, value, IAC, SE}; }

TEST(Simulator, ComPortCarriesDtrAndCarrierDetect) {
    TinyHost host([](Peer& call) { call.readFor(5000); });
    SimProcess sim({"--rfc2217", "0", "--dial", "1=" + host.address() + ",delay=10"});
    Peer t = Peer::connectTcp(std::stoi(sim.where.substr(sim.where.find(':') + 1)));
    ASSERT_TRUE(t.ok()) << sim.where;
    t.send(std::string{IAC, WILL, CPO} + comPort(5, 8));  // DTR on
    std::string start = t.readUntil(comPort(105, 8), 2000);
    EXPECT_NE(start.find(comPort(107, '\x30')), std::string::npos) << escapeBytes(start);  // DSR, CTS, no CD
    t.send(std::string{IAC, SB, CPO, 1, 0, 0, '\xe1', 0, IAC, SE});  // 57600 baud, reported by W0
    t.send("ATE0&C1&D2D1\r");
    std::string connected = t.readUntil("CONNECT 57600\r\n", 3000);
    EXPECT_NE(connected.find(comPort(107, '\xb8')), std::string::npos) << escapeBytes(connected);  // CD came up
    t.send(comPort(5, 9));  // DTR off: &D2 hangs up
    std::string dropped = t.readUntil("NO CARRIER\r\n", 2000);
    EXPECT_NE(dropped.find("NO CARRIER"), std::string::npos) << escapeBytes(dropped);
    dropped += t.readUntil(comPort(107, '\x38'), 1000);
    EXPECT_NE(dropped.find(comPort(107, '\x38')), std::string::npos) << escapeBytes(dropped);  // CD went down
}

}  // namespace
}  // namespace modemsim
