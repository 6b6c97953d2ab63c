// A Hayes interpreter driven by hand: bytes in at a chosen time, what the
// modem said (and did) out.
#pragma once
#include <gtest/gtest.h>

#include "hayes.h"
#include "persona.h"
#include "words.h"

namespace modemsim {

inline Persona testPersona(const std::string& name) {
    PersonaLoad load = loadPersona(QV_PERSONA_DIR, name);
    EXPECT_EQ(load.error, "");
    return load.persona;
}

struct ModemDriver {
    explicit ModemDriver(Persona p = testPersona("generic")) : modem(std::move(p)) {}

    // The bytes the modem sends back for bytes received at time `at` (µs).
    std::string send(const std::string& bytes, Micros at = -1) {
        if (at >= 0) now = at;
        ModemOutput out;
        modem.receive(bytes, now, out);
        take(out);
        return out.toDte;
    }
    std::string at(Micros t) {
        now = t;
        ModemOutput out;
        modem.tick(now, out);
        take(out);
        return out.toDte;
    }
    std::string outcome(CallOutcome o) {
        ModemOutput out;
        modem.callResult(o, now, out);
        take(out);
        return out.toDte;
    }
    void take(ModemOutput& out) {
        remote += out.toRemote;
        actions.insert(actions.end(), out.actions.begin(), out.actions.end());
    }

    HayesModem modem;
    Micros now = 0;
    std::string remote;
    std::vector<Action> actions;
};

}  // namespace modemsim
