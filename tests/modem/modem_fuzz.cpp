// Outside input to the engine: whatever a modem sends, split into reads by
// the input itself, through every wait. Each must end by its deadline or
// its buffer limit and never write past a buffer.
#include <stddef.h>
#include <stdint.h>

#include "scripted_modem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ScriptedModem modem;
    ModemLinkState state{};
    ModemEngine::itemsArm = ModemEngine::stringsArm = ModemEngine::callArm = {};
    ModemEngine engine(modem, state);
    strcpy(state.prefix, "AT");
    state.maxLine = size > 0 ? data[0] % 48 : 40;
    modem.items[116] = "OK";
    modem.items[119] = "^M^JERROR^";
    modem.items[117] = "CONNECT";
    modem.items[159] = "RI^NG";
    // Reads split at 0xfe, one every 7 ms.
    std::string piece;
    for (size_t i = 1; i < size; ++i) {
        if (data[i] == 0xfe) {
            modem.Arrive(7 * modem.script.size(), piece);
            piece.clear();
        } else {
            piece += static_cast<char>(data[i]);
        }
    }
    modem.Arrive(7 * modem.script.size(), piece);
    const std::string all = piece;
    const char* replies[] = {"OK", "^", "CONNECT^M", "ERR^@OR"};
    engine.WaitForStrings(ModemFlags::BulkRead | ModemFlags::Uppercase, 500, replies, 4);
    char line[5];
    engine.ReadLine(ModemFlags::LineCr | ModemFlags::Watch, 500, line, sizeof line);
    char collected[16];
    int items[] = {116, 119};
    engine.CollectReply(ModemFlags::SkipSpaces, 500, collected, sizeof collected, items, 2);
    TrimToFirstLine(collected);
    engine.WaitForCallResult(0, 2000, 1);
    std::string number(data, data + (size < 90 ? size : 90));
    engine.DialWithLimit(ModemFlags::WaitResult | ModemFlags::Terminate, 500, number.c_str());
    return 0;
}
