// The host's byte stream after "\r\nOK\r\n", cut into the 31-byte chunks
// the line delivers: the file never holds 0x1A or NUL, and completion
// needs three 0x1A.
#include "transfer_core.h"
#include <algorithm>
#include <cstdlib>
#include <string>

namespace {
struct StringSink : FileSink {
    std::string bytes;
    bool WriteByte(char c) override { bytes += c; return true; }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    const char* text = reinterpret_cast<const char*>(data);
    StringSink sink;
    InfoFileReceiver receiver;
    size_t written = 0;
    for (size_t at = 0; at < size && !receiver.Complete(); at += 31) {
        size_t length = size - at < 31 ? size - at : 31;
        written += receiver.Feed(text + at, length, sink);
    }
    if (written != sink.bytes.size() || sink.bytes.find('\x1A') != std::string::npos ||
        sink.bytes.find('\0') != std::string::npos)
        std::abort();
    // Bytes dropped after a NUL do not break a run of 0x1A, so only the
    // count of them is certain.
    if (receiver.Complete() && std::count(text, text + size, '\x1A') < 3)
        std::abort();
    return 0;
}
