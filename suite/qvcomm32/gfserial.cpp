/* GFSerial: the suite's serial port object, as the modem code calls it. It
 * finds out where a port name leads (a COM port of this machine, or one
 * redirected in QVCOMM.INI), keeps the error state GetCommError reports and
 * leaves the moving of bytes to its Line. */
#include <windows.h>

#include <cstring>
#include <string>

#include "comport_client.h"
#include "line.h"
#include "qvcomm32.h"

using qvcomm::Line;

namespace {

HINSTANCE g_module;

/* "COM2", "com2:", "\\.\COM2" all name the port COM2. */
std::string PortKey(const char* name)
{
    std::string key = name ? name : "";
    if (key.compare(0, 4, "\\\\.\\") == 0)
        key.erase(0, 4);
    if (!key.empty() && key[key.size() - 1] == ':')
        key.erase(key.size() - 1);
    return key;
}

/* The redirection of a port, from section [Ports] of QVCOMM.INI beside
 * this DLL: COM2=host:port. Empty when the port is not redirected. */
std::string Redirection(const std::string& key)
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(g_module, path, sizeof path);
    if (n == 0 || n >= sizeof path)
        return std::string();
    char* slash = std::strrchr(path, '\\');
    if (!slash || (slash - path) + 12 >= MAX_PATH)
        return std::string();
    std::strcpy(slash + 1, "QVCOMM.INI");
    char target[128];
    GetPrivateProfileStringA("Ports", key.c_str(), "", target, sizeof target, path);
    return target;
}

/* Windows refuses a second open of a COM port, but Wine does not, and a
 * redirected port has no such guard at all. So every GFSerial also holds a
 * named mutex for its port while open: two programs of the suite then
 * exclude each other everywhere. False when another one holds the port;
 * claim is null if the mutex could not be made (the open goes ahead). */
bool ClaimPort(const std::string& key, HANDLE& claim)
{
    std::string name = "QVCOMM32 port " + key;
    CharUpperBuffA(&name[0], static_cast<DWORD>(name.size()));
    claim = CreateMutexA(NULL, FALSE, name.c_str());
    if (claim && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(claim);
        claim = NULL;
        return false;
    }
    return true;
}

}  // namespace

struct GFSerialImpl {
    Line* line;
    HANDLE claim;
    int error;
    DWORD detail;
};

GFSerial::GFSerial(CommType, const char* port, HWND, CommProducts, CommApplications,
                   unsigned short rxQueue, unsigned short txQueue, unsigned short, void*)
    : impl_(new GFSerialImpl())
{
    const std::string key = PortKey(port);
    if (key.empty()) {
        impl_->error = eCommCannotOpen;
        return;
    }
    if (!ClaimPort(key, impl_->claim)) {
        impl_->error = eCommPortInUse;
        impl_->detail = ERROR_ACCESS_DENIED;
        return;
    }
    const std::string target = Redirection(key);
    if (target.empty()) {
        impl_->line = qvcomm::OpenComLine(("\\\\.\\" + key).c_str(), rxQueue, txQueue,
                                          impl_->error, impl_->detail);
    } else {
        std::string host;
        unsigned short tcpPort;
        if (qvcomm::ParseHostPort(target.c_str(), host, tcpPort))
            impl_->line = qvcomm::OpenNetLine(host.c_str(), tcpPort, impl_->error, impl_->detail);
        else
            impl_->error = eCommCannotOpen;
    }
    if (!impl_->line && impl_->claim) {
        CloseHandle(impl_->claim);
        impl_->claim = NULL;
    }
}

GFSerial::~GFSerial()
{
    Close();
    delete impl_;
}

int GFSerial::GetChar(char* dst, int wait)
{
    if (!impl_->line)
        return 0;
    /* wait is how many milliseconds a character may take to come. */
    DWORD start = GetTickCount();
    while (impl_->line->Waiting() == 0) {
        DWORD spent = GetTickCount() - start;
        if (wait <= 0 || spent >= static_cast<DWORD>(wait))
            return 0;
        DWORD left = static_cast<DWORD>(wait) - spent;
        impl_->line->WaitForInput(left < DWORD(qvcomm::kIdleWaitMs) ? left : DWORD(qvcomm::kIdleWaitMs));
    }
    return impl_->line->Read(dst, 1) == 1;
}

int GFSerial::PutChar(char c)
{
    return impl_->line && impl_->line->Write(&c, 1) == 1;
}

int GFSerial::GetCommError(unsigned short& detail)
{
    detail = static_cast<unsigned short>(impl_->detail);
    return impl_->error;
}

/* Remembers a failed setting for GetCommError; a good one clears it. */
static int Settle(GFSerialImpl* impl, int error)
{
    impl->error = error;
    impl->detail = error && impl->line ? impl->line->LastSystemError() : 0;
    return error == 0;
}

int GFSerial::SetHandShake(char* mode)
{
    if (!impl_->line)
        return 0;
    qvcomm::Flow flow;
    if (!mode || lstrcmpiA(mode, "none") == 0)
        flow = qvcomm::kNoFlow;
    else if (lstrcmpiA(mode, "hard") == 0)
        flow = qvcomm::kHardwareFlow;
    else if (lstrcmpiA(mode, "soft") == 0)
        flow = qvcomm::kSoftwareFlow;
    else
        return Settle(impl_, eCommBadSetting);
    return Settle(impl_, impl_->line->SetFlow(flow));
}

int GFSerial::SetUp(long baud, char parity, int dataBits, int stopBits)
{
    if (!impl_->line)
        return 0;
    if (baud <= 0 || dataBits < 5 || dataBits > 8 || (stopBits != 1 && stopBits != 2))
        return Settle(impl_, eCommBadSetting);
    return Settle(impl_, impl_->line->SetLine(baud, parity, dataBits, stopBits));
}

int GFSerial::PutString(const char* text, int mode)
{
    if (!impl_->line || !text)
        return 0;
    std::string line = text;
    if (mode == -2)
        line += '\r';
    return static_cast<int>(impl_->line->Write(line.data(), static_cast<unsigned>(line.size())));
}

unsigned GFSerial::GetBuffer(unsigned char* dst, unsigned max)
{
    return impl_->line ? impl_->line->Read(dst, max) : 0;
}

int GFSerial::RXCount()
{
    return impl_->line ? static_cast<int>(impl_->line->Waiting()) : 0;
}

int GFSerial::RXFlush(unsigned)
{
    return impl_->line && impl_->line->Purge(true, false);
}

int GFSerial::TXFlush()
{
    return impl_->line && impl_->line->Purge(false, true);
}

int GFSerial::Dtr(int on)
{
    return impl_->line && impl_->line->SetDtr(on != 0) == 0;
}

int GFSerial::Status()
{
    return impl_->line ? static_cast<int>(impl_->line->ModemStatus()) : 0;
}

int GFSerial::Carrier()
{
    return (Status() & qvcomm::kStatusCarrier) != 0;
}

void GFSerial::Delay(unsigned long ms)
{
    Sleep(ms);
}

int GFSerial::CommNotify(SetNotifyType, int, int, int)
{
    return 1;
}

/* Nothing runs in the background: received data is collected when it is
 * asked for. Idle work must not block, since the modem engine calls it for
 * every character it examines. */
int GFSerial::OnIdle()
{
    return impl_->line ? 1 : 0;
}

/* The queue is asked first because a message that was already in it when the
 * caller last peeked does not end the wait, and the modem code's idle call
 * takes only one message at a time. */
int GFSerial::WaitForInput(unsigned long ms, int wakeOnMessages)
{
    if (!impl_->line)
        return 0;
    if (impl_->line->Waiting() > 0)
        return 1;
    /* Asking also marks what is queued as seen: only new messages then end
     * the block below. */
    if (HIWORD(GetQueueStatus(QS_ALLINPUT)) != 0 && wakeOnMessages)
        return 1;
    impl_->line->WaitForInput(ms);
    return 1;
}

int GFSerial::Close()
{
    delete impl_->line;
    impl_->line = NULL;
    if (impl_->claim)
        CloseHandle(impl_->claim);
    impl_->claim = NULL;
    impl_->error = eCommNotOpen;
    return 1;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        g_module = instance;
    return TRUE;
}
