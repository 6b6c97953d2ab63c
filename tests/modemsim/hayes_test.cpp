#include <filesystem>
#include <map>

#include "modem_fixture.h"

namespace modemsim {
namespace {

// An identification reply is framed as a modem with echo off and verbose
// results sends it: several lines, or nothing but OK; a command the model
// lacks gives ERROR, as old modems without class 2 or V.250 identification
// did. What each shipped persona answers is its file's data.
TEST(Identification, RepliesAreFramedAsTheModemSendsThem) {
    PersonaLoad load = parsePersona("x", "reply I7 \"Product type\"\nreply I7 \"Options\"\nreply I3\n");
    ASSERT_EQ(load.error, "");
    ModemDriver d(load.persona);
    d.send("ATE0\r");
    const std::pair<const char*, const char*> cases[] = {
        {"ATI7\r", "\r\nProduct type\r\nOptions\r\n\r\nOK\r\n"},
        {"ATI3\r", "\r\nOK\r\n"},
        {"AT+GMM\r", "\r\nERROR\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(escapeBytes(d.send(c.first)), escapeBytes(c.second)) << c.first;
}

// Command lines to a generic modem, fresh each time, and the exact bytes back.
struct LineCase {
    const char* input;
    const char* output;
};

const LineCase kLineCases[] = {
    {"AT\r", "AT\r\r\nOK\r\n"},                                  // echo on by default
    {"at&f&c1&d2e0v1\r", "at&f&c1&d2e0v1\r\r\nOK\r\n"},          // several commands, any case
    {"ATE0\rAT\r", "ATE0\r\r\nOK\r\n\r\nOK\r\n"},
    {"ATE0V0\rAT\r", "ATE0V0\r0\r0\r"},                           // V0: code and CR only
    {"ATE0V0\rATI3\r", "ATE0V0\r0\rGeneric 33.6 Data/Fax Modem V1.0\r\n0\r"},
    {"ATE0V0\rATJ\r", "ATE0V0\r0\r4\r"},
    {"ATE0Q1\rATI0\rATJ\r", "ATE0Q1\r\r\n33600\r\n"},             // Q1: no result codes, text still comes
    {"ATE0\rATI0I1\r", "ATE0\r\r\nOK\r\n\r\n33600\r\n\r\n255\r\n\r\nOK\r\n"},
    {"ATE0\rATJ\r", "ATE0\r\r\nOK\r\n\r\nERROR\r\n"},           // unknown command
    {"ATE0\rATE2\r", "ATE0\r\r\nOK\r\n\r\nERROR\r\n"},           // known command, value out of range
    {"ATE0\rATX5\r", "ATE0\r\r\nOK\r\n\r\nERROR\r\n"},           // beyond this model's X levels
    {"ATE0\rAT&Z\r", "ATE0\r\r\nOK\r\n\r\nERROR\r\n"},
    {"ATE0\rAT&F1\r", "ATE0\r\r\nOK\r\n\r\nERROR\r\n"},         // one factory profile only
    {"ATE0\rAT+XYZ?\r", "ATE0\r\r\nOK\r\n\r\nERROR\r\n"},
    {"ATE0\rATS7=60S7?\r", "ATE0\r\r\nOK\r\n\r\n060\r\n\r\nOK\r\n"},
    {"ATE0\rATS256=1\r", "ATE0\r\r\nOK\r\n\r\nERROR\r\n"},
    {"ATE0\rATS7=256\r", "ATE0\r\r\nOK\r\n\r\nERROR\r\n"},
    {"ATE0\rATS7?JE1\r", "ATE0\r\r\nOK\r\n\r\n045\r\n\r\nERROR\r\n"},  // ran up to the fault, then ERROR
    {"ATE0\rAT I 0 \r", "ATE0\r\r\nOK\r\n\r\n33600\r\n\r\nOK\r\n"},  // blanks mean nothing
    {"ATE0\rATZE0\rAT\r", "ATE0\r\r\nOK\r\n\r\nOK\r\nAT\r\r\nOK\r\n"},  // Z forgets the rest of its line
    {"ATE0\rATI3\rA/", "ATE0\r\r\nOK\r\n\r\nGeneric 33.6 Data/Fax Modem V1.0\r\n\r\nOK\r\n"
                       "\r\nGeneric 33.6 Data/Fax Modem V1.0\r\n\r\nOK\r\n"},
    {"ATE0\rxyz\rAT\r", "ATE0\r\r\nOK\r\n\r\nOK\r\n"},            // noise before AT is ignored
    {"ATE0\rATI4\b3\r", "ATE0\r\r\nOK\r\n\r\nGeneric 33.6 Data/Fax Modem V1.0\r\n\r\nOK\r\n"},  // backspace
    {"ATE0\rAT+FCLASS=2;+FCLASS?\r", "ATE0\r\r\nOK\r\n\r\n2\r\n\r\nOK\r\n"},
    {"ATE0\rAT+FCLASS=9\r", "ATE0\r\r\nOK\r\n\r\nERROR\r\n"},
    {"ATE0\rATO\r", "ATE0\r\r\nOK\r\n\r\nNO CARRIER\r\n"},       // no call to go back to
};

TEST(CommandLines, RepliesAreFramedLikeAHayesModem) {
    for (const auto& c : kLineCases) {
        ModemDriver d;
        EXPECT_EQ(escapeBytes(d.send(c.input)), escapeBytes(c.output)) << escapeBytes(c.input);
    }
}

TEST(CommandLines, OverlongLinesGiveErrorAndTheModemCarriesOn) {
    ModemDriver d;
    d.send("ATE0\r");
    EXPECT_EQ(d.send("AT" + std::string(254, 'E') + "\r"), "\r\nERROR\r\n");  // 256 is one too many
    EXPECT_EQ(d.send("AT" + std::string(100000, '1') + "\r"), "\r\nERROR\r\n");
    EXPECT_EQ(d.send("AT" + std::string(253, ' ') + "\r"), "\r\nOK\r\n");     // 255 fits
    EXPECT_EQ(d.send("ATI0\r"), "\r\n33600\r\n\r\nOK\r\n");
}

TEST(CommandLines, AndFRestoresFactorySettings) {
    ModemDriver d;
    d.send("ATE0V0S7=9X1&C0&D0\r");
    EXPECT_EQ(d.send("AT&F\r"), "\r\nOK\r\n");
    EXPECT_EQ(d.modem.settings().s[7], 45);
    EXPECT_EQ(d.modem.settings().x, 4);
    EXPECT_EQ(d.modem.settings().dcdMode, 1);
    EXPECT_EQ(d.modem.settings().dtrMode, 2);
}

TEST(PersonaQuirks, ChosenCommandsErrorAndClassTwoComesFirst) {
    Persona p = testPersona("rockwell-rc288");
    p.errorOn = {"I6", "&K"};
    p.fclass2First = true;
    ModemDriver d(p);
    d.send("ATE0\r");
    EXPECT_EQ(d.send("ATI6\r"), "\r\nERROR\r\n");
    EXPECT_EQ(d.send("AT&K3\r"), "\r\nERROR\r\n");
    EXPECT_EQ(d.send("ATI3\r"), "\r\nV1.000-DS39 VFC\r\n\r\nOK\r\n");
    EXPECT_EQ(d.send("AT+FMFR?\r"), "\r\nERROR\r\n");
    EXPECT_EQ(d.send("AT+FCLASS=2\r"), "\r\nOK\r\n");
    EXPECT_EQ(d.send("AT+FMFR?\r"), "\r\nROCKWELL\r\n\r\nOK\r\n");
}

TEST(PersonaQuirks, DeafModemsSayNothing) {
    ModemDriver deaf(testPersona("deaf"));
    EXPECT_EQ(deaf.send("AT\rATI0\r"), "");

    ModemDriver tired;
    tired.modem.setAnswerLimit(2);
    EXPECT_EQ(tired.send("ATE0\rAT\r"), "ATE0\r\r\nOK\r\n\r\nOK\r\n");
    EXPECT_EQ(tired.send("AT\r"), "");
}

TEST(PersonaFiles, EveryShippedPersonaLoads) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(QV_PERSONA_DIR)) {
        if (entry.path().extension() != ".persona") continue;
        PersonaLoad load = loadPersona(QV_PERSONA_DIR, entry.path().stem().string());
        EXPECT_EQ(load.error, "") << entry.path();
        EXPECT_FALSE(load.persona.replies.empty() && !load.persona.deaf) << entry.path();
        ++count;
    }
    EXPECT_GE(count, 31);  // every recorded model, the generic modem and the deaf one
}

TEST(PersonaFiles, MistakesAreReportedWithTheirLine) {
    EXPECT_EQ(parsePersona("x", "model \"a\"\nspeed fast\n").error,
              "x:2: cannot use \"speed\" with 1 argument(s) here");
    EXPECT_EQ(parsePersona("x", "reply I0 \"open\n").error, "x:1: unterminated quote");
    PersonaLoad ok = parsePersona("x", "reply i3 \"a\\x41\\\"\" # comment\nreply I3 \" b \"\n");
    EXPECT_EQ(ok.error, "");
    EXPECT_EQ(ok.persona.replies["I3"], (std::vector<std::string>{"aA\"", " b "}));
}

}  // namespace
}  // namespace modemsim
