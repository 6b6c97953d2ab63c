#include "port_wait.h"

namespace {

/* A modem answers a command within a few milliseconds; what takes longer
 * (a dial, the far end of a call) is not hurried by looking every 2 ms, and
 * on a registration call those looks were most of its processor time. */
const unsigned long kBusyPollMs = 2;
const unsigned long kReplySpellMs = 50;
const unsigned long kStreamPollMs = 10;
const unsigned long kQuietPollMs = 30;
const unsigned long kActiveSpellMs = 200;

}  // namespace

void PortWait::Sent()
{
    lastSent_ = GetTickCount();
    awaitingReply_ = true;
}

void PortWait::Received()
{
    lastReceived_ = GetTickCount();
    awaitingReply_ = false;
}

unsigned long PortWait::Bound(unsigned long now) const
{
    if (awaitingReply_ && now - lastSent_ < kReplySpellMs)
        return kBusyPollMs;
    if (now - lastReceived_ < kActiveSpellMs || now - lastSent_ < kActiveSpellMs)
        return kStreamPollMs;
    return kQuietPollMs;
}

void PortWait::Block(GFSerial* port, unsigned long ms, bool wakeOnMessages)
{
    if (!port) {
        Sleep(ms);
        return;
    }
    if (port->RXCount() > 0)
        return;
    /* Asking marks what is queued as seen, so that only a new message ends
     * the block below: a wait that pumps takes one message per pass and
     * returns while any is left; one that does not would otherwise wake
     * for good on the messages it leaves. */
    if (HIWORD(GetQueueStatus(QS_ALLINPUT)) != 0 && wakeOnMessages)
        return;
    unsigned long bound = Bound(GetTickCount());
    MsgWaitForMultipleObjects(0, NULL, FALSE, ms < bound ? ms : bound, QS_ALLINPUT);
}
