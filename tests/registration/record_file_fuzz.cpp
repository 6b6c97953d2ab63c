// REGISTER.DAT as found on disk: any bytes decode to fields that are
// NUL-terminated, and encoding what was decoded gives a file that decodes
// to the same.
#include "record_file.h"
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    RecordImage image;
    if (!DecodeRecordFile(data, size, &image))
        return 0;
    for (const auto& field : image.fields)
        if (!std::memchr(field, 0, sizeof field))
            std::abort();
    unsigned char bytes[kRecordFileSize];
    EncodeRecordFile(image, bytes);
    RecordImage again;
    if (!DecodeRecordFile(bytes, sizeof bytes, &again) || std::memcmp(&again, &image, sizeof image))
        std::abort();
    RecordDataLength(image);
    return 0;
}
