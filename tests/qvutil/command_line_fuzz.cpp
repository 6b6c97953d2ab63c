// Any text split into program and arguments: no crash, and the parts come
// from the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "progman_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string line(reinterpret_cast<const char*>(data), size);
    // Every third prefix "exists", so the search explores every branch.
    int calls = 0;
    auto exists = [&calls](const std::string&) { return ++calls % 3 == 0; };
    qvutil::CommandLine split = qvutil::SplitCommandLine(line, exists);
    if (split.program.size() + split.arguments.size() > line.size())
        std::abort();
    if (!split.program.empty() && line.find(split.program) == std::string::npos)
        std::abort();
    qvutil::ProgmanCommand("AddItem", {split.program, split.arguments});
    return 0;
}
