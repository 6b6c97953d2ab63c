// The proxy's calls (qvcomm32_calls.h) made on QVCOMM32's GFSerial in the
// suite's ABI. GetChar, PutChar and the destructor are reached through the
// object's table of virtuals, as every suite program reaches them.
#include "qvcomm32.h"
#include "qvcomm32_calls.h"

namespace {

// SuiteGFSerial is only the proxy's name for the real object.
GFSerial* Real(SuiteGFSerial* port)
{
    return reinterpret_cast<GFSerial*>(port);
}

}  // namespace

extern "C" {

SuiteGFSerial* GFSerialCallNew(CommType type, const char* port, HWND notifyWindow,
                               CommProducts product, CommApplications app,
                               unsigned short rxQueue, unsigned short txQueue,
                               unsigned short options, void* reserved)
{
    return reinterpret_cast<SuiteGFSerial*>(
        new GFSerial(type, port, notifyWindow, product, app, rxQueue, txQueue, options, reserved));
}

void GFSerialCallDelete(SuiteGFSerial* port) { delete Real(port); }
int GFSerialCallGetChar(SuiteGFSerial* port, char* dst, int wait) { return Real(port)->GetChar(dst, wait); }
int GFSerialCallPutChar(SuiteGFSerial* port, char c) { return Real(port)->PutChar(c); }

int GFSerialCallGetCommError(SuiteGFSerial* port, unsigned short* detail)
{
    return Real(port)->GetCommError(*detail);
}

int GFSerialCallSetHandShake(SuiteGFSerial* port, char* mode) { return Real(port)->SetHandShake(mode); }

int GFSerialCallSetUp(SuiteGFSerial* port, long baud, char parity, int dataBits, int stopBits)
{
    return Real(port)->SetUp(baud, parity, dataBits, stopBits);
}

int GFSerialCallPutString(SuiteGFSerial* port, const char* text, int mode)
{
    return Real(port)->PutString(text, mode);
}

unsigned GFSerialCallGetBuffer(SuiteGFSerial* port, unsigned char* dst, unsigned max)
{
    return Real(port)->GetBuffer(dst, max);
}

int GFSerialCallRXCount(SuiteGFSerial* port) { return Real(port)->RXCount(); }
int GFSerialCallRXFlush(SuiteGFSerial* port, unsigned reserved) { return Real(port)->RXFlush(reserved); }
int GFSerialCallTXFlush(SuiteGFSerial* port) { return Real(port)->TXFlush(); }
int GFSerialCallDtr(SuiteGFSerial* port, int on) { return Real(port)->Dtr(on); }
int GFSerialCallStatus(SuiteGFSerial* port) { return Real(port)->Status(); }
int GFSerialCallCarrier(SuiteGFSerial* port) { return Real(port)->Carrier(); }
int GFSerialCallDelay(SuiteGFSerial* port, unsigned long ms) { return Real(port)->Delay(ms); }

int GFSerialCallCommNotify(SuiteGFSerial* port, SetNotifyType type, int a, int b, int c)
{
    return Real(port)->CommNotify(type, a, b, c);
}

int GFSerialCallOnIdle(SuiteGFSerial* port) { return Real(port)->OnIdle(); }

int GFSerialCallClose(SuiteGFSerial* port) { return Real(port)->Close(); }

}  // extern "C"
