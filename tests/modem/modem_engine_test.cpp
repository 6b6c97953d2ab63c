// The AT command engine against a scripted modem, from tables of replies
// real modems give.
#include <gtest/gtest.h>

#include <vector>

#include "modem_ident.h"
#include "scripted_modem.h"

namespace {

struct Engine : ::testing::Test {
    ScriptedModem modem;
    ModemLinkState state{};
    ModemEngine engine{modem, state};

    void SetUp() override
    {
        ModemEngine::itemsArm = ModemEngine::stringsArm = ModemEngine::callArm = {};
        modem = ScriptedModem();
        strcpy(state.prefix, "AT");
        state.maxLine = 40;
        const char* replies[] = {"OK", "CONNECT", "NO CARRIER", "ERROR", "NO DIALTONE",
                                 "BUSY", "NO ANSWER", "VOICE", "DELAYED"};
        for (int i = 0; i < 9; ++i)
            modem.items[116 + i] = replies[i];
        modem.items[101] = "Connect";  // speaker on until connect: item 142
        modem.items[142] = "M1";
        modem.items[102] = "medium";   // item 133
        modem.items[133] = "L2";
        modem.items[105] = "All";      // item 130
        modem.items[130] = "X4";
        modem.items[125] = "DT";
        modem.items[114] = "ATH0";
    }
    int WaitFor(std::vector<const char*> replies, unsigned long flags = ModemFlags::BulkRead,
                unsigned long timeout = 3000)
    {
        return engine.WaitForStrings(flags, timeout, replies.data(), static_cast<int>(replies.size()));
    }
};

struct ReplyCase {
    const char* name;
    std::vector<std::string> reads;    // arriving 10 ms apart
    std::vector<const char*> replies;
    unsigned long flags;
    int expected;
};

TEST_F(Engine, RepliesAreFoundInWhatRealModemsSend)
{
    const unsigned long bulk = ModemFlags::BulkRead;
    const ReplyCase cases[] = {
        {"split across reads", {"\r\nO", "K\r\n"}, {"OK", "ERROR"}, bulk, 0},
        {"split, one char a read", {"\r\nO", "K\r\n"}, {"OK", "ERROR"}, 0, 0},
        {"echo left on despite E0", {"ATE0V1\r\r\nOK\r\n"}, {"OK", "ERROR"}, bulk, 0},
        {"error after other text", {"\r\nERR0R\r\nERROR\r\n"}, {"OK", "ERROR"}, bulk, 1},
        {"protocol suffix", {"\r\nCONNECT 28800/ARQ/V34/LAPM/V42BIS\r\n"},
         {"OK", "CONNECT", "NO CARRIER"}, bulk, 1},
        {"numeric V0 OK", {"0\r"}, {"0^M", "4^M"}, bulk, 0},
        {"numeric V0 ERROR", {"4\r"}, {"0^M", "4^M"}, bulk, 1},
        {"carets as CR LF", {"OK\r\n"}, {"OK^M^J"}, bulk, 0},
        {"caret at the end", {"A^"}, {"A^"}, bulk, 0},
        {"tenth of ten", {"\r\nJ10\r\n"},
         {"A1", "B2", "C3", "D4", "E5", "F6", "G7", "H8", "I9", "J10"}, bulk, 9},
        {"upper-cased", {"ok\r\n"}, {"OK"}, bulk | ModemFlags::Uppercase, 0},
        {"spaces skipped", {"NO  CAR RIER"}, {"NOCARRIER"}, bulk | ModemFlags::SkipSpaces, 0},
        {"O O K is no OK", {"OOK\r\n"}, {"OK"}, bulk, ModemResult::TimedOut},
        {"binary junk", {std::string("\x00\xff\x4f\x1bK\x80", 6)}, {"OK"}, bulk,
         ModemResult::TimedOut},
    };
    for (const ReplyCase& c : cases) {
        SetUp();
        for (size_t i = 0; i < c.reads.size(); ++i)
            modem.Arrive(10 * (i + 1), c.reads[i]);
        EXPECT_EQ(c.expected, WaitFor(c.replies, c.flags)) << c.name;
    }
}

TEST_F(Engine, WaitsBlockUntilTheDeadlineAndEndOnAbort)
{
    unsigned long start = modem.now;
    EXPECT_EQ(ModemResult::TimedOut, WaitFor({"OK"}, ModemFlags::BulkRead, 3000));
    EXPECT_EQ(start + 3000, modem.now);
    EXPECT_LE(modem.idles, 3000 / 50 + 2) << "a wait with nothing arriving must block, not spin";

    modem.idles = 0;
    modem.onIdle = [this](ScriptedModem& m) { if (m.idles == 5) state.abortRequest = 1; };
    EXPECT_EQ(ModemResult::Cancelled, WaitFor({"OK"}));
    EXPECT_EQ(0, state.abortRequest);
    modem.idles = 0;
    char line[80];
    EXPECT_EQ(ModemResult::Cancelled, engine.ReadLine(ModemFlags::LineCrLf, 3000, line, 80));
}

TEST_F(Engine, PollContinuesTheSeriesAndAnAbandonedOneTimesOut)
{
    modem.Arrive(100, "\r\nOK\r\n");
    const unsigned long poll = ModemFlags::Poll | ModemFlags::BulkRead;
    EXPECT_EQ(ModemResult::Pending, WaitFor({"OK"}, poll, 1000));
    modem.now += 100;
    const char* other[] = {"ERROR"};  // the armed series keeps its own table
    EXPECT_EQ(0, engine.WaitForStrings(poll, 1000, other, 1));

    EXPECT_EQ(ModemResult::Pending, WaitFor({"OK"}, poll, 1000));
    modem.now += 2000;
    EXPECT_EQ(ModemResult::TimedOut, WaitFor({"OK"}, poll, 1000));
    EXPECT_EQ(ModemResult::Pending, WaitFor({"OK"}, poll, 1000)) << "a new series starts";
}

TEST_F(Engine, TheNextLinkStartsItsWaitsAfresh)
{
    // A call-result series abandoned by a Cancel, then the next call's link:
    // where the old one was once it is gone, or elsewhere.
    for (bool samePlace : {true, false}) {
        SetUp();
        EXPECT_EQ(ModemResult::Pending, engine.WaitForCallResult(ModemFlags::Poll, 60000, 0));
        ModemLinkState elsewhere = state;
        if (samePlace)
            ModemEngine::ForgetLink(state);
        ModemEngine next{modem, samePlace ? state : elsewhere};
        modem.Arrive(10, "\r\nOK\r\n");
        EXPECT_EQ(ModemResult::Ok, next.SendCommand(ModemFlags::WaitResult, 3000, "AT&F"));
        modem.Arrive(10, "\r\nCONNECT 28800\r\n");
        EXPECT_EQ(ModemResult::Connect, next.WaitForCallResult(0, 60000, 0)) << samePlace;
    }
}

TEST_F(Engine, ReadLineEndsAtTheChosenLineEnd)
{
    struct Case { const char* input; unsigned long flags; int result; const char* line; } cases[] = {
        {"OK\rNEXT\n", ModemFlags::LineCr, ModemResult::Ok, "OK\r"},
        {"OK\rNX\n", ModemFlags::LineLf, ModemResult::Ok, "OK\rNX\n"},
        {"A\nB\r\n", ModemFlags::LineCrLf, ModemResult::Ok, "A\nB\r\n"},
        {"ABCDEFGHIJ", ModemFlags::LineCrLf, ModemResult::TimedOut, ""},
        {"RING 123456789\r\n", ModemFlags::LineCrLf, ModemResult::Ok, "RING 12"},
    };
    for (const Case& c : cases) {
        SetUp();
        modem.Arrive(1, c.input);
        char out[8] = "xxxxxxx";
        EXPECT_EQ(c.result, engine.ReadLine(c.flags, 1000, out, sizeof out)) << c.input;
        EXPECT_STREQ(c.line, out) << c.input;
    }
    modem.Arrive(1, std::string(200, 'x'));  // endless output ends at 60 characters
    char out[80];
    EXPECT_EQ(ModemResult::TimedOut, engine.ReadLine(ModemFlags::LineCrLf, 60000, out, 80));
    EXPECT_EQ(200u - 60u, modem.arrived.size());

    modem.arrived.clear();
    modem.items[159] = "RING^M";
    modem.Arrive(1, "RING\r\n");
    EXPECT_EQ(ModemResult::Ok, engine.ReadLine(ModemFlags::LineCrLf | ModemFlags::Watch, 1000, out, 80));
    EXPECT_EQ(1, modem.watched);
}

TEST_F(Engine, CommandsAreCutToTheMaximumLineLength)
{
    modem.answer = [](const std::string&) { return std::string("\r\nOK\r\n"); };
    state.maxLine = 12;
    const char* texts[] = {"E0V1", "Q0X4", "&C1&D2", "S0=0"};
    const unsigned long flags = ModemFlags::Prefix | ModemFlags::Terminate | ModemFlags::WaitResult;
    EXPECT_EQ(ModemResult::Ok, engine.SendStrings(flags, 1000, texts, 4));
    EXPECT_EQ("ATE0V1Q0X4\rAT&C1&D2\rATS0=0\r", modem.sent);

    modem.sent.clear();
    const char* tooLong[] = {"&F&C1&D2S7=60"};  // alone on its line, never an empty one
    EXPECT_EQ(ModemResult::Ok, engine.SendStrings(flags, 1000, tooLong, 1));
    EXPECT_EQ("AT&F&C1&D2S7=60\r", modem.sent);

    modem.sent.clear();
    int items[] = {114, 102};  // the hang-up command carries its own prefix
    EXPECT_EQ(ModemResult::Ok, engine.SendItems(flags, 1000, items, 2));
    EXPECT_EQ("ATH0L2\r", modem.sent);

    modem.sent.clear();
    modem.answer = [](const std::string&) { return std::string("\r\nERROR\r\n"); };
    EXPECT_EQ(ModemResult::Error, engine.SendStrings(flags, 1000, texts, 4));
    EXPECT_EQ("ATE0V1Q0X4\r", modem.sent) << "a failing line stops the rest";

    modem.sendLimit = 3;
    EXPECT_EQ(ModemResult::SendFailed, engine.SendCommand(flags, 1000, "ATZ"));
}

TEST_F(Engine, DialSendsEveryDigitOnceWithinTheLineLength)
{
    const unsigned long flags = ModemFlags::Terminate | ModemFlags::WaitResult;
    EXPECT_EQ(ModemResult::Ok, engine.DialWithLimit(flags, 1000, ""));
    EXPECT_EQ("", modem.sent);

    modem.Arrive(50, "\r\nCONNECT 14400/ARQ\r\n");
    modem.numbers[137] = 1;  // the extra dial command, after the dial method
    modem.items[131] = "W";
    EXPECT_EQ(ModemResult::Connect, engine.DialWithLimit(flags, 60000, "5551234"));
    EXPECT_EQ("ATM1L2X4DTW5551234\r", modem.sent);
    EXPECT_STREQ("CONNECT 14400/ARQ\r\n", state.connectMessage);

    modem.sent.clear();
    modem.answer = [](const std::string& line) {
        return std::string(line[line.size() - 2] == ';' ? "\r\nOK\r\n" : "\r\nBUSY\r\n");
    };
    state.maxLine = 12;
    EXPECT_EQ(ModemResult::Busy, engine.DialWithLimit(flags, 60000, "18005550199123"));
    EXPECT_EQ("ATM1L2X4DTW;\rATDT180055;\rATDT501991;\rATDT23\r", modem.sent);
}

TEST_F(Engine, EachSettingKeywordSelectsItsCommand)
{
    const struct { int item; const char* keyword; int command; } cases[] = {
        {101, "Off", 141}, {101, "on", 143}, {101, "Connect", 142}, {102, "Low", 132},
        {102, "HIGH", 134}, {103, "Slow", 135}, {103, "Normal", 136}, {103, "Fast", 137},
        {104, "Pulse", 126}, {104, "Tone", 125}, {105, "None", 127}, {105, "Tone", 128},
        {105, "Busy", 129}, {105, "Pulse", 130}, {131, "Off", 131},
    };
    for (const auto& c : cases) {
        modem.items[c.item] = c.keyword;
        EXPECT_EQ(c.command, engine.ResolveSettingItem(c.item)) << c.item << " " << c.keyword;
    }
}

TEST_F(Engine, AnUnansweredDialIsAbandonedWithCr)
{
    modem.answer = [](const std::string& line) {
        return std::string(line == "\r" ? "\r\nNO CARRIER\r\n" : "");
    };
    unsigned long start = modem.now;
    EXPECT_EQ(ModemResult::TimedOut, engine.DialWithLimit(ModemFlags::Terminate | ModemFlags::WaitResult, 5000, "5551234"));
    EXPECT_EQ("ATM1L2X4DT5551234\r\r", modem.sent);
    EXPECT_LT(modem.now - start, 6100ul) << "NO CARRIER ends the abandon wait";
}

TEST_F(Engine, EachDialReplyHasItsCallResult)
{
    struct Case { const char* reply; int result; } cases[] = {
        {"OK", ModemResult::Ok}, {"CONNECT", ModemResult::Connect},
        {"NO CARRIER", ModemResult::NoCarrier}, {"ERROR", ModemResult::Error},
        {"NO DIALTONE", ModemResult::NoDialTone}, {"BUSY", ModemResult::Busy},
        {"NO ANSWER", ModemResult::NoAnswer}, {"VOICE", ModemResult::OtherFailure},
        {"DELAYED", ModemResult::OtherFailure},
    };
    for (const Case& c : cases) {
        SetUp();
        modem.Arrive(50, std::string("\r\n") + c.reply + "\r\n");
        EXPECT_EQ(c.result, engine.WaitForCallResult(0, 60000, 1)) << c.reply;
        EXPECT_EQ("", modem.sent) << c.reply << ": an answered dial is not abandoned";
    }
}

TEST_F(Engine, HangUpDropsDtrThenEscapesOnlyWhileTheCarrierHolds)
{
    const unsigned long flags = ModemFlags::WaitResult | ModemFlags::Prefix |
                                ModemFlags::Terminate | ModemFlags::FlushReceive |
                                ModemFlags::BulkRead | ModemFlags::LineCrLf | ModemFlags::Poll;
    // (carrier, DTR drops it, answers +++, hang-up reply, sent, ms taken, result)
    struct Case {
        bool carrier, dtrDrops, escapeOk;
        const char* hangUpReply;
        const char* sent;
        unsigned long ms;
        bool ok;
    } cases[] = {
        {false, false, true, "OK", "ATH0\r", 5, true},
        {true, true, true, "OK", "<dtr off><dtr on>ATH0\r", 1505, true},
        {true, false, true, "OK", "<dtr off><dtr on>+++ATH0\r", 3510, true},
        {true, false, false, "OK", "<dtr off><dtr on>+++ATH0\r", 6505, true},
        {false, false, true, "ERROR", "ATH0\r", 5, false},
        {false, false, true, "", "ATH0\r", 3000, false},
    };
    for (const Case& c : cases) {
        SetUp();
        modem.carrier = c.carrier;
        modem.dtrDropsCarrier = c.dtrDrops;
        std::vector<unsigned long> plus;
        modem.answer = [&](const std::string& line) {
            if (line == "+")
                plus.push_back(modem.now);
            if (line == "+" && plus.size() == 3)
                return std::string(c.escapeOk ? "\r\nOK\r\n" : "");
            if (line == "ATH0\r" && *c.hangUpReply)
                return "\r\n" + std::string(c.hangUpReply) + "\r\n";
            return std::string();
        };
        const unsigned long start = modem.now;
        SCOPED_TRACE(c.sent);
        EXPECT_EQ(c.ok, engine.HangUp(flags, 3000));
        EXPECT_EQ(c.sent, modem.sent);
        EXPECT_EQ(c.ms, modem.now - start);
        if (plus.size() == 3)
            EXPECT_EQ((std::vector<unsigned long>{start + 1500, start + 2500, start + 3500}), plus)
                << "a second of guard time around each +";
    }
}

TEST_F(Engine, CollectReplyKeepsWithinItsBuffer)
{
    modem.Arrive(1, "\r\nSportster 28800\r\nOK\r\nMORE");
    char buffer[64];
    int items[] = {116, 119};
    EXPECT_EQ(21, engine.CollectReply(0, 3000, buffer, 64, items, 2));
    TrimToFirstLine(buffer);
    EXPECT_STREQ("Sportster 28800", buffer);

    modem.Arrive(1, std::string(100, 'x'));
    char small[9] = {};
    EXPECT_EQ(7, engine.CollectReply(0, 3000, small, 8, items, 2));
    EXPECT_EQ('\0', small[8 - 1]);
}

TEST(ReplyText, TrimKeepsTheFirstLine)
{
    struct Case { const char* in; const char* out; } cases[] = {
        {"\r\nUSRobotics\r\nOK\r\n", "USRobotics"}, {"\n\n\nX", "\nX"}, {"", ""},
        {"\rA\rB", "A"}, {"NO CR", "NO CR"},
    };
    for (const Case& c : cases) {
        char text[32];
        strcpy(text, c.in);
        TrimToFirstLine(text);
        EXPECT_STREQ(c.out, text) << c.in;
    }
}

}  // namespace

namespace {

TEST(Identify, FirstPassByOwnCommandThenByManufacturer)
{
    // Answers to AT+FMFR?, ATI3 and the models' own commands (index 2).
    const char* answers[] = {"ROCKWELL", "V1.300-AS29", "Sportster 28800 Fax Settings..."};
    std::vector<ModelIdentity> models = {
        {"Boca 14.4", "", "V1.300", 1},     {"Sportster", "USRobotics", "Sportster 28800", 2},
        {"Rockwell A", "ROCKWELL", "", 0}, {"Rockwell B", "ROCKWELL", "RC144", 2},
        {"Lower case", "", "sportster", 2},
    };
    const char* names[kMostCandidates];
    ASSERT_EQ(2, IdentifyModels(models.data(), 5, answers, 3, names));
    EXPECT_STREQ("Boca 14.4", names[0]);
    EXPECT_STREQ("Sportster", names[1]);

    const char* silent[] = {"ROCKWELL", "OK", ""};  // the second pass, by manufacturer
    ASSERT_EQ(2, IdentifyModels(models.data(), 5, silent, 3, names));
    EXPECT_STREQ("Rockwell A", names[0]);
    EXPECT_STREQ("Rockwell B", names[1]);

    std::vector<ModelIdentity> many(20, ModelIdentity{"same", "", "V1", 1});
    EXPECT_EQ(17, IdentifyModels(many.data(), 20, answers, 3, names));
}

}  // namespace
