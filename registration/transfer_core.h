// What the registration transfer decides without the line: the messages it
// sends, the size line it reads and the receiving of the host's product
// file. Portable, so that it is tested and fuzzed natively.
#ifndef QVWIZ_TRANSFER_CORE_H
#define QVWIZ_TRANSFER_CORE_H

#include <cstddef>
#include <string>

// The host's prompts, in the order the wait is given them: a wait result is
// an index into this list.
enum HostPrompt { PromptInfo, PromptData, PromptFileSize, PromptOk, PromptError, PromptUnknown };
extern const char* const kHostPrompts[6];

// The end of the product file, the cancel request and the host's
// acknowledgement of it.
const char kFileEndByte = 0x1A;
const char kCancelByte = 0x18;
extern const char kCancelSequence[7];       // six 0x18
extern const char kCancelAcknowledged[4];   // three 0x1A
extern const char kFileEnd[4];              // three 0x1A

// "\r\n<tag>\t32\tSF\r\n": the answer to "\r\nInfo:".
std::string ProductLine(const char* productTag);

// The number of a "\r\nFileSize:" line: blanks skipped, then digits up to
// the first other character; no digits, 0; too large, the largest int.
int ParseAnnouncedSize(const char* line);

// The field characters plus the announced size: the largest int when
// the host announces more than that can hold.
int TransferTotal(int dataLength, int announcedSize);

// done * 100 / total, 0 while the total is not known.
int TransferPercent(long done, long total);

// Where the received file's bytes go.
class FileSink {
public:
    virtual ~FileSink() {}
    // False when the byte could not be stored.
    virtual bool WriteByte(char c) = 0;
};

// The product file as the line delivers it: chunks of text, each processed
// up to its first NUL. Every byte but 0x1A is written; three 0x1A in a row
// end the file, fewer are dropped. After a byte the sink could not take,
// nothing more is written, but the file is still read to its end.
class InfoFileReceiver {
public:
    // Returns the number of file bytes in this chunk.
    int Feed(const char* chunk, size_t length, FileSink& sink);
    bool Complete() const { return m_complete; }
    bool WriteFailed() const { return m_writeFailed; }
    // The 0x1A bytes just seen in a row, still short of the end.
    int EndBytesSeen() const { return m_endBytes; }

private:
    int m_endBytes = 0;
    bool m_complete = false;
    bool m_writeFailed = false;
};

#endif
