#include "record_file.h"
#include <cstring>

namespace {

int32_t ReadLittle32(const unsigned char* p)
{
    return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                                uint32_t(p[3]) << 24);
}

void WriteLittle32(unsigned char* p, int32_t value)
{
    uint32_t v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; i++)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

const size_t kFieldsSize = kRecordFieldCount * kRecordFieldSize;

}  // namespace

bool DecodeRecordFile(const unsigned char* bytes, size_t size, RecordImage* image)
{
    if (size < size_t(kRecordFileSize))
        return false;
    std::memcpy(image->fields, bytes, kFieldsSize);
    for (auto& field : image->fields)
        field[kRecordFieldSize - 1] = '\0';
    image->registered = ReadLittle32(bytes + kFieldsSize) != 0;
    image->reserved = ReadLittle32(bytes + kFieldsSize + 4);
    return true;
}

void EncodeRecordFile(const RecordImage& image, unsigned char out[kRecordFileSize])
{
    std::memcpy(out, image.fields, kFieldsSize);
    WriteLittle32(out + kFieldsSize, image.registered);
    WriteLittle32(out + kFieldsSize + 4, image.reserved);
}

void SetRecordField(RecordImage* image, int index, const char* text)
{
    if (!text || index < 0 || index >= kRecordFieldCount)
        return;
    char* field = image->fields[index];
    size_t length = strnlen(text, kRecordFieldSize - 1);
    std::memmove(field, text, length);
    field[length] = '\0';
}

int RecordDataLength(const RecordImage& image)
{
    int total = 0;
    for (const auto& field : image.fields)
        total += static_cast<int>(strnlen(field, kRecordFieldSize));
    return total;
}

const char* OsNameOfPlatform(long platformId)
{
    switch (platformId) {
    case 0: return "Win 3.1";
    case 1: return "Win 95";
    case 2: return "Win NT";
    case 512: return "Win 2.x";
    case 768: return "Win 3.0";
    case 784: return "Win 3.1";
    case 785: return "Win 3.11";
    case 917: return "Win 95";
    }
    return "Unknown OS";
}
