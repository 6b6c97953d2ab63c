#include "transfer_core.h"
#include <climits>
#include <cstdio>

const char* const kHostPrompts[6] = {
    "\r\nInfo:", "\r\nData:", "\r\nFileSize:", "\r\nOK\r\n", "\r\nERROR\r\n", "\r\nUNKNOWN\r\n",
};
const char kCancelSequence[7] = "\x18\x18\x18\x18\x18\x18";
const char kCancelAcknowledged[4] = "\x1A\x1A\x1A";
const char kFileEnd[4] = "\x1A\x1A\x1A";

std::string ProductLine(const char* productTag)
{
    char line[128];
    std::snprintf(line, sizeof line, "\r\n%s\t%d\t%s\r\n", productTag, 32, "SF");
    return line;
}

int ParseAnnouncedSize(const char* line)
{
    while (*line == ' ' || *line == '\t')
        line++;
    long long value = 0;
    for (; *line >= '0' && *line <= '9'; line++) {
        value = value * 10 + (*line - '0');
        if (value > INT_MAX)
            return INT_MAX;
    }
    return static_cast<int>(value);
}

int TransferTotal(int dataLength, int announcedSize)
{
    long long total = static_cast<long long>(dataLength) + announcedSize;
    return total > INT_MAX ? INT_MAX : static_cast<int>(total);
}

int TransferPercent(long done, long total)
{
    if (total <= 0)
        return 0;
    return static_cast<int>(static_cast<long long>(done) * 100 / total);
}

int InfoFileReceiver::Feed(const char* chunk, size_t length, FileSink& sink)
{
    int written = 0;
    for (size_t i = 0; i < length && chunk[i] != '\0' && !m_complete; i++) {
        if (chunk[i] == kFileEndByte) {
            m_complete = ++m_endBytes == 3;
            continue;
        }
        if (!m_writeFailed && !sink.WriteByte(chunk[i]))
            m_writeFailed = true;
        written++;
        m_endBytes = 0;
    }
    return written;
}
