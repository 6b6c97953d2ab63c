// Every model of MODEM.DBF against the persona that plays it: the commands
// the library sends for that model (both init strings, each dial prefix the
// setting keywords can build, the hang-up command) are answered OK, as the
// real modem answers them. A record whose commands its modem refuses works
// only through the fallback init string; so does a persona stricter than its
// modem.
#include <cstring>
#include <fstream>
#include <sstream>
#include <map>
#include <string>
#include <vector>

#include "modem_fixture.h"
#include "modem_dbf_core.h"

namespace modemsim {
namespace {

// Model name in the database -> the persona that plays it, from the table
// the Auto Select run shares.
std::map<std::string, std::string> PersonaOf()
{
    std::map<std::string, std::string> personas;
    std::ifstream table(QV_PERSONA_TABLE);
    for (std::string line, persona, model; getline(table, line);) {
        std::istringstream in(line);
        if (in >> persona && persona == "*")
            in >> persona;
        if (persona[0] != '#' && getline(in >> std::ws, model))
            personas[model] = persona;
    }
    return personas;
}

std::vector<ModemInfoStruct> Models()
{
    ModemDbfCore* db = ModemDbfCreate(QV_MODEM_DBF);
    std::vector<ModemInfoStruct> models;
    long count = ModemDbfOpen(db) == 1 ? ModemDbfCount(db) : 0;
    for (long offset = 1; offset < count; ++offset) {
        ModemInfoStruct record;
        std::memset(&record, 0, sizeof record);
        if (ModemDbfRecordAt(db, &record, offset, 1, eModemIndexModelName) == 1)
            models.push_back(record);
    }
    ModemDbfFree(db);
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
    const std::map<std::string, std::string> personaOf = PersonaOf();
    for (const ModemInfoStruct& r : models) {
        auto persona = personaOf.find(r.modelName);
        if (persona == personaOf.end()) {
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
