/* CQSetupProfile as the suite's programs call it, in Microsoft's C++ ABI:
 * each member one call into the store (qvstp32.cpp), whose pointer the
 * object keeps in the first word of its storage. */
#define QVSTP32_BUILD
#include "qvstp32.h"
#include "profile_core.h"

static QVProfileStore* Store(void* const* reserved) {
    return static_cast<QVProfileStore*>(reserved[0]);
}

CQSetupProfile::CQSetupProfile(int) { reserved_[0] = ProfileOpen(); }

CQSetupProfile::~CQSetupProfile() { ProfileClose(Store(reserved_)); }

void CQSetupProfile::BeginUpdate() { ProfileBeginUpdate(Store(reserved_)); }

int CQSetupProfile::EndUpdate() { return ProfileEndUpdate(Store(reserved_)); }

const char* CQSetupProfile::GetProfile(eSetupShortStrItems item, char* buffer,
                                       unsigned short size, eDefaults) {
    return ProfileGetText(Store(reserved_), kProfileShortText, item, buffer, size);
}

const char* CQSetupProfile::GetProfile(eSetupLongStrItems item, char* buffer,
                                       unsigned short size, eDefaults) {
    return ProfileGetText(Store(reserved_), kProfileLongText, item, buffer, size);
}

unsigned long CQSetupProfile::GetProfile(eSetupNumItems item, eDefaults) {
    return ProfileGetNumber(Store(reserved_), item);
}

void CQSetupProfile::GetProfile(eSetupNumItems item, unsigned short* value, eDefaults) {
    if (value) *value = static_cast<unsigned short>(ProfileGetNumber(Store(reserved_), item));
}

int CQSetupProfile::SetProfile(eSetupShortStrItems item, const char* value, int) {
    return ProfileSetText(Store(reserved_), kProfileShortText, item, value);
}

int CQSetupProfile::SetProfile(eSetupLongStrItems item, const char* value, int) {
    return ProfileSetText(Store(reserved_), kProfileLongText, item, value);
}

int CQSetupProfile::SetProfile(eSetupNumItems item, unsigned long value, int) {
    return ProfileSetNumber(Store(reserved_), item, value);
}

int CQSetupProfile::SetProfile(eSetupNumItems item, unsigned short value, int) {
    return ProfileSetNumber(Store(reserved_), item, value);
}

int CQSetupProfile::SetProfile(eSetupNumItems item, int value, int) {
    return ProfileSetNumber(Store(reserved_), item, static_cast<unsigned long>(value));
}
