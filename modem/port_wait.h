/* Where a modem wait sleeps when a pass found nothing. The serial port
 * cannot wake the waiting thread on every kind of port (a machine COM port
 * under Wine has no usable comm events), so the wait blocks for window
 * messages and looks at the port again after a while: briefly while a reply
 * is awaited, less often while bytes stream in without anyone waiting on
 * each, and rarely once the line has been quiet. A port that can tell of
 * arriving bytes posts the waiting thread a message once a wait has asked
 * for notice (CommNotify), which ends the block at once. */
#ifndef QVWIZ_PORT_WAIT_H
#define QVWIZ_PORT_WAIT_H

#include <qvcomm32.h>

class PortWait {
public:
    PortWait() : lastSent_(0), lastReceived_(0), awaitingReply_(false) {}

    void Sent();
    void Received();
    /* Blocks until a new window message arrives or the pacing bound or ms
     * pass; returns at once when the port has data or, with
     * wakeOnMessages, a message is still queued for the pump. */
    void Block(GFSerial* port, unsigned long ms, bool wakeOnMessages);

private:
    unsigned long Bound(unsigned long now) const;

    unsigned long lastSent_;      /* tick of the last characters sent */
    unsigned long lastReceived_;  /* tick of the last characters received */
    bool awaitingReply_;          /* sent, and nothing received since */
};

#endif
