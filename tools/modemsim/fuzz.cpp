// Feeds arbitrary input to every parser of the simulator that reads outside
// input: the Hayes interpreter (bytes, time steps, line events and call
// outcomes interleaved), the Telnet com port decoder, persona files and
// phone books. The first byte chooses which.
#include <cstddef>
#include <cstdint>
#include <string>

#include "hayes.h"
#include "phonebook.h"
#include "telnet_com_port.h"

using namespace modemsim;

namespace {

Persona fuzzPersona() {
    Persona p;
    p.name = "fuzz";
    p.replies["I0"] = {"2886"};
    p.replies["I3"] = {};
    p.replies["I7"] = {"Configuration Profile...", "Options                V32bis,V.FC,V.34"};
    p.replies["+FMFR?"] = {"ROCKWELL    "};
    p.connectW1 = "28800/ARQ/V34/LAPM/V42BIS";
    p.connectCodes[28800] = 55;
    p.errorOn = {"I4", "+GMI"};
    p.fclass2First = true;
    p.lineMax = 60;
    return p;
}

// Bytes 0xF0 to 0xFF are events rather than data; 0xFF quotes the next byte.
void fuzzModem(const uint8_t* data, size_t size) {
    HayesModem modem(fuzzPersona());
    modem.setAnswerLimit(size % 7 == 0 ? 3 : -1);
    Micros now = 0;
    ModemOutput out;
    for (size_t i = 0; i < size; ++i) {
        uint8_t b = data[i];
        if (b == 0xFF && i + 1 < size) b = data[++i];
        else if (b >= 0xF0) {
            switch (b & 0x0F) {
                case 0: now += 1000; break;
                case 1: now += 1100000; break;
                case 2: modem.tick(now, out); break;
                case 3: modem.callResult(CallOutcome::Connect, now, out); break;
                case 4: modem.callResult(CallOutcome::Busy, now, out); break;
                case 5: modem.callResult(CallOutcome::NoDialTone, now, out); break;
                case 6: modem.callResult(CallOutcome::NoAnswer, now, out); break;
                case 7: modem.carrierLost(now, out); break;
                case 8: modem.dtrChanged(false, now, out); break;
                case 9: modem.dtrChanged(true, now, out); break;
                case 10: modem.setDteSpeed(static_cast<long>(i) * 300); break;
                default: now += 20000; break;
            }
            continue;
        }
        char c = static_cast<char>(b);
        modem.receive(std::string_view(&c, 1), now, out);
        if (out.toDte.size() > (1u << 20)) out.toDte.clear();
        out.toRemote.clear();
        out.actions.clear();
    }
    (void)modem.carrierDetect();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (data[0] % 4) {
        case 0:
        case 1:
            fuzzModem(data + 1, size - 1);
            break;
        case 2: {
            TelnetComPort telnet;
            std::string out, reply;
            std::vector<ComPortEvent> events;
            telnet.greeting();
            telnet.decode(rest, out, events, reply);
            (void)telnet.modemLinesChanged(0xb0);
            break;
        }
        case 3: {
            (void)parsePersona("fuzz", rest);
            PhoneBook book;
            (void)book.addText(rest);
            (void)book.lookup(rest);
            break;
        }
    }
    return 0;
}
