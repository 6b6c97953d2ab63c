/* One open port under a GFSerial: a COM port of this machine, or a COM port
 * redirected to a network serial server. GFSerial holds the error state and
 * the library-facing calling conventions; a Line only moves bytes and lines. */
#ifndef QVCOMM_LINE_H
#define QVCOMM_LINE_H

#include <windows.h>

#include <cstring>

/* The GetCommError codes. */
#define QVCOMM32_TYPES_ONLY
#include "qvcomm32.h"

namespace qvcomm {

enum Flow { kNoFlow, kSoftwareFlow, kHardwareFlow };

/* Modem status bits, as GetCommModemStatus and RFC 2217 both report them. */
enum { kStatusCts = 0x10, kStatusDsr = 0x20, kStatusRing = 0x40, kStatusCarrier = 0x80 };

/* How long an idle call may block when nothing arrives: short enough that
 * the waits above it keep their deadlines to within a few milliseconds. */
enum { kIdleWaitMs = 10 };

class Line {
public:
    virtual ~Line() {}
    /* Number of bytes accepted for sending; fewer than n is a failure. */
    virtual unsigned Write(const void* data, unsigned n) = 0;
    virtual unsigned Read(void* dst, unsigned max) = 0;
    virtual unsigned Waiting() = 0;
    virtual bool Purge(bool receive, bool transmit) = 0;
    /* These return 0 or a GetCommError code. */
    virtual int SetLine(long baud, char parity, int dataBits, int stopBits) = 0;
    virtual int SetFlow(Flow flow) = 0;
    virtual int SetDtr(bool on) = 0;
    /* The modem status bits above, read now. */
    virtual unsigned ModemStatus() = 0;
    /* Blocks until data may be waiting, a window message arrives for this
     * thread, or ms milliseconds have passed. */
    virtual void WaitForInput(DWORD ms) = 0;
    /* The Win32 or Winsock error code behind the last failure. */
    DWORD LastSystemError() const { return systemError_; }

protected:
    Line() : systemError_(0) {}
    DWORD systemError_;
};

/* Up to max bytes from the front of what has arrived (a std::string or a
 * byte vector), moved to dst; the count moved. */
template <class Queue>
unsigned TakeArrived(Queue& arrived, void* dst, unsigned max)
{
    unsigned n = arrived.size() < max ? static_cast<unsigned>(arrived.size()) : max;
    memcpy(dst, arrived.data(), n);
    arrived.erase(arrived.begin(), arrived.begin() + n);
    return n;
}

/* A line whose Open answered openError: handed over when it opened, deleted
 * when it did not. Sets error and detail as the Open* calls below promise. */
inline Line* KeepIfOpened(Line* line, int openError, int& error, DWORD& detail)
{
    error = openError;
    detail = line->LastSystemError();
    if (error) {
        delete line;
        return NULL;
    }
    return line;
}

/* Both set error (a GetCommError code) and detail (the system's code) and
 * return null when the port cannot be opened. */
Line* OpenComLine(const char* device, unsigned rxQueue, unsigned txQueue, int& error,
                  DWORD& detail);
Line* OpenNetLine(const char* host, unsigned short port, int& error, DWORD& detail);

}  // namespace qvcomm

#endif
