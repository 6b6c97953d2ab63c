// The RFC 2217 server codec and the phone book.
#include <gtest/gtest.h>

#include "phonebook.h"
#include "telnet_com_port.h"
#include "words.h"

namespace modemsim {
namespace {

std::string b(std::initializer_list<int> bytes) {
    std::string s;
    for (int x : bytes) s += static_cast<char>(x);
    return s;
}
constexpr int IAC = 255, SB = 250, SE = 240, WILL = 251, DO = 253, CPO = 44;

struct Decoded {
    std::string data, reply;
    std::vector<ComPortEvent> events;
};
Decoded decode(TelnetComPort& t, const std::string& in) {
    Decoded d;
    t.decode(in, d.data, d.events, d.reply);
    return d;
}

TEST(ComPortServer, AnswersRequestsWithTheValueInEffect) {
    TelnetComPort t;
    EXPECT_EQ(escapeBytes(t.greeting()),
              escapeBytes(b({IAC, DO, CPO, IAC, WILL, 0, IAC, WILL, 3, IAC, DO, 0})));
    Decoded d = decode(t, b({IAC, WILL, CPO, IAC, WILL, 0}));
    // Already asked for both: no answer loops, only the modem state.
    EXPECT_EQ(escapeBytes(d.reply), escapeBytes(b({IAC, SB, CPO, 107, 0, IAC, SE})));
    EXPECT_TRUE(t.comPortAgreed());

    d = decode(t, b({IAC, SB, CPO, 1, 0, 0, 0x96, 0, IAC, SE}));  // 38400 baud
    EXPECT_EQ(escapeBytes(d.reply), escapeBytes(b({IAC, SB, CPO, 101, 0, 0, 0x96, 0, IAC, SE})));
    ASSERT_EQ(d.events.size(), 1u);
    EXPECT_EQ(d.events[0].kind, ComPortEvent::Baud);
    EXPECT_EQ(d.events[0].value, 38400);

    d = decode(t, b({IAC, SB, CPO, 1, 0, 0, 0, 0, IAC, SE}));  // a query changes nothing
    EXPECT_TRUE(d.events.empty());
    EXPECT_EQ(escapeBytes(d.reply), escapeBytes(b({IAC, SB, CPO, 101, 0, 0, 0x96, 0, IAC, SE})));

    d = decode(t, b({IAC, SB, CPO, 5, 9, IAC, SE, 'A', IAC, IAC, 'T', IAC, SB, CPO, 5, 7, IAC, SE}));
    EXPECT_EQ(d.data, b({'A', 255, 'T'}));
    ASSERT_EQ(d.events.size(), 1u);
    EXPECT_EQ(d.events[0].kind, ComPortEvent::Dtr);
    EXPECT_EQ(d.events[0].value, 0);
    EXPECT_EQ(escapeBytes(d.reply), escapeBytes(b({IAC, SB, CPO, 105, 9, IAC, SE, IAC, SB, CPO, 105, 9, IAC, SE})));

    d = decode(t, b({IAC, SB, CPO, 12, 3, IAC, SE}));
    ASSERT_EQ(d.events.size(), 1u);
    EXPECT_EQ(d.events[0].kind, ComPortEvent::Purge);
    EXPECT_EQ(d.events[0].value, 3);
}

std::string notify(int state) { return b({IAC, SB, CPO, 107, state, IAC, SE}); }

TEST(ComPortServer, ModemStateIsToldOnAgreementAndOnEveryMaskChange) {
    TelnetComPort t(0x30);
    t.greeting();
    EXPECT_EQ(escapeBytes(decode(t, b({IAC, WILL, CPO})).reply), escapeBytes(notify(0x30)));
    // The mask is confirmed, then the state as it is under the new mask, even when that is zero.
    EXPECT_EQ(escapeBytes(decode(t, b({IAC, SB, CPO, 11, 0x80, IAC, SE})).reply),
              escapeBytes(b({IAC, SB, CPO, 111, 0x80, IAC, SE}) + notify(0)));
    t.modemLinesChanged(0xb0);
    EXPECT_EQ(escapeBytes(decode(t, b({IAC, SB, CPO, 11, 0xff, 0xff, IAC, SE})).reply),
              escapeBytes(b({IAC, SB, CPO, 111, 0xff, IAC, IAC, SE}) + notify(0xb0)));  // no delta: nothing changed since
}

TEST(ComPortServer, LineChangesAreToldThroughTheMask) {
    struct Row {
        int mask, from, to;
        int told;  // -1: nothing sent
    } rows[] = {
        {0xff, 0x30, 0xb0, 0xb8},  // carrier up, with its delta bit
        {0xff, 0xb0, 0x30, 0x38},  // and down
        {0xff, 0x30, 0x30, -1},    // nothing changed
        {0x80, 0x30, 0xb0, 0x80},
        {0x80, 0xb0, 0x30, 0x00},  // carrier drop under mask 0x80: told as zero
        {0x08, 0xb0, 0x30, 0x08},
        {0x40, 0x30, 0xb0, -1},    // the change is outside the mask
        {0x30, 0x30, 0xb0, 0x30},  // so is this one, but what the mask shows is not zero
        {0x10, 0x30, 0x20, 0x00},  // CTS off
        {0xff, 0x30, 0x70, 0x70},  // a ring starts: no delta until it ends
        {0xff, 0x70, 0x30, 0x34},  // its trailing edge
        {0x0f, 0x30, 0x70, -1},
    };
    for (const Row& row : rows) {
        TelnetComPort t(row.from);
        t.greeting();
        decode(t, b({IAC, WILL, CPO, IAC, SB, CPO, 11, row.mask, IAC, SE}));
        EXPECT_EQ(escapeBytes(t.modemLinesChanged(row.to)), row.told < 0 ? "" : escapeBytes(notify(row.told)))
            << std::hex << "mask " << row.mask << ", lines " << row.from << " to " << row.to;
    }
    TelnetComPort silent(0x30);  // the option not agreed: nothing goes out
    silent.greeting();
    EXPECT_EQ(silent.modemLinesChanged(0xb0), "");
}

TEST(ComPortServer, DataDoublesIac) {
    EXPECT_EQ(TelnetComPort::encodeData(b({1, 255, 2})), b({1, 255, 255, 2}));
}

TEST(ComPortServer, RequestsSplitAcrossReadsStillArrive) {
    TelnetComPort t;
    std::string in = b({IAC, WILL, CPO, IAC, SB, CPO, 5, 8, IAC, SE, 'x', '\r', 0, 'y'});
    Decoded all;
    for (char c : in) {
        Decoded d = decode(t, std::string(1, c));
        all.data += d.data;
        all.events.insert(all.events.end(), d.events.begin(), d.events.end());
    }
    EXPECT_EQ(all.data, "x\ry");  // CR NUL outside binary mode is a CR
    ASSERT_EQ(all.events.size(), 1u);
    EXPECT_EQ(all.events[0].value, 1);
}

TEST(PhoneBook, NumbersMatchByDigitsAndPrefixesDoNotMatter) {
    PhoneBook book;
    ASSERT_EQ(book.addText("1-800-555-0199  127.0.0.1:7000\n"
                           "555-0100 busy delay=10   # a comment\n"
                           "0100 nodialtone\n"
                           "* noanswer\n"),
              "");
    const PhoneEntry* e = book.lookup("T9,1 (800) 555-0199");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->outcome, CallOutcome::Connect);
    EXPECT_EQ(e->host + ":" + e->port, "127.0.0.1:7000");
    e = book.lookup("5550100");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->outcome, CallOutcome::Busy);  // the longer entry wins over "0100"
    EXPECT_EQ(e->delayMs, 10);
    EXPECT_EQ(book.lookup("0100")->outcome, CallOutcome::NoDialTone);
    EXPECT_EQ(book.lookup("12345")->outcome, CallOutcome::NoAnswer);

    EXPECT_EQ(PhoneBook().lookup("123"), nullptr);
    EXPECT_EQ(book.addText("555 connect\n"), "line 1: connect needs HOST:PORT");
    EXPECT_EQ(book.addText("555 ringing\n"), "line 1: unknown outcome \"ringing\"");
    EXPECT_EQ(book.addText("--- busy\n"), "line 1: \"---\" has no digits");
}

}  // namespace
}  // namespace modemsim
