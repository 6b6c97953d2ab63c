// Every model of MODEM.DBF against the persona that plays it: the commands
// the library sends for that model (both init strings, each dial prefix the
// setting keywords can build, the hang-up command) are answered OK, as the
// real modem answers them. A record whose commands its modem refuses works
// only through the fallback init string; so does a persona stricter than its
// modem.
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "modem_fixture.h"
#include "qvdbf32.h"

namespace modemsim {
namespace {

// Model name in the database -> persona. Generic records go to the generic
// persona; a model with no persona of its own, to its closest relative.
const std::map<std::string, std::string> kPersonaOf = {
    {"Bocamodem 14.4", "bocamodem-144"},
    {"Boca Research M144GRA", "boca-m144gra"},
    {"Conexant V.90 (reference firmware)", "conexant-reference"},
    {"Davicom V.34+ Data/Fax/Voice", "davicom"},
    {"Generic 2400 bps Modem", "generic"},
    {"Generic Class 1 Fax Modem", "generic"},
    {"Generic Class 2 Fax Modem", "generic"},
    {"Generic Class 2.0 Fax Modem", "generic"},
    {"Generic Hayes Compatible", "generic"},
    {"Generic V.34 28800/33600 Modem", "generic"},
    {"Generic V.90 56K Modem", "generic"},
    {"Hayes Accura 336", "hayes-accura-336"},
    {"Hayes Optima 336B", "hayes-optima-336b"},
    {"Lucent LT V.90 Winmodem", "lucent-lt-winmodem"},
    {"Lucent LT V.92 Winmodem", "lucent-lt-winmodem"},
    {"Motorola ModemSURFR 28.8", "motorola-modemsurfr-288"},
    {"Multi-Tech MT3334ZDXV", "multitech-mt3334zdxv"},
    {"Multi-Tech MT5634ZBAV", "multitech-mt5634zbav"},
    {"Practical Peripherals PM14400FXMT", "pp-pm14400fxmt"},
    {"Rockwell RC144 (Zoltrix)", "rockwell-rc144"},
    {"Rockwell RC288 (Creatix LC 288 FC)", "rockwell-rc288"},
    {"Rockwell RC336 (E-Tech E336RVP)", "rockwell-rc336"},
    {"SupraFAXModem 288", "supra-faxmodem-288"},
    {"Supra FAX Modem V.32bis", "supra-fax-v32bis"},
    {"SupraExpress 56e", "supraexpress-56e"},
    {"USRobotics Courier Dual Standard", "usr-courier-dual-standard"},
    {"USRobotics Courier V.34", "usr-courier-v34"},
    {"USRobotics Sportster 28800", "usr-sportster-288"},
    {"USRobotics Sportster 33600", "usr-sportster-33600"},
    {"USRobotics Sportster Message Plus", "usr-sportster-message-plus"},
    {"Zoom 2949L V.90 Serial", "zoom-2949l"},
    {"Zoom V.90 PCI", "zoom-v90-pci"},
    {"ZyXEL 1496EG+", "zyxel-1496eg-plus"},
    {"ZyXEL U-1496E+", "zyxel-u1496e-plus"},
};

std::vector<ModemInfoStruct> Models()
{
    std::string path = QV_MODEM_DBF;
    ModemDBF db(&path[0], 1);
    std::vector<ModemInfoStruct> models;
    if (db.Open() != 1)
        return models;
    for (long offset = 1; offset < db.GetCount(); ++offset) {
        ModemInfoStruct record;
        std::memset(&record, 0, sizeof record);
        if (db.GetRecordFromOffset(&record, offset, 1, eModemIndexModelName) == 1)
            models.push_back(record);
    }
    db.Close();
    return models;
}

// Each dial prefix the five setting keywords can choose (speaker, volume,
// speed, call progress, dial method, in the order the library puts them),
// ended with ';' so that the modem stays in command mode and says OK.
std::vector<std::string> DialLines(const ModemInfoStruct& r)
{
    std::vector<std::string> lines;
    for (const char* speaker : {r.speakerOff, r.speakerUntilConnect, r.speakerOn})
        for (const char* volume : {r.volumeLow, r.volumeMedium, r.volumeHigh})
            for (const char* speed : {r.speedSlow, r.speedNormal, r.speedFast})
                for (const char* progress : {r.progressNone, r.progressDialTone, r.progressBusy,
                                             r.progressAll})
                    for (const char* method : {r.dialTone, r.dialPulse})
                        lines.push_back(std::string(r.commandPrefix) + speaker + volume + speed +
                                        progress + method + "5550100;");
    return lines;
}

TEST(ModelCommands, EveryModelsOwnModemTakesItsCommands)
{
    std::vector<ModemInfoStruct> models = Models();
    ASSERT_GT(models.size(), 30u) << QV_MODEM_DBF;
    for (const ModemInfoStruct& r : models) {
        auto persona = kPersonaOf.find(r.modelName);
        if (persona == kPersonaOf.end()) {
            ADD_FAILURE() << r.modelName << " has no persona to play it";
            continue;
        }
        std::vector<std::string> lines = {r.init, r.init2};
        for (const std::string& dial : DialLines(r))
            lines.push_back(dial);
        lines.push_back(r.hangUp);
        ModemDriver d(testPersona(persona->second));
        d.send("ATE0\r");
        for (const std::string& line : lines) {
            if (line.empty())
                continue;
            // The init strings turn echo back on with &F; what counts is the result.
            std::string reply = d.send(line + "\r");
            EXPECT_NE(reply.find("\r\nOK\r\n"), std::string::npos)
                << r.modelName << " (" << persona->second << "): " << line << " -> "
                << escapeBytes(reply);
            d.send("ATE0\r");
        }
    }
}

}  // namespace
}  // namespace modemsim
