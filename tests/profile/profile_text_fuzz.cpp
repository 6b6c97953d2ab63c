// Whatever QVSETUP.INI holds, reading it must not fail, and what the store
// then writes must read back as the same items and be written the same way.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "profile_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qvprofile::ProfileItems items;
    qvprofile::ParseProfile(reinterpret_cast<const char*>(data), size, items);
    std::string text = qvprofile::SerializeProfile(items);
    qvprofile::ProfileItems again;
    if (qvprofile::ParseProfile(text.data(), text.size(), again) != 0) std::abort();
    if (!(again == items)) std::abort();
    if (qvprofile::SerializeProfile(again) != text) std::abort();
    return 0;
}
