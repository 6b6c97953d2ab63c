/* Where a modem wait sleeps when a pass found nothing, and when it looks at
 * the message queue. The serial port cannot wake the waiting thread on every
 * kind of port (a machine COM port under Wine has no usable comm events), so
 * the wait blocks for window messages and looks at the port again after a
 * while: every 2 ms while a reply is awaited, otherwise every 30 ms. A
 * port that can tell of arriving bytes posts the waiting thread a message
 * once a wait has asked for notice (CommNotify), which ends the block at
 * once.
 *
 * Every look at the queue is a round trip to the server under Wine, so a
 * wait that pumps looks at most every few milliseconds, unless the block saw
 * a message arrive or the last look found one (more may be queued). */
#ifndef QVWIZ_PORT_WAIT_H
#define QVWIZ_PORT_WAIT_H

#include <qvcomm32_calls.h>

class PortWait {
public:
    PortWait()
        : lastSent_(0), lastPump_(0), awaitingReply_(false), inputPending_(true)
    {
    }

    void Sent();
    void Received();
    /* Whether a wait that pumps should look at the queue now, and what the
     * look found. */
    bool PumpDue() const;
    void Pumped(bool tookMessage);
    /* Blocks until a new window message arrives or the pacing bound or ms
     * pass; returns at once when the port has data or, with
     * wakeOnMessages, a message came since the queue was last looked at. */
    void Block(GFSerial* port, unsigned long ms, bool wakeOnMessages);

private:
    unsigned long Bound(unsigned long now) const;

    unsigned long lastSent_;      /* tick of the last characters sent */
    unsigned long lastPump_;      /* tick of the last look at the queue */
    bool awaitingReply_;          /* sent, and nothing received since */
    bool inputPending_;           /* a message may be queued unseen */
};

#endif
