/* CQSetupProfile for code compiled by GCC (MinGW): a proxy that holds the
 * real object, built in the suite's ABI by qvstp32_calls.cpp. It has the
 * real class's name and members; the two never meet at link time, as each
 * compiler decorates the name its own way. */
#ifndef QVSTP32_CALLS_H
#define QVSTP32_CALLS_H

#include "qvstp32.h"

extern "C" {
void* CallProfileNew(int reserved);
void CallProfileDelete(void* profile);
const char* CallProfileGetShort(void* profile, eSetupShortStrItems item, char* buffer,
                                unsigned short size, eDefaults d);
const char* CallProfileGetLong(void* profile, eSetupLongStrItems item, char* buffer,
                               unsigned short size, eDefaults d);
unsigned long CallProfileGetNumber(void* profile, eSetupNumItems item, eDefaults d);
void CallProfileGetNumber16(void* profile, eSetupNumItems item, unsigned short* value,
                            eDefaults d);
int CallProfileSetShort(void* profile, eSetupShortStrItems item, const char* value,
                        int reserved);
int CallProfileSetLong(void* profile, eSetupLongStrItems item, const char* value, int reserved);
int CallProfileSetNumber16(void* profile, eSetupNumItems item, unsigned short value,
                           int reserved);
int CallProfileSetInt(void* profile, eSetupNumItems item, int value, int reserved);
int CallProfileSetNumber(void* profile, eSetupNumItems item, unsigned long value, int reserved);
/* In qvstp32_update_calls.cpp, so that only a module that groups writes
 * imports the two members the suite's own QVSTP32 may lack. */
void CallProfileBeginUpdate(void* profile);
int CallProfileEndUpdate(void* profile);
}

#ifndef _MSC_VER

class CQSetupProfile {
public:
    explicit CQSetupProfile(int reserved) : real_(CallProfileNew(reserved)) {}
    ~CQSetupProfile() { CallProfileDelete(real_); }

    const char* GetProfile(eSetupShortStrItems item, char* buffer, unsigned short size,
                           eDefaults d) {
        return CallProfileGetShort(real_, item, buffer, size, d);
    }
    const char* GetProfile(eSetupLongStrItems item, char* buffer, unsigned short size,
                           eDefaults d) {
        return CallProfileGetLong(real_, item, buffer, size, d);
    }
    unsigned long GetProfile(eSetupNumItems item, eDefaults d) {
        return CallProfileGetNumber(real_, item, d);
    }
    void GetProfile(eSetupNumItems item, unsigned short* value, eDefaults d) {
        CallProfileGetNumber16(real_, item, value, d);
    }

    int SetProfile(eSetupShortStrItems item, const char* value, int reserved) {
        return CallProfileSetShort(real_, item, value, reserved);
    }
    int SetProfile(eSetupLongStrItems item, const char* value, int reserved) {
        return CallProfileSetLong(real_, item, value, reserved);
    }
    int SetProfile(eSetupNumItems item, unsigned short value, int reserved) {
        return CallProfileSetNumber16(real_, item, value, reserved);
    }
    int SetProfile(eSetupNumItems item, int value, int reserved) {
        return CallProfileSetInt(real_, item, value, reserved);
    }
    int SetProfile(eSetupNumItems item, unsigned long value, int reserved) {
        return CallProfileSetNumber(real_, item, value, reserved);
    }
    void BeginUpdate() { CallProfileBeginUpdate(real_); }
    int EndUpdate() { return CallProfileEndUpdate(real_); }

    CQSetupProfile(const CQSetupProfile&) = delete;
    CQSetupProfile& operator=(const CQSetupProfile&) = delete;

private:
    void* real_;
};

#endif  /* !_MSC_VER */

#endif
