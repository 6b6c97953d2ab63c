// REGISTER.DAT: the registration record's answers as they are kept between
// runs of the wizard. 1928 bytes, little-endian, no header: 32 fields of 60
// bytes (NUL-terminated text), the registered flag, a reserved word.
// Portable: the record reads and writes the bytes, this turns them into
// the stored image and back.
#ifndef QVWIZ_RECORD_FILE_H
#define QVWIZ_RECORD_FILE_H

#include <cstddef>
#include <cstdint>

const int kRecordFieldCount = 32;
const int kRecordFieldSize = 60;
const int kRecordFileSize = kRecordFieldCount * kRecordFieldSize + 8;

// The persistent part of the record.
struct RecordImage {
    char fields[kRecordFieldCount][kRecordFieldSize];
    int32_t registered;
    int32_t reserved;
};

// Fills image from the first 1928 bytes. False, image untouched, when there
// are fewer. A field without its terminator is cut to 59 characters and a
// flag other than 0 reads as 1: a damaged file is never trusted beyond its
// bytes.
bool DecodeRecordFile(const unsigned char* bytes, size_t size, RecordImage* image);

// The 1928 bytes of image.
void EncodeRecordFile(const RecordImage& image, unsigned char out[kRecordFileSize]);

// Copies text into a field, cut to 59 characters; null leaves it as it is.
void SetRecordField(RecordImage* image, int index, const char* text);

// Sum of the lengths of the 32 field texts.
int RecordDataLength(const RecordImage& image);

// Field 30's text for a platform identifier (-1 when the query failed).
const char* OsNameOfPlatform(long platformId);

#endif
