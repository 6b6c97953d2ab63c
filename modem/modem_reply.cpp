#include "modem_reply.h"

#include <string.h>

#include "modem_flags.h"

void DecodeCarets(const char* text, char* out, size_t outSize)
{
    if (outSize == 0)
        return;
    size_t n = 0;
    for (const char* p = text; *p && n + 1 < outSize; ++p) {
        if (*p == '^' && p[1]) {
            out[n++] = static_cast<char>(p[1] - 64);
            ++p;
        } else {
            out[n++] = *p;
        }
    }
    out[n] = '\0';
}

void LoadReplyTable(ModemReply* table, const char* const* texts, int count)
{
    if (count > kReplyTableSize - 1)
        count = kReplyTableSize - 1;
    for (int i = 0; i < count; ++i) {
        char cut[kReplyTextMax + 1];
        strncpy(cut, texts[i] ? texts[i] : "", kReplyTextMax);
        cut[kReplyTextMax] = '\0';
        DecodeCarets(cut, table[i].text, sizeof table[i].text);
        table[i].length = static_cast<int>(strlen(table[i].text));
        table[i].progress = 0;
    }
    table[count].text[0] = '\0';
    table[count].length = 0;
    table[count].progress = 0;
}

int FeedReplyTable(ModemReply* table, char c)
{
    for (int i = 0; i < kReplyTableSize && table[i].length > 0; ++i) {
        ModemReply& entry = table[i];
        if (c != entry.text[entry.progress]) {
            entry.progress = 0;
            continue;
        }
        if (++entry.progress == entry.length) {
            entry.progress = 0;
            return i;
        }
    }
    return -1;
}

bool LineComplete(const char* line, size_t length, unsigned long flags)
{
    if (length == 0)
        return false;
    char last = line[length - 1];
    if (last == '\r')
        return (flags & ModemFlags::LineCr) != 0;
    if (last != '\n')
        return false;
    if (flags & ModemFlags::LineLf)
        return true;
    return (flags & ModemFlags::LineCrLf) && length >= 2 && line[length - 2] == '\r';
}

void TrimToFirstLine(char* text)
{
    size_t skip = 0;
    while (skip < 2 && (text[skip] == '\r' || text[skip] == '\n'))
        ++skip;
    memmove(text, text + skip, strlen(text + skip) + 1);
    char* cr = strchr(text, '\r');
    if (cr)
        *cr = '\0';
}
