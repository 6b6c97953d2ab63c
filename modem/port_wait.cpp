#include "port_wait.h"

namespace {

/* A modem answers a command within a few milliseconds; what takes longer
 * (a dial, the far end of a call) is not hurried by looking every 2 ms. */
const unsigned long kBusyPollMs = 2;
const unsigned long kReplySpellMs = 50;
/* Otherwise the port is looked at this often. A file streaming in at 28800
 * bit/s brings about 90 bytes per look, and each look costs the program and
 * the server several round trips under Wine; its last byte is seen at most
 * this much later. */
const unsigned long kPollMs = 30;
/* After a look that found the queue empty, the next one waits this long:
 * no one at the keyboard can tell, and a block meanwhile ends at once on
 * any message that came. */
const unsigned long kPumpSpacingMs = 5;

}  // namespace

void PortWait::Sent()
{
    lastSent_ = GetTickCount();
    awaitingReply_ = true;
}

void PortWait::Received()
{
    awaitingReply_ = false;
}

bool PortWait::PumpDue() const
{
    return inputPending_ || GetTickCount() - lastPump_ >= kPumpSpacingMs;
}

void PortWait::Pumped(bool tookMessage)
{
    lastPump_ = GetTickCount();
    inputPending_ = tookMessage;
}

unsigned long PortWait::Bound(unsigned long now) const
{
    return awaitingReply_ && now - lastSent_ < kReplySpellMs ? kBusyPollMs : kPollMs;
}

void PortWait::Block(GFSerial* port, unsigned long ms, bool wakeOnMessages)
{
    if (!port) {
        Sleep(ms);
        return;
    }
    if (port->RXCount() > 0)
        return;
    /* The block ends on messages that came since the queue was last looked
     * at. A wait that does not pump asks first, which marks what is queued
     * as seen: otherwise it would wake for good on the messages it leaves.
     * One that pumps takes them, so what ends its block is worth a look. */
    if (!wakeOnMessages)
        GetQueueStatus(QS_ALLINPUT);
    unsigned long bound = Bound(GetTickCount());
    DWORD woke = MsgWaitForMultipleObjects(0, NULL, FALSE, ms < bound ? ms : bound, QS_ALLINPUT);
    if (wakeOnMessages && woke == WAIT_OBJECT_0)
        inputPending_ = true;
}
