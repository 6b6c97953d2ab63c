/* QVCOMM32.DLL: the suite's serial port driver.
 *
 * A GFSerial opens a COM port in its constructor; GetCommError tells whether
 * that worked. The port is either a real COM port (Win32 comm API) or one
 * redirected to an RFC 2217 server: QVCOMM.INI beside QVCOMM32.DLL, section
 * [Ports], a line such as COM2=127.0.0.1:7000.
 *
 * The class is in the suite's C++ ABI (Microsoft's). Code of another ABI that
 * needs only the constants defines QVCOMM32_TYPES_ONLY before including this. */
#ifndef QVCOMM32_H
#define QVCOMM32_H

/* As windows.h declares it (STRICT), so that both may be included. */
struct HWND__;
typedef HWND__* HWND;

enum CommType { eCommSerial = 3 };
enum CommProducts { eProductKestrix = 11 };
enum CommApplications { eAppWizard = 11 };
enum SetNotifyType { eNotifyReceiveBegin = 2, eNotifyReceiveEnd = 3 };

/* GetCommError results; the detail word then holds the system's error code
 * (Win32 or Winsock) where there is one. */
enum {
    eCommOk = 0,
    eCommCannotOpen = 2,        /* no such port, bad redirection, server unreachable */
    eCommBadSetting = 87,       /* a line setting the port or its server refused */
    eCommPortInUse = 114,       /* another program holds the port */
    eCommNotOpen = 200,         /* the port has been closed */
    eCommIoError = 201          /* any other failure of the port or its connection */
};

#ifndef QVCOMM32_TYPES_ONLY

#ifdef QVCOMM32_BUILD
#define QVCOMM32_API __declspec(dllexport)
#else
#define QVCOMM32_API __declspec(dllimport)
#endif

/* Allocated by the caller: the size is part of the interface. */
class QVCOMM32_API GFSerial {
public:
    GFSerial(CommType type, const char* port, HWND notifyWindow, CommProducts product,
             CommApplications app, unsigned short rxQueue, unsigned short txQueue,
             unsigned short options, void* reserved);
    /* The table of virtuals, in this order, is part of the interface. */
    virtual ~GFSerial();
    /* One received character into *dst, waiting up to wait milliseconds for
     * it (0: not at all). 1 if one was read. */
    virtual int GetChar(char* dst, int wait);
    /* Sends one character; 1 on success. */
    virtual int PutChar(char c);

    int GetCommError(unsigned short& detail);
    int SetHandShake(char* mode);                 /* "hard" or "soft" or "none"; 1 if set */
    int SetUp(long baud, char parity, int dataBits, int stopBits);    /* 1 if set */
    /* mode -1: text alone; -2: text and the command terminator (CR).
     * Returns the number of characters sent. */
    int PutString(const char* text, int mode);
    unsigned GetBuffer(unsigned char* dst, unsigned max);
    int RXCount();
    int RXFlush(unsigned reserved);
    int TXFlush();
    /* On a port without modem-control lines (a pty), DTR off closes the port
     * and DTR on opens it again: the far side sees the hang-up. */
    int Dtr(int on);
    /* Modem status bits: 0x10 CTS, 0x20 DSR, 0x40 ring, 0x80 carrier detect.
     * A COM port that cannot report them has carrier while open, until DTR
     * is dropped; a redirected port has none until its server reports it. */
    int Status();
    int Carrier();
    int Delay(unsigned long ms);                  /* 1 */
    int CommNotify(SetNotifyType type, int a, int b, int c);      /* 1 */
    /* The port's background work; returns at once. 1 while the port is open. */
    int OnIdle();
    /* Blocks until received data may be waiting or (with wakeOnMessages) a
     * window message is queued for this thread, at most ms milliseconds;
     * returns at once when either is already there. A wait calls it when a
     * pass found nothing; one that dispatches no messages passes 0, since
     * the messages it leaves queued would otherwise end every block. */
    int WaitForInput(unsigned long ms, int wakeOnMessages = 1);
    int Close();

private:
    GFSerial(const GFSerial&);
    GFSerial& operator=(const GFSerial&);
    void* reserved_[256];
};

#endif /* QVCOMM32_TYPES_ONLY */

#endif
