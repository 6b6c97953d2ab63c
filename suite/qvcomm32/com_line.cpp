/* A COM port of this machine through the Win32 comm API. */
#include "line.h"

#include <string>

namespace qvcomm {
namespace {

/* A write that cannot finish in this time (a port held up by flow control)
 * comes back short instead of freezing the caller's user interface. */
const DWORD kWriteTimeoutMs = 5000;

/* How long a wait goes without looking at the port: briefly while a reply
 * is awaited (something was sent and nothing has come since), less often
 * while bytes stream in without anyone waiting on each (a file from the far
 * end: larger pieces, for a fifth of the wake-ups), and longer once the line
 * has been quiet for a while, so that waiting on a silent modem costs next
 * to nothing. */
const DWORD kBusyPollMs = 2;
const DWORD kQuietPollMs = 30;
const DWORD kBusySpellMs = 200;
const DWORD kStreamPollMs = 10;

int OpenErrorCode(DWORD systemError)
{
    switch (systemError) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return eCommPortInUse;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return eCommCannotOpen;
    default:
        return eCommIoError;
    }
}

class ComLine : public Line {
public:
    ComLine(const std::string& path, unsigned rxQueue, unsigned txQueue)
        : path_(path), rxQueue_(rxQueue), txQueue_(txQueue), handle_(INVALID_HANDLE_VALUE),
          modemLines_(false), carrierAssumed_(true)
    {
    }
    ~ComLine() override
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }

    int Open();
    unsigned Write(const void* data, unsigned n) override;
    unsigned Read(void* dst, unsigned max) override;
    unsigned Waiting() override;
    bool Purge(bool receive, bool transmit) override;
    int SetLine(long baud, char parity, int dataBits, int stopBits) override;
    int SetFlow(Flow flow) override;
    int SetDtr(bool on) override;
    unsigned ModemStatus() override;
    void WaitForInput(DWORD ms) override;

private:
    int OpenHandle();
    int ApplyState(const DCB& dcb);
    int Fail(int code)
    {
        systemError_ = GetLastError();
        return code;
    }

    std::string path_;
    unsigned rxQueue_, txQueue_;
    HANDLE handle_;
    DCB dcb_;           /* the settings in force, put back when DTR is raised again */
    bool modemLines_;   /* GetCommModemStatus works on this port */
    std::string readAhead_;
    bool carrierAssumed_;
    DWORD lastSent_ = 0;        /* tick of the last byte sent */
    DWORD lastReceived_ = 0;    /* tick of the last byte received */
    bool awaitingReply_ = false;  /* sent, and nothing received since */
};

int ComLine::OpenHandle()
{
    handle_ = CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                          0, NULL);
    if (handle_ == INVALID_HANDLE_VALUE)
        return Fail(OpenErrorCode(GetLastError()));
    SetupComm(handle_, rxQueue_, txQueue_);
    /* Reads return at once with what is there; writes wait, within limits. */
    COMMTIMEOUTS timeouts = {MAXDWORD, 0, 0, 0, kWriteTimeoutMs};
    if (!SetCommTimeouts(handle_, &timeouts))
        return Fail(eCommIoError);
    /* What came in while nobody had the port open was meant for nobody. */
    PurgeComm(handle_, PURGE_RXCLEAR);
    return 0;
}

int ComLine::Open()
{
    int error = OpenHandle();
    if (error)
        return error;
    /* The port's own speed stays; everything else becomes a clean 8N1 binary
     * line without flow control, which is what a modem expects by default. */
    dcb_.DCBlength = sizeof dcb_;
    if (!GetCommState(handle_, &dcb_))
        return Fail(eCommIoError);
    if (dcb_.BaudRate == 0)
        dcb_.BaudRate = CBR_9600;
    dcb_.fBinary = TRUE;
    dcb_.fParity = FALSE;
    dcb_.ByteSize = 8;
    dcb_.Parity = NOPARITY;
    dcb_.StopBits = ONESTOPBIT;
    dcb_.fOutxCtsFlow = FALSE;
    dcb_.fOutxDsrFlow = FALSE;
    dcb_.fDsrSensitivity = FALSE;
    dcb_.fDtrControl = DTR_CONTROL_ENABLE;
    dcb_.fRtsControl = RTS_CONTROL_ENABLE;
    dcb_.fOutX = FALSE;
    dcb_.fInX = FALSE;
    dcb_.fNull = FALSE;
    dcb_.fAbortOnError = FALSE;
    error = ApplyState(dcb_);
    if (error)
        return error;
    DWORD status;
    modemLines_ = GetCommModemStatus(handle_, &status) != FALSE;
    return 0;
}

int ComLine::ApplyState(const DCB& dcb)
{
    DCB copy = dcb;
    if (!SetCommState(handle_, &copy))
        return Fail(eCommBadSetting);
    dcb_ = dcb;
    return 0;
}

unsigned ComLine::Write(const void* data, unsigned n)
{
    DWORD written = 0;
    if (!WriteFile(handle_, data, n, &written, NULL))
        Fail(eCommIoError);
    lastSent_ = GetTickCount();
    awaitingReply_ = true;
    return written;
}

/* The modem code reads one character at a time, each after asking whether
 * one is there; under Wine every comm call is a round trip to the server. So
 * a read takes everything the port has into readAhead_, and later reads and
 * counts are served from there until it is empty. */
unsigned ComLine::Read(void* dst, unsigned max)
{
    if (readAhead_.empty()) {
        unsigned char buffer[4096];
        DWORD got = 0;
        if (!ReadFile(handle_, buffer, sizeof buffer, &got, NULL))
            Fail(eCommIoError);
        readAhead_.append(reinterpret_cast<char*>(buffer), got);
        if (got) {
            lastReceived_ = GetTickCount();
            awaitingReply_ = false;
        }
    }
    return TakeArrived(readAhead_, dst, max);
}

unsigned ComLine::Waiting()
{
    if (!readAhead_.empty())
        return static_cast<unsigned>(readAhead_.size());
    DWORD errors;
    COMSTAT stat;
    if (!ClearCommError(handle_, &errors, &stat))
        return 0;
    return stat.cbInQue;
}

bool ComLine::Purge(bool receive, bool transmit)
{
    if (receive)
        readAhead_.clear();
    DWORD what = (receive ? PURGE_RXCLEAR | PURGE_RXABORT : 0) |
                 (transmit ? PURGE_TXCLEAR | PURGE_TXABORT : 0);
    return PurgeComm(handle_, what) != FALSE;
}

int ComLine::SetLine(long baud, char parity, int dataBits, int stopBits)
{
    DCB dcb = dcb_;
    dcb.BaudRate = static_cast<DWORD>(baud);
    dcb.ByteSize = static_cast<BYTE>(dataBits);
    switch (parity) {
    case 'N': case 'n': dcb.Parity = NOPARITY; break;
    case 'O': case 'o': dcb.Parity = ODDPARITY; break;
    case 'E': case 'e': dcb.Parity = EVENPARITY; break;
    case 'M': case 'm': dcb.Parity = MARKPARITY; break;
    case 'S': case 's': dcb.Parity = SPACEPARITY; break;
    default: return eCommBadSetting;
    }
    dcb.fParity = dcb.Parity != NOPARITY;
    dcb.StopBits = stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
    return ApplyState(dcb);
}

int ComLine::SetFlow(Flow flow)
{
    DCB dcb = dcb_;
    dcb.fOutxCtsFlow = flow == kHardwareFlow;
    dcb.fRtsControl = flow == kHardwareFlow ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
    dcb.fOutX = dcb.fInX = flow == kSoftwareFlow;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    dcb.XonLim = static_cast<WORD>(rxQueue_ / 4);
    dcb.XoffLim = static_cast<WORD>(rxQueue_ / 4);
    return ApplyState(dcb);
}

/* A port without modem-control lines (a pty) cannot lower DTR, but it can
 * close: closing a port is how a DTR drop reaches the other end on any
 * serial driver, and a pty's far side sees it as a hang-up. So on such a port
 * DTR off closes the handle and DTR on opens it again with the same settings,
 * and the carrier counts as gone from then on, as a modem that hangs up on
 * DTR would drop it. */
int ComLine::SetDtr(bool on)
{
    if (modemLines_) {
        if (!EscapeCommFunction(handle_, on ? SETDTR : CLRDTR))
            return Fail(eCommIoError);
        return 0;
    }
    if (!on) {
        carrierAssumed_ = false;
        CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return 0;
    }
    if (handle_ != INVALID_HANDLE_VALUE)
        return 0;
    readAhead_.clear();  /* a real port loses what it had when DTR drops */
    int error = OpenHandle();
    return error ? error : ApplyState(dcb_);
}

/* Without modem lines the carrier is taken as present while the port is
 * open: the port cannot tell, and reporting it lost would end every call. */
unsigned ComLine::ModemStatus()
{
    if (handle_ == INVALID_HANDLE_VALUE)
        return 0;
    if (!modemLines_)
        return carrierAssumed_ ? kStatusCarrier : 0;
    DWORD status = 0;
    if (!GetCommModemStatus(handle_, &status))
        return 0;
    return status & (kStatusCts | kStatusDsr | kStatusRing | kStatusCarrier);
}

/* Wine cannot wait for comm events on every port (a pty aborts
 * WaitCommEvent), so the wait is for window messages, and the port is looked
 * at again after a short while (see kBusyPollMs). */
void ComLine::WaitForInput(DWORD ms)
{
    DWORD now = GetTickCount();
    DWORD poll = awaitingReply_ && now - lastSent_ < kBusySpellMs ? kBusyPollMs
                 : now - lastReceived_ < kBusySpellMs             ? kStreamPollMs
                                                                  : kQuietPollMs;
    MsgWaitForMultipleObjects(0, NULL, FALSE, ms < poll ? ms : poll, QS_ALLINPUT);
}

}  // namespace

Line* OpenComLine(const char* device, unsigned rxQueue, unsigned txQueue, int& error,
                  DWORD& detail)
{
    ComLine* line = new ComLine(device, rxQueue, txQueue);
    return KeepIfOpened(line, line->Open(), error, detail);
}

}  // namespace qvcomm
