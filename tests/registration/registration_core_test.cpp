// The registration wizard's portable rules: REGISTER.DAT, OEM.CFG's
// numbers and the receiving of the host's file.
#include "oem_numbers.h"
#include "record_file.h"
#include "transfer_core.h"
#include <gtest/gtest.h>
#include <cstring>
#include <vector>

// Texts longer than a field are cut to it; a null text leaves the field alone.
TEST(RecordFile, RoundTripKeepsFieldsFlagAndReservedWordAtTheirOffsets)
{
    RecordImage image = {};
    SetRecordField(&image, 0, "Ann");
    SetRecordField(&image, 0, nullptr);
    SetRecordField(&image, 13, std::string(80, 'c').c_str());
    SetRecordField(&image, 31, "COM2");
    EXPECT_EQ(RecordDataLength(image), 3 + 59 + 4);
    image.registered = 1;
    image.reserved = 0x01020304;
    unsigned char bytes[kRecordFileSize];
    EncodeRecordFile(image, bytes);
    EXPECT_EQ(std::string((char*)bytes + 31 * 60), "COM2");
    EXPECT_EQ(bytes[1920], 1);
    EXPECT_EQ(bytes[1924], 4) << "little-endian reserved word";
    RecordImage back;
    ASSERT_TRUE(DecodeRecordFile(bytes, sizeof bytes, &back));
    EXPECT_EQ(std::memcmp(&back, &image, sizeof image), 0);
}

TEST(RecordFile, DamagedFilesAreNotTrustedBeyondTheirBytes)
{
    std::vector<unsigned char> bytes(kRecordFileSize, 'x');
    RecordImage image;
    EXPECT_FALSE(DecodeRecordFile(bytes.data(), kRecordFileSize - 1, &image)) << "1927 bytes";
    ASSERT_TRUE(DecodeRecordFile(bytes.data(), bytes.size(), &image));
    EXPECT_EQ(std::strlen(image.fields[5]), 59u) << "a field without its NUL";
    EXPECT_EQ(image.registered, 1) << "a flag other than 0 counts as registered";
}

TEST(OemNumbers, SingleNumberOrListUpToTheFirstGap)
{
    struct Case { const char* text; const char* single; std::vector<std::string> list; };
    const Case cases[] = {
        {"[Registration]\nRegNumber=555-1000\nRegNumber1=555-2000\n", "555-1000", {}},
        {"[registration]\r\nRegNumber1 = 555-1 \r\nRegNumber3=555-3\r\n", "", {"555-1"}},
        {"[Other]\nRegNumber=1\n[Registration]\nREGNUMBER2=2\nregnumber1=\"1~a\"\n", "", {"1~a", "2"}},
        {"RegNumber=outside\n", "", {}},
    };
    for (const Case& c : cases) {
        OemNumbers numbers = ReadOemNumbers(c.text);
        EXPECT_EQ(numbers.single, c.single) << c.text;
        EXPECT_EQ(numbers.list, c.list) << c.text;
    }
}

TEST(OemNumbers, TildeSplitsShownAndDialledText)
{
    NumberEntry entry = SplitNumberEntry("1-800-555-0100~Toll free~x");
    EXPECT_EQ(entry.shown, "1-800-555-0100 Toll free~x");
    EXPECT_EQ(entry.dialled, "1-800-555-0100");
    EXPECT_EQ(SplitNumberEntry("555").dialled, "555");
}

namespace {
// A disk that takes room bytes, then refuses.
struct StringSink : FileSink {
    std::string bytes;
    size_t room = 1 << 20;
    bool WriteByte(char c) override
    {
        if (bytes.size() == room)
            return false;
        bytes += c;
        return true;
    }
};
}  // namespace

TEST(Transfer, FileEndsAtThreeSubsAndChunksStopAtNul)
{
    struct Case { std::vector<std::string> chunks; size_t room; const char* file; bool complete, failed; };
    const Case cases[] = {
        {{"A\x1A\x1A" "B\x1A\x1A\x1A" "C"}, 100, "AB", true, false},
        {{"ab", std::string("c\0d", 3), "\x1A", "\x1A\x1A"}, 100, "abc", true, false},
        {{"ab\x1A\x1A"}, 100, "ab", false, false},
        // A full disk: the file is read to its end, and known to be short.
        {{"abcd", "ef\x1A\x1A\x1A"}, 3, "abc", true, true},
    };
    for (const Case& c : cases) {
        StringSink sink;
        sink.room = c.room;
        InfoFileReceiver receiver;
        int counted = 0;
        for (const std::string& chunk : c.chunks)
            counted += receiver.Feed(chunk.data(), chunk.size(), sink);
        EXPECT_EQ(sink.bytes, c.file);
        EXPECT_EQ(receiver.Complete(), c.complete) << c.file;
        EXPECT_EQ(receiver.WriteFailed(), c.failed) << c.file;
        if (c.failed)
            EXPECT_EQ(counted, 6) << "the bar follows the line, not the disk";
    }
}

TEST(Transfer, ProductLineSizeLineAndPercent)
{
    EXPECT_EQ(ProductLine("KXWIN"), "\r\nKXWIN\t32\tSF\r\n");
    EXPECT_EQ(ParseAnnouncedSize(" 1000\r\n"), 1000);
    EXPECT_EQ(ParseAnnouncedSize("x1"), 0);
    EXPECT_EQ(ParseAnnouncedSize("99999999999"), 2147483647);
    EXPECT_EQ(TransferPercent(50, 0), 0) << "no total yet";
    EXPECT_EQ(TransferPercent(1999, 2000), 99);
    // A host announcing a size near the largest int.
    const int total = TransferTotal(500, ParseAnnouncedSize("2147483600"));
    EXPECT_EQ(total, 2147483647);
    EXPECT_EQ(TransferPercent(total, total), 100);
    EXPECT_EQ(TransferPercent(500 + 1000, TransferTotal(500, 1000)), 100);
}
