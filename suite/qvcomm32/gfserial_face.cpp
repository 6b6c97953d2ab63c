// GFSerial as the suite's programs call it: each member hands over to the
// port behind it, whose pointer the object keeps in its first private word.
#include "qvcomm32.h"
#include "serial_core.h"

namespace {

SerialPort* PortIn(void* const* reserved)
{
    return static_cast<SerialPort*>(reserved[0]);
}

}  // namespace

GFSerial::GFSerial(CommType, const char* port, HWND, CommProducts, CommApplications,
                   unsigned short rxQueue, unsigned short txQueue, unsigned short, void*)
{
    reserved_[0] = SerialOpen(port, rxQueue, txQueue);
}

GFSerial::~GFSerial() { SerialFree(PortIn(reserved_)); }
int GFSerial::GetChar(char* dst, int wait) { return SerialGetChar(PortIn(reserved_), dst, wait); }
int GFSerial::PutChar(char c) { return SerialPutChar(PortIn(reserved_), c); }

int GFSerial::GetCommError(unsigned short& detail)
{
    return SerialGetCommError(PortIn(reserved_), &detail);
}

int GFSerial::SetHandShake(char* mode) { return SerialSetHandShake(PortIn(reserved_), mode); }

int GFSerial::SetUp(long baud, char parity, int dataBits, int stopBits)
{
    return SerialSetUp(PortIn(reserved_), baud, parity, dataBits, stopBits);
}

int GFSerial::PutString(const char* text, int mode)
{
    return SerialPutString(PortIn(reserved_), text, mode);
}

unsigned GFSerial::GetBuffer(unsigned char* dst, unsigned max)
{
    return SerialGetBuffer(PortIn(reserved_), dst, max);
}

int GFSerial::RXCount() { return SerialRXCount(PortIn(reserved_)); }
int GFSerial::RXFlush(unsigned) { return SerialRXFlush(PortIn(reserved_)); }
int GFSerial::TXFlush() { return SerialTXFlush(PortIn(reserved_)); }
int GFSerial::Dtr(int on) { return SerialDtr(PortIn(reserved_), on); }
int GFSerial::Status() { return SerialStatus(PortIn(reserved_)); }
int GFSerial::Carrier() { return SerialCarrier(PortIn(reserved_)); }

int GFSerial::Delay(unsigned long ms)
{
    SerialDelay(ms);
    return 1;
}

// Nothing to tell: received data is looked for whenever it is asked for.
int GFSerial::CommNotify(SetNotifyType, int, int, int) { return 1; }

int GFSerial::OnIdle() { return SerialOnIdle(PortIn(reserved_)); }

int GFSerial::WaitForInput(unsigned long ms, int wakeOnMessages)
{
    return SerialWaitForInput(PortIn(reserved_), ms, wakeOnMessages);
}

int GFSerial::Close() { return SerialClose(PortIn(reserved_)); }
