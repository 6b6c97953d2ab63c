#include "modem_fixture.h"

namespace modemsim {
namespace {

constexpr Micros kSecond = 1000000;

// What the terminal reads for each outcome of a call at each X level.
const CallOutcome kOutcomes[] = {CallOutcome::Busy, CallOutcome::NoDialTone, CallOutcome::NoAnswer,
                                 CallOutcome::NoCarrier, CallOutcome::Connect};
const char* const kRepliesAtX[5][5] = {
    {"NO CARRIER", "NO CARRIER", "NO CARRIER", "NO CARRIER", "CONNECT"},
    {"NO CARRIER", "NO CARRIER", "NO ANSWER", "NO CARRIER", "CONNECT 115200"},
    {"NO CARRIER", "NO DIALTONE", "NO ANSWER", "NO CARRIER", "CONNECT 115200"},
    {"BUSY", "NO CARRIER", "NO ANSWER", "NO CARRIER", "CONNECT 115200"},
    {"BUSY", "NO DIALTONE", "NO ANSWER", "NO CARRIER", "CONNECT 115200"},
};

TEST(Dialling, OutcomesDependOnTheXLevel) {
    for (int x = 0; x < 5; x++)
        for (int o = 0; o < 5; o++) {
            ModemDriver d;
            d.modem.setDteSpeed(115200);
            d.send("ATE0X" + std::to_string(x) + "\rATDT5550100\r");
            ASSERT_EQ(d.modem.mode(), Mode::Dialling);
            EXPECT_EQ(escapeBytes(d.outcome(kOutcomes[o])), escapeBytes("\r\n" + std::string(kRepliesAtX[x][o]) + "\r\n"))
                << "X" << x << ", outcome " << o;
            EXPECT_EQ(d.modem.mode(), o == 4 ? Mode::Online : Mode::Command) << "X" << x << ", outcome " << o;
        }
}

TEST(Dialling, ConnectTextFollowsWAndV) {
    const struct { const char* setup; const char* reply; } cases[] = {
        {"ATE0W0\r", "\r\nCONNECT 38400\r\n"},                          // the terminal's speed
        {"ATE0W1\r", "\r\nCONNECT 28800/ARQ/V34/LAPM/V42BIS\r\n"},      // the line's, with protocol
        {"ATE0W2\r", "\r\nCONNECT 28800\r\n"},
        {"ATE0V0W2\r", "1\r"},                                          // no code for 28800 recorded
        {"ATE0V0X0\r", "1\r"},
    };
    for (const auto& c : cases) {
        ModemDriver d(testPersona("usr-sportster-288"));
        d.modem.setDteSpeed(38400);
        d.send(c.setup);
        d.send("ATD1\r");
        EXPECT_EQ(escapeBytes(d.outcome(CallOutcome::Connect)), escapeBytes(c.reply)) << c.setup;
    }
}

TEST(Dialling, SemicolonSendsTheNumberInPieces) {
    ModemDriver d;
    EXPECT_EQ(d.send("ATE0\rATDT1-800;\r"), "ATE0\r\r\nOK\r\n\r\nOK\r\n");
    EXPECT_EQ(d.modem.mode(), Mode::Command);
    EXPECT_EQ(d.send("ATDT555;\r"), "\r\nOK\r\n");
    EXPECT_TRUE(d.actions.empty());
    EXPECT_EQ(d.send("ATDT0199\r"), "");
    ASSERT_EQ(d.actions.size(), 1u);
    EXPECT_EQ(d.actions[0].kind, Action::Dial);
    EXPECT_EQ(dialDigits(d.actions[0].number), "18005550199");
    EXPECT_EQ(d.modem.mode(), Mode::Dialling);

    // Hanging up forgets the pieces; DL dials the last whole number again.
    d.outcome(CallOutcome::Busy);
    d.send("ATD9;H\r");
    d.actions.clear();
    d.send("ATDL\r");
    ASSERT_EQ(d.actions.size(), 1u);
    EXPECT_EQ(dialDigits(d.actions[0].number), "18005550199");
}

TEST(Dialling, PausesTakeS8SecondsEach) {
    ModemDriver d;
    d.send("ATS8=3D9,,5550199\r");
    ASSERT_EQ(d.actions.size(), 1u);
    EXPECT_EQ(d.actions[0].pauseMs, 6000);
}

TEST(Dialling, AKeyAbandonsTheCall) {
    ModemDriver d;
    d.send("ATE0\rATD5550100\r\n");  // the LF after the command is not a key
    EXPECT_EQ(d.modem.mode(), Mode::Dialling);
    EXPECT_EQ(d.send("\r"), "\r\nNO CARRIER\r\n");
    EXPECT_EQ(d.modem.mode(), Mode::Command);
    EXPECT_EQ(d.actions.back().kind, Action::HangUp);
    EXPECT_EQ(d.outcome(CallOutcome::Connect), "");  // too late: nobody is waiting
}

// Drives a connected modem with "+++" at chosen times (ms after the
// connection), and says whether it went to command mode.
bool escapes(std::vector<std::pair<int, char>> bytes, int quietUntilMs, const char* setup = "ATE0\r") {
    ModemDriver d;
    d.send(setup);
    d.send("ATD1\r");
    d.outcome(CallOutcome::Connect);
    std::string said;
    for (auto& b : bytes) said += d.send(std::string(1, b.second), b.first * 1000);
    said += d.at(quietUntilMs * 1000);
    bool escaped = d.modem.mode() == Mode::OnlineCommand;
    EXPECT_EQ(said, escaped ? "\r\nOK\r\n" : "");
    EXPECT_EQ(d.remote.size(), bytes.size());  // every byte travelled on, '+' included
    return escaped;
}

TEST(Escape, NeedsGuardTimeBeforeAndAfter) {
    // Default S12=50: one second of quiet before, 1 s at most between, one second after.
    EXPECT_TRUE(escapes({{1000, '+'}, {1100, '+'}, {1200, '+'}}, 2200));
    EXPECT_FALSE(escapes({{1000, '+'}, {1100, '+'}, {1200, '+'}}, 2100));           // not quiet long enough after
    EXPECT_FALSE(escapes({{500, 'x'}, {1000, '+'}, {1100, '+'}, {1200, '+'}}, 3000)); // data just before
    EXPECT_FALSE(escapes({{1000, '+'}, {1100, '+'}, {1200, '+'}, {1300, '+'}}, 3000)); // four are data
    EXPECT_FALSE(escapes({{1000, '+'}, {2100, '+'}, {2200, '+'}}, 4000));           // too far apart
    EXPECT_TRUE(escapes({{400, '+'}, {410, '+'}, {420, '+'}}, 630, "ATE0S12=10\r"));  // 200 ms guard
    EXPECT_TRUE(escapes({{1, '+'}, {2, '+'}, {3, '+'}}, 3, "ATE0S12=0\r"));          // no timing at all
    EXPECT_TRUE(escapes({{1000, '-'}, {2000, '-'}, {3000, '-'}}, 4000, "ATE0S2=45\r"));
    EXPECT_FALSE(escapes({{1000, '+'}, {1100, '+'}, {1200, '+'}}, 4000, "ATE0S2=200\r"));  // S2 > 127: off
}

TEST(Escape, CommandModeHoldsTheCallUntilOOrH) {
    ModemDriver d;
    d.send("ATE0\rATD1\r");
    d.outcome(CallOutcome::Connect);
    d.send("+++", 2 * kSecond);
    d.at(4 * kSecond);
    EXPECT_TRUE(d.modem.carrierDetect());
    EXPECT_EQ(d.send("ATO\r"), "\r\nCONNECT 33600\r\n");
    EXPECT_EQ(d.modem.mode(), Mode::Online);
    d.send("+++", 6 * kSecond);
    d.at(8 * kSecond);
    EXPECT_EQ(d.send("ATH\r"), "\r\nOK\r\n");
    EXPECT_EQ(d.actions.back().kind, Action::HangUp);
    EXPECT_FALSE(d.modem.carrierDetect());
}

TEST(ModemLines, DtrDropFollowsAndDAndCarrierFollowsAndC) {
    const struct { int d; Mode after; const char* said; bool hungUp; } cases[] = {
        {0, Mode::Online, "", false},
        {1, Mode::OnlineCommand, "\r\nOK\r\n", false},
        {2, Mode::Command, "\r\nNO CARRIER\r\n", true},
        {3, Mode::Command, "", true},
    };
    for (const auto& c : cases) {
        ModemDriver d;
        d.send("ATE0&D" + std::to_string(c.d) + "\rATD1\r");
        d.outcome(CallOutcome::Connect);
        ModemOutput out;
        d.modem.dtrChanged(false, d.now, out);
        d.take(out);
        EXPECT_EQ(d.modem.mode(), c.after) << "&D" << c.d;
        EXPECT_EQ(out.toDte, c.said) << "&D" << c.d;
        EXPECT_EQ(!d.actions.empty() && d.actions.back().kind == Action::HangUp, c.hungUp) << "&D" << c.d;
    }
    ModemDriver d;
    EXPECT_FALSE(d.modem.carrierDetect());
    d.send("AT&C0\r");
    EXPECT_TRUE(d.modem.carrierDetect());
}

TEST(ModemLines, ClosingThePortEndsTheCallWhateverAndDSays) {
    ModemDriver d;
    d.send("ATE0&D0\rATD1\r");
    d.outcome(CallOutcome::Connect);
    ModemOutput out;
    d.modem.terminalGone(d.now, out);
    d.take(out);
    EXPECT_EQ(d.modem.mode(), Mode::Command);
    EXPECT_EQ(d.actions.back().kind, Action::HangUp);
    d.send("ATI");  // half a line, then the port closes: the next terminal starts afresh
    d.modem.terminalGone(d.now, out);
    EXPECT_EQ(d.send("ATI0\r"), "\r\n33600\r\n\r\nOK\r\n");
}

}  // namespace
}  // namespace modemsim
