/* A COM port redirected to an RFC 2217 server: the port's data, settings and
 * modem lines travel over one non-blocking TCP connection. */
#include "winsock_api.h"

#include "comport_client.h"
#include "line.h"

namespace qvcomm {
namespace {

const DWORD kConnectTimeoutMs = 3000;
/* How long a setting waits for the server to confirm it. */
const DWORD kReplyTimeoutMs = 2000;
/* How long sending waits for room in the connection before giving up. */
const DWORD kSendTimeoutMs = 5000;
/* Received data held for the caller at most. Beyond it the bytes wait in the
 * connection, whose window then closes and holds the server back, as a full
 * receive queue holds a modem back through flow control. */
const size_t kReadAheadBytes = 16384;

class NetLine : public Line {
public:
    NetLine()
        : ws_(Winsock()), socket_(INVALID_SOCKET), event_(NULL), closed_(false), started_(false)
    {
    }
    ~NetLine() override;

    int Open(const char* host, unsigned short port);
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
    void Pump();
    bool Flush(DWORD timeoutMs);
    int AwaitReplies(const uint8_t* commands, int count);
    int Fail(int code)
    {
        systemError_ = ws_->WSAGetLastError();
        return code;
    }

    const WinsockApi* ws_;
    SOCKET socket_;
    HANDLE event_;
    ComPortClient client_;
    bool closed_;    /* the server ended the connection */
    bool started_;   /* WSAStartup succeeded */
};

NetLine::~NetLine()
{
    if (socket_ != INVALID_SOCKET) {
        Flush(500);
        ws_->closesocket(socket_);
    }
    if (event_)
        CloseHandle(event_);
    if (started_)
        ws_->WSACleanup();
}

int NetLine::Open(const char* host, unsigned short port)
{
    if (!ws_) {
        systemError_ = ERROR_MOD_NOT_FOUND;
        return eCommCannotOpen;
    }
    WSADATA data;
    if (ws_->WSAStartup(MAKEWORD(2, 0), &data) != 0)
        return Fail(eCommIoError);
    started_ = true;
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_port = static_cast<u_short>((port >> 8) | ((port & 0xFF) << 8));  /* network order */
    addr.sin_addr.s_addr = ws_->inet_addr(host);
    if (addr.sin_addr.s_addr == INADDR_NONE) {
        hostent* entry = ws_->gethostbyname(host);
        if (!entry || entry->h_addrtype != AF_INET)
            return Fail(eCommCannotOpen);
        memcpy(&addr.sin_addr, entry->h_addr_list[0], sizeof addr.sin_addr);
    }
    socket_ = ws_->socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    event_ = CreateEventA(NULL, TRUE, FALSE, NULL);
    if (socket_ == INVALID_SOCKET || !event_)
        return Fail(eCommIoError);
    BOOL noDelay = TRUE;  /* modem commands are short and wait for answers */
    ws_->setsockopt(socket_, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<char*>(&noDelay),
                    sizeof noDelay);
    /* Also makes the socket non-blocking. */
    if (ws_->WSAEventSelect(socket_, event_, FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE) != 0)
        return Fail(eCommIoError);
    if (ws_->connect(socket_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 &&
        ws_->WSAGetLastError() != WSAEWOULDBLOCK)
        return Fail(eCommCannotOpen);
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(socket_, &writable);
    FD_SET(socket_, &failed);
    timeval limit = {kConnectTimeoutMs / 1000, (kConnectTimeoutMs % 1000) * 1000};
    if (ws_->select(0, NULL, &writable, &failed, &limit) != 1 || failed.fd_count != 0) {
        int error = 0, size = sizeof error;
        ws_->getsockopt(socket_, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size);
        systemError_ = error ? error : WSAETIMEDOUT;
        return eCommCannotOpen;
    }
    client_.Start();
    if (!Flush(kSendTimeoutMs))
        return eCommIoError;
    /* Wait for the server's word on the com port option, so that a server
     * without it is known before the first setting. */
    DWORD start = GetTickCount();
    while (client_.ComPort() == ComPortClient::kUnanswered && !closed_ &&
           GetTickCount() - start < kReplyTimeoutMs) {
        WaitForSingleObject(event_, 10);
        Pump();
    }
    return closed_ ? eCommCannotOpen : 0;
}

/* Moves what the connection has into the client, up to the read-ahead, and
 * queued bytes out. The bound also ends the loop: a server that never stops
 * sending must not hold the caller here. (While the read-ahead is full, a
 * setting's reply waits behind the data too.) */
void NetLine::Pump()
{
    if (closed_)
        return;
    ResetEvent(event_);
    uint8_t buffer[2048];
    for (;;) {
        const size_t held = client_.Incoming().size();
        if (held >= kReadAheadBytes)
            break;
        const size_t room = kReadAheadBytes - held < sizeof buffer ? kReadAheadBytes - held : sizeof buffer;
        int got = ws_->recv(socket_, reinterpret_cast<char*>(buffer), static_cast<int>(room), 0);
        if (got > 0) {
            client_.Receive(buffer, static_cast<size_t>(got));
            continue;
        }
        if (got == 0 || ws_->WSAGetLastError() != WSAEWOULDBLOCK) {
            systemError_ = got == 0 ? WSAEDISCON : ws_->WSAGetLastError();
            closed_ = true;
        }
        break;
    }
    Flush(0);
}

/* Sends queued bytes, waiting up to timeoutMs for room; false when the
 * connection is gone or the bytes could not all leave in time. */
bool NetLine::Flush(DWORD timeoutMs)
{
    Bytes& out = client_.Outgoing();
    size_t sent = 0;
    DWORD start = GetTickCount();
    while (sent < out.size() && !closed_) {
        int n = ws_->send(socket_, reinterpret_cast<const char*>(out.data() + sent),
                          static_cast<int>(out.size() - sent), 0);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (ws_->WSAGetLastError() != WSAEWOULDBLOCK) {
            systemError_ = ws_->WSAGetLastError();
            closed_ = true;
            break;
        }
        DWORD spent = GetTickCount() - start;
        if (spent >= timeoutMs)
            break;
        fd_set writable;
        FD_ZERO(&writable);
        FD_SET(socket_, &writable);
        DWORD left = timeoutMs - spent;
        timeval limit = {static_cast<long>(left / 1000), static_cast<long>(left % 1000) * 1000};
        ws_->select(0, NULL, &writable, NULL, &limit);
    }
    out.erase(out.begin(), out.begin() + static_cast<ptrdiff_t>(sent));
    return out.empty();
}

unsigned NetLine::Write(const void* data, unsigned n)
{
    if (closed_)
        return 0;
    client_.SendData(static_cast<const uint8_t*>(data), n);
    /* Telnet framing makes partial counts meaningless: the data is either
     * on its way in full or the connection failed. */
    return Flush(kSendTimeoutMs) ? n : 0;
}

/* Data already decoded is handed out without asking the connection again:
 * under Wine every socket call is a round trip to the server. */
unsigned NetLine::Read(void* dst, unsigned max)
{
    Bytes& in = client_.Incoming();
    if (in.size() < max)
        Pump();
    return TakeArrived(in, dst, max);
}

unsigned NetLine::Waiting()
{
    if (client_.Incoming().empty())
        Pump();
    return static_cast<unsigned>(client_.Incoming().size());
}

bool NetLine::Purge(bool receive, bool transmit)
{
    if (receive) {
        Pump();
        client_.Incoming().clear();
    }
    if (receive || transmit)
        client_.SendCommand(kCpPurgeData, receive && transmit ? kPurgeBoth
                                          : receive         ? kPurgeReceive
                                                            : kPurgeTransmit);
    return Flush(kSendTimeoutMs);
}

/* Waits until the server has answered each command; 0 when all came, and
 * eCommBadSetting for a server that refused the option or stayed silent. */
int NetLine::AwaitReplies(const uint8_t* commands, int count)
{
    if (client_.ComPort() == ComPortClient::kRefused)
        return eCommBadSetting;
    if (!Flush(kSendTimeoutMs))
        return eCommIoError;
    DWORD start = GetTickCount();
    for (;;) {
        Pump();
        int open = 0;
        for (int i = 0; i < count; ++i)
            open += client_.Awaiting(commands[i]);
        if (!open)
            return 0;
        if (closed_)
            return eCommIoError;
        if (GetTickCount() - start >= kReplyTimeoutMs)
            return eCommBadSetting;
        WaitForSingleObject(event_, 10);
    }
}

int NetLine::SetLine(long baud, char parity, int dataBits, int stopBits)
{
    const uint8_t parityValue = ParityValue(parity);
    if (!parityValue || baud <= 0 || dataBits < 5 || dataBits > 8)
        return eCommBadSetting;
    client_.SetBaudRate(static_cast<uint32_t>(baud));
    client_.SendCommand(kCpSetDataSize, static_cast<uint8_t>(dataBits));
    client_.SendCommand(kCpSetParity, parityValue);
    client_.SendCommand(kCpSetStopSize, stopBits == 2 ? kStopTwo : kStopOne);
    const uint8_t sent[] = {kCpSetBaudRate, kCpSetDataSize, kCpSetParity, kCpSetStopSize};
    int error = AwaitReplies(sent, 4);
    if (error)
        return error;
    /* The server answers with what the port now runs at. */
    if (client_.Confirmed(kCpSetBaudRate) != static_cast<uint32_t>(baud) ||
        client_.Confirmed(kCpSetDataSize) != static_cast<uint32_t>(dataBits) ||
        client_.Confirmed(kCpSetParity) != parityValue)
        return eCommBadSetting;
    return 0;
}

int NetLine::SetFlow(Flow flow)
{
    const uint8_t value = flow == kHardwareFlow   ? kFlowHardware
                          : flow == kSoftwareFlow ? kFlowXonXoff
                                                  : kFlowNone;
    client_.SendCommand(kCpSetControl, value);
    const uint8_t sent[] = {kCpSetControl};
    int error = AwaitReplies(sent, 1);
    if (!error && client_.Confirmed(kCpSetControl) != value)
        error = eCommBadSetting;
    return error;
}

int NetLine::SetDtr(bool on)
{
    client_.SendCommand(kCpSetControl, on ? kDtrOn : kDtrOff);
    return Flush(kSendTimeoutMs) ? 0 : eCommIoError;
}

/* Until the server reports the modem lines, carrier counts as off: a modem
 * raises it only with a call, and a server that has carrier to report says so
 * when it comes (some say nothing until the first change). */
unsigned NetLine::ModemStatus()
{
    Pump();
    if (closed_ || !client_.ModemStateKnown())
        return 0;
    return client_.ModemState() & (kStatusCts | kStatusDsr | kStatusRing | kStatusCarrier);
}

void NetLine::WaitForInput(DWORD ms)
{
    if (closed_)
        MsgWaitForMultipleObjects(0, NULL, FALSE, ms, QS_ALLINPUT);
    else
        MsgWaitForMultipleObjects(1, &event_, FALSE, ms, QS_ALLINPUT);
}

}  // namespace

Line* OpenNetLine(const char* host, unsigned short port, int& error, DWORD& detail)
{
    NetLine* line = new NetLine;
    return KeepIfOpened(line, line->Open(host, port), error, detail);
}

}  // namespace qvcomm
