// OEM.CFG as an OEM ships it: any text gives numbers within 63 characters.
#include "oem_numbers.h"
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    OemNumbers numbers = ReadOemNumbers(std::string(reinterpret_cast<const char*>(data), size));
    if (numbers.single.size() > kOemValueMax || (!numbers.single.empty() && !numbers.list.empty()))
        std::abort();
    for (const std::string& entry : numbers.list) {
        NumberEntry split = SplitNumberEntry(entry);
        if (entry.empty() || split.dialled.size() > split.shown.size())
            std::abort();
    }
    return 0;
}
