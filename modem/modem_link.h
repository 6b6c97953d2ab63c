/* ModemLink: the AT command engine on a serial port that somebody else has
 * opened. Commands are built from the modem settings of the setup profile
 * (the model's commands and replies from the modem database), replies are
 * awaited against deadlines while window messages keep being dispatched, a
 * number is dialled with the user's dial settings, and the line is hung up.
 *
 * The lists of items end with kModemItemsEnd (171), the lists of texts with
 * a null pointer. Results are ModemResult codes, or a reply's index 0 to 9
 * for the waits that look for replies (modem_flags.h). */
#ifndef QVWIZ_MODEM_LINK_H
#define QVWIZ_MODEM_LINK_H

#include <windows.h>

#include <qvcomm32_calls.h>
#include <qvstp32_calls.h>

#include "modem_engine.h"
#include "port_wait.h"
#include "modem_flags.h"

class ModemLink {
public:
    /* port stays the creator's: it is closed and deleted after the link is
     * gone. reserved is always 0. Reads the command prefix (S112) and the
     * maximum line length (N155). */
    ModemLink(GFSerial* port, long reserved);
    virtual ~ModemLink();

    /* Given each received character with EchoReceived, each sent one with
     * EchoSent. Does nothing here. */
    virtual void EchoChar(char c);
    /* Called on every pass of every wait and for every character matched:
     * with Pump, dispatches one window message (while characters stream in,
     * at most one each few milliseconds); then the port's idle work. */
    virtual void Idle(unsigned long flags);
    /* A line read with Watch contained the watched reply (S159). */
    virtual void OnWatchedReply();

    /* Sends the command in long item 56 or 58 with the default flags and
     * 3 s for the OK; true when it came. */
    BOOL SendInitString(int item);
    BOOL SendProfileString(unsigned long flags, unsigned long timeout, int item);
    /* Drops the call if there is one (DTR, then the escape) and sends the
     * hang-up command (S114); true when the modem acknowledged it. */
    BOOL HangUp();
    BOOL HangUp(unsigned long flags, unsigned long timeout);

    int SendItems(unsigned long flags, unsigned long timeout, int item, ...);
    int SendStrings(unsigned long flags, unsigned long timeout, const char* text, ...);
    int SendCommand(unsigned long flags, unsigned long timeout, const char* line);
    int WaitForItems(unsigned long flags, unsigned long timeout, int item, ...);
    int WaitForStrings(unsigned long flags, unsigned long timeout, const char* text, ...);
    int WaitForCallResult(unsigned long flags, unsigned long timeout, int hangUpOnFailure);
    /* The modem's output until one of the replies, at most size - 1
     * characters; the count stored (the buffer is NUL-terminated). */
    int CollectReply(unsigned long flags, unsigned long timeout, char* buffer, int size,
                     int item, ...);
    /* The same until the literal text end (at most 29 characters). */
    int CollectUntil(unsigned long flags, unsigned long timeout, char* buffer, int size,
                     const char* end);
    int ReadLine(unsigned long flags, unsigned long timeout, char* out, int outSize);
    /* Dials with the dial result time limit of N150. */
    int Dial(unsigned long flags, char* number, long reserved);
    int DialWithLimit(unsigned long flags, unsigned long timeout, char* number, long reserved);
    void SendChar(unsigned long flags, char c);
    void SendString(unsigned long flags, const char* text, int mode);
    void Delay(unsigned long ms);
    int ResolveSettingItem(int item);

    /* The abort field: a window handler sets it to end the running wait
     * with Cancelled. */
    void RequestAbort() { state_.abortRequest = 1; }
    bool AbortRequested() const { return state_.abortRequest != 0; }
    /* The CONNECT line of the last dial, as received. */
    const char* ConnectMessage() const { return state_.connectMessage; }
    GFSerial* Port() const { return port_; }
    /* Sleeps until the port may have data or a window message comes (at
     * most ms): for a caller that polls a wait with ModemFlags::Poll. */
    void BlockForInput(unsigned long ms, bool wakeOnMessages) { wait_.Block(port_, ms, wakeOnMessages); }

private:
    friend class LinkIo;
    ModemLink(const ModemLink&);
    ModemLink& operator=(const ModemLink&);

    GFSerial* port_;
    long reserved_;
    ModemLinkState state_;      /* prefix, maximum line, abort field, replies, connect line */
    CQSetupProfile profile_;
    PortWait wait_;
};

#endif
