/* Sending to the modem: command lines built from the profile's modem
 * settings, cut to the modem's maximum line length, the dial line and the
 * hang-up. */
#include <stdio.h>
#include <string.h>
#include <strings.h>

#include "modem_engine.h"

namespace {

const int kTextRoom = 200;
const int kHangUpItem = 114, kOkItem = 116;
const int kDialMethodItem = 104, kExtraDialItem = 131, kWantExtraDialItem = 137;
const int kDialSettingItems[] = {101, 102, 103, 105, 104};  /* in the dial line's order */
const unsigned long kDialPieceWaitMs = 2000, kEscapeWaitMs = 3000;

/* A keyword setting and the command item each of its keywords selects. */
struct SettingChoice {
    int keywordItem;
    const char* keyword;    /* null: anything else */
    int commandItem;
};

const SettingChoice kSettingChoices[] = {
    {101, "Off", 141}, {101, "On", 143}, {101, nullptr, 142},
    {102, "Medium", 133}, {102, "High", 134}, {102, nullptr, 132},
    {103, "Slow", 135}, {103, "Fast", 137}, {103, nullptr, 136},
    {104, "Pulse", 126}, {104, nullptr, 125},
    {105, "None", 127}, {105, "Tone", 128}, {105, "Busy", 129}, {105, nullptr, 130},
};

/* Items whose text is a complete command that carries the prefix itself. */
bool CarriesPrefix(int item)
{
    return item == 58 || item == 113 || item == 114 || item == 115 || item == 146 ||
           item == 148;
}

/* Appends text to a line of room bytes, cutting what does not fit. */
void Append(char* line, size_t room, const char* text)
{
    size_t used = strlen(line);
    if (used + 1 < room)
        strncat(line, text, room - used - 1);
}

}  // namespace

int ModemEngine::ResolveSettingItem(int item)
{
    char keyword[40];
    bool read = false;
    for (const SettingChoice& choice : kSettingChoices) {
        if (choice.keywordItem != item)
            continue;
        if (!read) {
            io_.ShortItem(item, keyword, sizeof keyword);
            read = true;
        }
        if (!choice.keyword || strcasecmp(choice.keyword, keyword) == 0)
            return choice.commandItem;
    }
    return item;
}

void ModemEngine::SendChar(unsigned long flags, char c)
{
    if (flags & ModemFlags::EchoSent)
        io_.EchoChar(c);
    io_.PutChar(c);
}

void ModemEngine::SendString(unsigned long flags, const char* text, int mode)
{
    if (flags & ModemFlags::EchoSent) {
        for (const char* p = text;; ++p) {
            io_.EchoChar(*p);
            if (!*p)
                break;
        }
    }
    io_.PutString(text, mode);
}

int ModemEngine::SendCommand(unsigned long flags, unsigned long timeout, const char* line)
{
    if (flags & ModemFlags::FlushTransmit)
        io_.FlushTransmit();
    if (flags & ModemFlags::FlushReceive)
        io_.FlushReceive();
    if (flags & ModemFlags::WaitResult)
        io_.Notify(2);
    bool terminate = (flags & ModemFlags::Terminate) != 0;
    int expected = static_cast<int>(strlen(line)) + (terminate ? 1 : 0);
    if (io_.PutString(line, terminate ? -2 : -1) != expected)
        return ModemResult::SendFailed;
    if (!(flags & ModemFlags::WaitResult))
        return ModemResult::Ok;
    const int replies[] = {116, 119};
    int found = WaitForItems(flags & ~static_cast<unsigned long>(ModemFlags::Poll), timeout,
                             replies, 2);
    if (found == 0)
        return ModemResult::Ok;
    if (found == 1)
        return ModemResult::Error;
    return found;
}

/* Builds lines from the texts (or, when texts is null, the items' texts)
 * and sends each line as it fills up: the count starts at 1 for the
 * terminator and 2 more for the prefix, whatever the prefix's length. */
int ModemEngine::SendLines(unsigned long flags, unsigned long timeout,
                           const char* const* texts, const int* items, int count)
{
    bool prefixed = (flags & ModemFlags::Prefix) != 0;
    const char* startText = prefixed ? s_.prefix : "";
    const int startCount = 1 + (prefixed ? 2 : 0);
    char line[kTextRoom * 2 + 16];
    strcpy(line, startText);
    int lineCount = startCount;
    bool lineHasText = false;
    for (int i = 0; i < count; ++i) {
        char itemText[kTextRoom + 1];
        const char* text;
        int item = 0;
        if (texts) {
            text = texts[i] ? texts[i] : "";
        } else {
            item = ResolveSettingItem(items[i]);
            io_.ShortItem(item, itemText, sizeof itemText);
            text = itemText;
        }
        int length = static_cast<int>(strlen(text));
        lineCount += length;
        if (lineCount > s_.maxLine && lineHasText) {
            int result = SendCommand(flags, timeout, line);
            if (result != ModemResult::Ok)
                return result;
            strcpy(line, startText);
            lineCount = startCount + length;
        }
        if (!texts && prefixed && CarriesPrefix(item)) {
            size_t skip = strlen(s_.prefix);
            text += strlen(text) < skip ? strlen(text) : skip;
        }
        Append(line, sizeof line, text);
        lineHasText = true;
    }
    return SendCommand(flags, timeout, line);
}

int ModemEngine::SendItems(unsigned long flags, unsigned long timeout, const int* items,
                           int count)
{
    return SendLines(flags, timeout, nullptr, items, count);
}

int ModemEngine::SendStrings(unsigned long flags, unsigned long timeout,
                             const char* const* texts, int count)
{
    return SendLines(flags, timeout, texts, nullptr, count);
}

bool ModemEngine::SendProfileString(unsigned long flags, unsigned long timeout, int item)
{
    char text[kTextRoom + 1];
    io_.LongItem(item, text, sizeof text);
    if (item == 56 || item == 58)
        flags &= ~static_cast<unsigned long>(ModemFlags::Prefix);
    /* Nothing sent is nothing acknowledged: a profile without the command
     * leaves the modem as it was, and the caller's fallback must run. */
    if (!text[0])
        return false;
    const char* texts[] = {text};
    return SendStrings(flags, timeout, texts, 1) == ModemResult::Ok;
}

/* Sends a number too long for one line in pieces ending with ";" (stay in
 * command mode), then the last piece, whose reply the caller awaits. */
int ModemEngine::DialLines(unsigned long flags, const char* dialPrefix, const char* number)
{
    char line[kTextRoom * 2 + 16];
    size_t maxLine = s_.maxLine;
    if (strlen(dialPrefix) + strlen(number) + 1 <= maxLine) {
        snprintf(line, sizeof line, "%s%s", dialPrefix, number);
        io_.PutString(line, -2);
        return ModemResult::Ok;
    }
    snprintf(line, sizeof line, "%s;", dialPrefix);
    int result = SendCommand(flags, kDialPieceWaitMs, line);
    if (result != ModemResult::Ok)
        return result;
    char start[kTextRoom + 16];
    char method[kTextRoom + 1];
    io_.ShortItem(ResolveSettingItem(kDialMethodItem), method, sizeof method);
    snprintf(start, sizeof start, "%s%s", s_.prefix, method);
    size_t startLength = strlen(start);
    /* Room for at least one digit besides ";" and the terminator, or the
     * number can never be sent within the limit. */
    if (startLength + 3 > maxLine)
        return ModemResult::SendFailed;
    const char* rest = number;
    while (startLength + strlen(rest) + 1 > maxLine) {
        int take = static_cast<int>(maxLine - startLength - 2);
        snprintf(line, sizeof line, "%s%.*s;", start, take, rest);
        result = SendCommand(flags, kDialPieceWaitMs, line);
        if (result != ModemResult::Ok)
            return result;
        rest += take;
    }
    snprintf(line, sizeof line, "%s%s", start, rest);
    io_.PutString(line, -2);
    return ModemResult::Ok;
}

int ModemEngine::DialWithLimit(unsigned long flags, unsigned long timeout, const char* number)
{
    char dialPrefix[kTextRoom + 16];
    strcpy(dialPrefix, s_.prefix);
    for (int setting : kDialSettingItems) {
        char text[kTextRoom + 1];
        io_.ShortItem(ResolveSettingItem(setting), text, sizeof text);
        Append(dialPrefix, sizeof dialPrefix, text);
    }
    if (io_.NumberItem(kWantExtraDialItem)) {
        char extra[kTextRoom + 1];
        io_.ShortItem(kExtraDialItem, extra, sizeof extra);
        Append(dialPrefix, sizeof dialPrefix, extra);
    }
    if (!number || !number[0])
        return ModemResult::Ok;
    int result = DialLines(flags, dialPrefix, number);
    if (result != ModemResult::Ok || !(flags & ModemFlags::WaitResult))
        return result;
    return WaitForCallResult(flags, timeout, 1);
}

bool ModemEngine::HangUp(unsigned long flags, unsigned long timeout)
{
    flags &= ~static_cast<unsigned long>(ModemFlags::Poll);
    if (io_.CarrierOn()) {
        io_.SetDtr(0);
        io_.Delay(500);
        io_.SetDtr(1);
        io_.Delay(1000);
        if (io_.CarrierOn()) {
            io_.PutChar('+');
            io_.Delay(1000);
            io_.PutChar('+');
            io_.Delay(1000);
            io_.PutChar('+');
            const int ok[] = {kOkItem};
            WaitForItems(flags, kEscapeWaitMs, ok, 1);
        }
        io_.FlushReceive();
    }
    const int hangUp[] = {kHangUpItem};
    return SendItems(flags, timeout, hangUp, 1) == ModemResult::Ok;
}
