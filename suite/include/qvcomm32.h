/* QVCOMM32.DLL: the suite's serial port driver.
 *
 * A GFSerial opens a COM port in its constructor; GetCommError tells whether
 * that worked. The port is either a real COM port (Win32 comm API) or one
 * redirected to an RFC 2217 server by the suite's settings. */
#ifndef QVCOMM32_H
#define QVCOMM32_H

#include <windows.h>

#ifdef QVCOMM32_BUILD
#define QVCOMM32_API __declspec(dllexport)
#else
#define QVCOMM32_API __declspec(dllimport)
#endif

enum CommType { eCommSerial = 3 };
enum CommProducts { eProductKestrix = 11 };
enum CommApplications { eAppWizard = 11 };
enum SetNotifyType { eNotifyReceiveBegin = 2, eNotifyReceiveEnd = 3 };

/* GetCommError results. */
enum {
    eCommOk = 0,
    eCommCannotOpen = 2,        /* no such port */
    eCommBadSetting = 87,       /* a line setting the port refused */
    eCommPortInUse = 114,       /* another program holds the port */
    eCommNotOpen = 200,
    eCommIoError = 201
};

struct GFSerialImpl;

class QVCOMM32_API GFSerial {
public:
    GFSerial(CommType type, const char* port, HWND notifyWindow, CommProducts product,
             CommApplications app, unsigned short rxQueue, unsigned short txQueue,
             unsigned short options, void* reserved);
    virtual ~GFSerial();
    /* One received character into *dst; wait 0 returns at once. 1 if one was read. */
    virtual int GetChar(char* dst, int wait);
    /* Sends one character; 1 on success. */
    virtual int PutChar(char c);

    int GetCommError(unsigned short& detail);
    int SetHandShake(char* mode);                 /* "hard" or "soft" or "none" */
    int SetUp(long baud, char parity, int dataBits, int stopBits);
    /* mode -1: text alone; -2: text and the command terminator (CR).
     * Returns the number of characters sent. */
    int PutString(const char* text, int mode);
    unsigned GetBuffer(unsigned char* dst, unsigned max);
    int RXCount();
    int RXFlush(unsigned reserved);
    int TXFlush();
    int Dtr(int on);
    int Status();
    int Carrier();
    void Delay(unsigned long ms);
    int CommNotify(SetNotifyType type, int a, int b, int c);
    int OnIdle();
    int Close();

private:
    GFSerial(const GFSerial&);
    GFSerial& operator=(const GFSerial&);
    GFSerialImpl* impl_;
};

#endif
