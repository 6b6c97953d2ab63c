/* The proxy's calls into QVSTP32's CQSetupProfile, compiled in the suite's
 * ABI. */
#include "qvstp32.h"
#include "qvstp32_calls.h"

static CQSetupProfile* Real(void* profile) { return static_cast<CQSetupProfile*>(profile); }

void* CallProfileNew(int reserved) { return new CQSetupProfile(reserved); }

void CallProfileDelete(void* profile) { delete Real(profile); }

const char* CallProfileGetShort(void* profile, eSetupShortStrItems item, char* buffer,
                                unsigned short size, eDefaults d) {
    return Real(profile)->GetProfile(item, buffer, size, d);
}

const char* CallProfileGetLong(void* profile, eSetupLongStrItems item, char* buffer,
                               unsigned short size, eDefaults d) {
    return Real(profile)->GetProfile(item, buffer, size, d);
}

unsigned long CallProfileGetNumber(void* profile, eSetupNumItems item, eDefaults d) {
    return Real(profile)->GetProfile(item, d);
}

void CallProfileGetNumber16(void* profile, eSetupNumItems item, unsigned short* value,
                            eDefaults d) {
    Real(profile)->GetProfile(item, value, d);
}

int CallProfileSetShort(void* profile, eSetupShortStrItems item, const char* value,
                        int reserved) {
    return Real(profile)->SetProfile(item, value, reserved);
}

int CallProfileSetLong(void* profile, eSetupLongStrItems item, const char* value, int reserved) {
    return Real(profile)->SetProfile(item, value, reserved);
}

int CallProfileSetNumber16(void* profile, eSetupNumItems item, unsigned short value,
                           int reserved) {
    return Real(profile)->SetProfile(item, value, reserved);
}

int CallProfileSetInt(void* profile, eSetupNumItems item, int value, int reserved) {
    return Real(profile)->SetProfile(item, value, reserved);
}

int CallProfileSetNumber(void* profile, eSetupNumItems item, unsigned long value, int reserved) {
    return Real(profile)->SetProfile(item, value, reserved);
}
