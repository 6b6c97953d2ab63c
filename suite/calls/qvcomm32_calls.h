/* GFSerial for the library's own code, compiled in MinGW's C++ ABI: a proxy
 * with the members the code calls, each passing the call on to the real
 * GFSerial of QVCOMM32.DLL (qvcomm32.h) through qvcomm32_calls.cpp, which is
 * compiled in the suite's ABI. The two classes of one name never meet at
 * link time: each ABI decorates the name its own way. */
#ifndef QVCOMM32_CALLS_H
#define QVCOMM32_CALLS_H

#ifndef _MSC_VER
#include <windows.h>    /* as the callers have always had it */
#endif
#define QVCOMM32_TYPES_ONLY
#include "qvcomm32.h"

struct SuiteGFSerial;

extern "C" {
SuiteGFSerial* GFSerialCallNew(CommType type, const char* port, HWND notifyWindow,
                               CommProducts product, CommApplications app,
                               unsigned short rxQueue, unsigned short txQueue,
                               unsigned short options, void* reserved);
void GFSerialCallDelete(SuiteGFSerial* port);
int GFSerialCallGetChar(SuiteGFSerial* port, char* dst, int wait);
int GFSerialCallPutChar(SuiteGFSerial* port, char c);
int GFSerialCallGetCommError(SuiteGFSerial* port, unsigned short* detail);
int GFSerialCallSetHandShake(SuiteGFSerial* port, char* mode);
int GFSerialCallSetUp(SuiteGFSerial* port, long baud, char parity, int dataBits, int stopBits);
int GFSerialCallPutString(SuiteGFSerial* port, const char* text, int mode);
unsigned GFSerialCallGetBuffer(SuiteGFSerial* port, unsigned char* dst, unsigned max);
int GFSerialCallRXCount(SuiteGFSerial* port);
int GFSerialCallRXFlush(SuiteGFSerial* port, unsigned reserved);
int GFSerialCallTXFlush(SuiteGFSerial* port);
int GFSerialCallDtr(SuiteGFSerial* port, int on);
int GFSerialCallStatus(SuiteGFSerial* port);
int GFSerialCallCarrier(SuiteGFSerial* port);
int GFSerialCallDelay(SuiteGFSerial* port, unsigned long ms);
int GFSerialCallCommNotify(SuiteGFSerial* port, SetNotifyType type, int a, int b, int c);
int GFSerialCallOnIdle(SuiteGFSerial* port);
int GFSerialCallWaitForInput(SuiteGFSerial* port, unsigned long ms, int wakeOnMessages);
int GFSerialCallClose(SuiteGFSerial* port);
}

/* The members are described in qvcomm32.h. The suite's ABI side (qvcomm32_calls.cpp)
 * has the real class under this name instead. */
#ifndef _MSC_VER
class GFSerial {
public:
    GFSerial(CommType type, const char* port, HWND notifyWindow, CommProducts product,
             CommApplications app, unsigned short rxQueue, unsigned short txQueue,
             unsigned short options, void* reserved)
        : real_(GFSerialCallNew(type, port, notifyWindow, product, app, rxQueue, txQueue, options,
                                reserved))
    {
    }
    ~GFSerial() { GFSerialCallDelete(real_); }
    int GetChar(char* dst, int wait) { return GFSerialCallGetChar(real_, dst, wait); }
    int PutChar(char c) { return GFSerialCallPutChar(real_, c); }
    int GetCommError(unsigned short& detail) { return GFSerialCallGetCommError(real_, &detail); }
    int SetHandShake(char* mode) { return GFSerialCallSetHandShake(real_, mode); }
    int SetUp(long baud, char parity, int dataBits, int stopBits)
    {
        return GFSerialCallSetUp(real_, baud, parity, dataBits, stopBits);
    }
    int PutString(const char* text, int mode) { return GFSerialCallPutString(real_, text, mode); }
    unsigned GetBuffer(unsigned char* dst, unsigned max)
    {
        return GFSerialCallGetBuffer(real_, dst, max);
    }
    int RXCount() { return GFSerialCallRXCount(real_); }
    int RXFlush(unsigned reserved) { return GFSerialCallRXFlush(real_, reserved); }
    int TXFlush() { return GFSerialCallTXFlush(real_); }
    int Dtr(int on) { return GFSerialCallDtr(real_, on); }
    int Status() { return GFSerialCallStatus(real_); }
    int Carrier() { return GFSerialCallCarrier(real_); }
    int Delay(unsigned long ms) { return GFSerialCallDelay(real_, ms); }
    int CommNotify(SetNotifyType type, int a, int b, int c)
    {
        return GFSerialCallCommNotify(real_, type, a, b, c);
    }
    int OnIdle() { return GFSerialCallOnIdle(real_); }
    /* An extra of this QVCOMM32 that the suite's own driver lacks: the
     * wizard library must not call it. */
    int WaitForInput(unsigned long ms, int wakeOnMessages = 1)
    {
        return GFSerialCallWaitForInput(real_, ms, wakeOnMessages);
    }
    int Close() { return GFSerialCallClose(real_); }

private:
    GFSerial(const GFSerial&) = delete;
    GFSerial& operator=(const GFSerial&) = delete;
    SuiteGFSerial* real_;
};
#endif

#endif
