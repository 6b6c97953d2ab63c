/* The AT command engine without a port, a clock or a message pump: command
 * lines built from the modem settings, replies awaited against deadlines,
 * dialling and hanging up. ModemLink runs it on a GFSerial; the tests run it
 * on a scripted modem. Portable. */
#ifndef QVWIZ_MODEM_ENGINE_H
#define QVWIZ_MODEM_ENGINE_H

#include "modem_flags.h"
#include "modem_reply.h"

/* What the engine needs from the world around it. */
class ModemIo {
public:
    virtual ~ModemIo() {}
    /* The port. */
    virtual int ReceivedCount() = 0;
    virtual int GetChar(char* c) = 0;
    virtual unsigned GetBuffer(unsigned char* dst, unsigned max) = 0;
    virtual int PutString(const char* text, int mode) = 0;
    virtual void PutChar(char c) = 0;
    virtual void FlushReceive() = 0;
    virtual void FlushTransmit() = 0;
    virtual void Notify(int type) = 0;          /* 2: a wait for data begins, 3: it ends */
    virtual bool CarrierOn() = 0;               /* status refreshed, then carrier */
    virtual void SetDtr(int on) = 0;
    virtual void Delay(unsigned long ms) = 0;
    /* Time and the user interface. */
    virtual unsigned long Now() = 0;            /* milliseconds, wrapping */
    virtual void Idle(unsigned long flags) = 0;
    /* Nothing arrived on this pass: block until a character (or, for a
     * wait that dispatches messages, a window message) may be there, at
     * most ms. */
    virtual void Block(unsigned long ms, bool wakeOnMessages) = 0;
    virtual void EchoChar(char c) = 0;
    virtual void OnWatchedReply() = 0;
    /* The modem settings of the setup profile. */
    virtual void ShortItem(int item, char* out, int size) = 0;
    virtual void LongItem(int item, char* out, int size) = 0;
    virtual unsigned long NumberItem(int item) = 0;
};

/* The link's own fields that the engine works on, in the link's order. */
struct ModemLinkState {
    char prefix[10];                /* e.g. "AT" */
    unsigned short maxLine;         /* longest line, prefix and terminator counted */
    volatile long abortRequest;     /* nonzero: the running wait ends with Cancelled */
    ModemReply replies[kReplyTableSize];
    char connectMessage[60];        /* the CONNECT line of the last dial */
};

/* A wait's deadline kept between the calls of a Poll series, and the link
 * whose series it is. */
struct ModemWaitArm {
    bool armed;
    unsigned long deadline;
    const ModemLinkState* owner;
};

class ModemEngine {
public:
    ModemEngine(ModemIo& io, ModemLinkState& state) : io_(io), s_(state) {}

    /* Sending (modem_commands.cpp). */
    int SendItems(unsigned long flags, unsigned long timeout, const int* items, int count);
    int SendStrings(unsigned long flags, unsigned long timeout, const char* const* texts, int count);
    int SendCommand(unsigned long flags, unsigned long timeout, const char* line);
    bool SendProfileString(unsigned long flags, unsigned long timeout, int item);
    int DialWithLimit(unsigned long flags, unsigned long timeout, const char* number);
    bool HangUp(unsigned long flags, unsigned long timeout);
    void SendChar(unsigned long flags, char c);
    void SendString(unsigned long flags, const char* text, int mode);
    int ResolveSettingItem(int item);

    /* Waiting (modem_waits.cpp). The arms are shared by every link. */
    int WaitForItems(unsigned long flags, unsigned long timeout, const int* items, int count);
    int WaitForStrings(unsigned long flags, unsigned long timeout, const char* const* texts,
                       int count);
    int WaitForCallResult(unsigned long flags, unsigned long timeout, int hangUpOnFailure);
    int CollectReply(unsigned long flags, unsigned long timeout, char* buffer, int size,
                     const int* items, int count);
    int CollectUntil(unsigned long flags, unsigned long timeout, char* buffer, int size,
                     const char* const* texts, int count);
    int ReadLine(unsigned long flags, unsigned long timeout, char* out, int outSize);
    int MatchReplies(unsigned long flags, const char* text, int length);
    int ReadAvailable(unsigned long flags, char* buffer);

    static ModemWaitArm itemsArm, stringsArm, callArm;
    /* A link that goes away disarms what it left armed: the next link (the
     * next call, maybe at the same address) starts its waits afresh instead
     * of continuing a series abandoned on another line. */
    static void ForgetLink(const ModemLinkState& state);

private:
    bool ContinuesSeries(const ModemWaitArm& arm) const;
    void Arm(ModemWaitArm& arm, unsigned long timeout);
    int WaitForReplies(unsigned long flags, ModemWaitArm& arm);
    int EndWait(ModemWaitArm& arm);
    int CollectLoaded(unsigned long flags, unsigned long timeout, char* buffer, int size);
    bool BeforeDeadline(unsigned long deadline);
    void BlockUntil(unsigned long deadline, unsigned long flags);
    void LoadItemReplies(const int* items, int count);
    int SendLines(unsigned long flags, unsigned long timeout, const char* const* texts,
                  const int* items, int count);
    int DialLines(unsigned long flags, const char* dialPrefix, const char* number);

    ModemIo& io_;
    ModemLinkState& s_;
};

#endif
