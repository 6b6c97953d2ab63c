/* Waiting for the modem: every loop checks the deadline and the abort field,
 * reads what has arrived, matches it, and keeps the user interface alive with
 * Idle. A pass that found nothing blocks until a character or a window
 * message may be there, so that waiting costs no processor time. */
#include <ctype.h>
#include <string.h>

#include "modem_engine.h"

ModemWaitArm ModemEngine::itemsArm;
ModemWaitArm ModemEngine::stringsArm;
ModemWaitArm ModemEngine::callArm;

namespace {

/* The longest a blocked pass sleeps even with nothing to wake it: the abort
 * field may be set without a message to say so. */
const unsigned long kLongestBlockMs = 50;
const int kBulkReadMax = 59;
const int kLineMax = 60;
const int kWatchedItem = 159;
const int kOkItem = 116, kNoCarrierItem = 118, kFirstCallItem = 116, kCallItemCount = 9;
const unsigned long kCallLineWaitMs = 3000, kAbandonWaitMs = 3000;

}  // namespace

bool ModemEngine::BeforeDeadline(unsigned long deadline)
{
    return static_cast<long>(deadline - io_.Now()) > 0;
}

void ModemEngine::BlockUntil(unsigned long deadline, unsigned long flags)
{
    long left = static_cast<long>(deadline - io_.Now());
    if (left <= 0)
        return;
    io_.Block(static_cast<unsigned long>(left) < kLongestBlockMs ? left : kLongestBlockMs,
              (flags & ModemFlags::Pump) != 0);
}

int ModemEngine::ReadAvailable(unsigned long flags, char* buffer)
{
    int n = 0;
    if (io_.ReceivedCount() > 0) {
        if (flags & ModemFlags::BulkRead)
            n = static_cast<int>(io_.GetBuffer(reinterpret_cast<unsigned char*>(buffer), kBulkReadMax));
        else
            n = io_.GetChar(buffer) ? 1 : 0;
    }
    buffer[n] = '\0';
    for (int i = 0; i < n; ++i) {
        if (flags & ModemFlags::Uppercase)
            buffer[i] = static_cast<char>(toupper(static_cast<unsigned char>(buffer[i])));
        if (flags & ModemFlags::EchoReceived)
            io_.EchoChar(buffer[i]);
    }
    return n;
}

int ModemEngine::MatchReplies(unsigned long flags, const char* text, int length)
{
    for (int i = 0; i < length; ++i) {
        if (text[i] == ' ' && (flags & ModemFlags::SkipSpaces))
            continue;
        int found = FeedReplyTable(s_.replies, text[i]);
        if (found >= 0)
            return found;
        io_.Idle(flags);
    }
    return ModemResult::NoMatch;
}

void ModemEngine::LoadItemReplies(const int* items, int count)
{
    char texts[kReplyTableSize - 1][kReplyTextMax + 1];
    const char* pointers[kReplyTableSize - 1];
    if (count > kReplyTableSize - 1)
        count = kReplyTableSize - 1;
    for (int i = 0; i < count; ++i) {
        io_.ShortItem(items[i], texts[i], sizeof texts[i]);
        pointers[i] = texts[i];
    }
    LoadReplyTable(s_.replies, pointers, count);
}

void ModemEngine::ForgetLink(const ModemLinkState& state)
{
    ModemWaitArm* const arms[] = {&itemsArm, &stringsArm, &callArm};
    for (ModemWaitArm* arm : arms)
        if (arm->owner == &state)
            *arm = ModemWaitArm();
}

/* An armed wait goes on with its series only for the link that armed it,
 * and only until an abort. */
bool ModemEngine::ContinuesSeries(const ModemWaitArm& arm) const
{
    return arm.armed && arm.owner == &s_ && !s_.abortRequest;
}

void ModemEngine::Arm(ModemWaitArm& arm, unsigned long timeout)
{
    s_.abortRequest = 0;
    arm.deadline = io_.Now() + timeout;
    arm.armed = true;
    arm.owner = &s_;
}

int ModemEngine::EndWait(ModemWaitArm& arm)
{
    arm.armed = false;
    io_.Notify(3);
    if (s_.abortRequest) {
        s_.abortRequest = 0;
        return ModemResult::Cancelled;
    }
    return ModemResult::TimedOut;
}

/* The loop of WaitForItems and WaitForStrings, on the table in place. */
int ModemEngine::WaitForReplies(unsigned long flags, ModemWaitArm& arm)
{
    char buffer[kBulkReadMax + 1];
    while (BeforeDeadline(arm.deadline) && !s_.abortRequest) {
        int n = ReadAvailable(flags, buffer);
        if (n > 0) {
            int found = MatchReplies(flags, buffer, n);
            if (found != ModemResult::NoMatch) {
                arm.armed = false;
                io_.Notify(3);
                return found;
            }
        }
        if (flags & ModemFlags::Poll)
            return ModemResult::Pending;
        io_.Idle(flags);
        if (n == 0)
            BlockUntil(arm.deadline, flags);
    }
    return EndWait(arm);
}

int ModemEngine::WaitForItems(unsigned long flags, unsigned long timeout, const int* items,
                              int count)
{
    if (!ContinuesSeries(itemsArm)) {
        io_.Notify(2);
        LoadItemReplies(items, count);
        Arm(itemsArm, timeout);
    }
    return WaitForReplies(flags, itemsArm);
}

int ModemEngine::WaitForStrings(unsigned long flags, unsigned long timeout,
                                const char* const* texts, int count)
{
    if (!ContinuesSeries(stringsArm)) {
        io_.Notify(2);
        LoadReplyTable(s_.replies, texts, count);
        Arm(stringsArm, timeout);
    }
    return WaitForReplies(flags, stringsArm);
}

int ModemEngine::CollectReply(unsigned long flags, unsigned long timeout, char* buffer,
                              int size, const int* items, int count)
{
    if (size <= 0)
        return 0;
    LoadItemReplies(items, count);
    return CollectLoaded(flags, timeout, buffer, size);
}

int ModemEngine::CollectUntil(unsigned long flags, unsigned long timeout, char* buffer,
                              int size, const char* const* texts, int count)
{
    if (size <= 0)
        return 0;
    LoadReplyTable(s_.replies, texts, count);
    return CollectLoaded(flags, timeout, buffer, size);
}

/* The loop of CollectReply and CollectUntil, on the table in place. */
int ModemEngine::CollectLoaded(unsigned long flags, unsigned long timeout, char* buffer, int size)
{
    io_.Notify(2);
    s_.abortRequest = 0;
    unsigned long deadline = io_.Now() + timeout;
    flags &= ~static_cast<unsigned long>(ModemFlags::BulkRead);
    int stored = 0;
    char c[2];
    while (BeforeDeadline(deadline) && stored < size - 1 && !s_.abortRequest) {
        int n = ReadAvailable(flags, c);
        if (n > 0 && !(c[0] == ' ' && (flags & ModemFlags::SkipSpaces))) {
            buffer[stored++] = c[0];
            if (FeedReplyTable(s_.replies, c[0]) >= 0)
                break;
        }
        io_.Idle(flags);
        if (n == 0)
            BlockUntil(deadline, flags);
    }
    buffer[stored] = '\0';
    io_.Notify(3);
    return stored;
}

int ModemEngine::ReadLine(unsigned long flags, unsigned long timeout, char* out, int outSize)
{
    s_.abortRequest = 0;
    if (outSize > 0)
        out[0] = '\0';
    unsigned long deadline = io_.Now() + timeout;
    char line[kLineMax + 1];
    int length = 0;
    bool complete = false;
    while (BeforeDeadline(deadline) && length < kLineMax && !s_.abortRequest) {
        bool got = io_.ReceivedCount() > 0 && io_.GetChar(&line[length]);
        if (got) {
            if (flags & ModemFlags::EchoReceived)
                io_.EchoChar(line[length]);
            ++length;
            if (LineComplete(line, length, flags)) {
                complete = true;
                break;
            }
        }
        io_.Idle(flags);
        if (!got)
            BlockUntil(deadline, flags);
    }
    if (!complete) {
        if (s_.abortRequest) {
            s_.abortRequest = 0;
            return ModemResult::Cancelled;
        }
        return ModemResult::TimedOut;
    }
    line[length] = '\0';
    if (outSize > 0) {
        strncpy(out, line, outSize - 1);
        out[outSize - 1] = '\0';
    }
    if (flags & ModemFlags::Watch) {
        char watched[20];
        io_.ShortItem(kWatchedItem, watched, sizeof watched);
        if (char* caret = strchr(watched, '^'))
            *caret = '\0';
        if (watched[0] && strstr(line, watched))
            io_.OnWatchedReply();
    }
    return ModemResult::Ok;
}

int ModemEngine::WaitForCallResult(unsigned long flags, unsigned long timeout,
                                   int hangUpOnFailure)
{
    if (!ContinuesSeries(callArm)) {
        io_.Notify(2);
        int items[kCallItemCount];
        for (int i = 0; i < kCallItemCount; ++i)
            items[i] = kFirstCallItem + i;
        LoadItemReplies(items, kCallItemCount);
        Arm(callArm, timeout);
    }
    while (BeforeDeadline(callArm.deadline) && !s_.abortRequest) {
        char line[80];
        int read = ReadLine(flags | ModemFlags::LineCrLf, kCallLineWaitMs, line, sizeof line);
        if (read == ModemResult::Ok) {
            int found = MatchReplies(flags, line, static_cast<int>(strlen(line)));
            if (found != ModemResult::NoMatch) {
                callArm.armed = false;
                io_.Notify(3);
                int result = found >= 7 ? ModemResult::OtherFailure : ModemResult::Ok + found;
                if (result == ModemResult::Connect) {
                    strncpy(s_.connectMessage, line, sizeof s_.connectMessage - 1);
                    s_.connectMessage[sizeof s_.connectMessage - 1] = '\0';
                }
                return result;
            }
        } else if (read == ModemResult::Cancelled) {
            s_.abortRequest = 1;
            break;
        }
        if (flags & ModemFlags::Poll)
            return ModemResult::Pending;
        io_.Idle(flags);
    }
    callArm.armed = false;
    bool cancelled = s_.abortRequest != 0;
    if (hangUpOnFailure) {
        /* Any character abandons a dial in progress; the modem then says OK
         * or NO CARRIER. The abandon wait must not eat the cancellation. */
        s_.abortRequest = 0;
        io_.PutChar('\r');
        const int abandonReplies[] = {kOkItem, kNoCarrierItem};
        WaitForItems(flags & ~static_cast<unsigned long>(ModemFlags::Poll), kAbandonWaitMs,
                     abandonReplies, 2);
    }
    s_.abortRequest = cancelled ? 1 : 0;
    return EndWait(callArm);
}
