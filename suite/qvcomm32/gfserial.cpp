/* The port behind a GFSerial, the suite's serial port object. It finds out
 * where a port name leads (a COM port of this machine, or one redirected in
 * QVCOMM.INI), keeps the error state GetCommError reports and leaves the
 * moving of bytes to its Line. */
#include <windows.h>

#include <cstring>
#include <string>

#include "comport_client.h"
#include "line.h"
#include "serial_core.h"

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

struct SerialPort {
    Line* line;
    HANDLE claim;
    int error;
    DWORD detail;
};

SerialPort* SerialOpen(const char* name, unsigned short rxQueue, unsigned short txQueue)
{
    SerialPort* port = new SerialPort();
    const std::string key = PortKey(name);
    if (key.empty()) {
        port->error = eCommCannotOpen;
        return port;
    }
    if (!ClaimPort(key, port->claim)) {
        port->error = eCommPortInUse;
        port->detail = ERROR_ACCESS_DENIED;
        return port;
    }
    const std::string target = Redirection(key);
    if (target.empty()) {
        port->line = qvcomm::OpenComLine(("\\\\.\\" + key).c_str(), rxQueue, txQueue,
                                         port->error, port->detail);
    } else {
        std::string host;
        unsigned short tcpPort;
        if (qvcomm::ParseHostPort(target.c_str(), host, tcpPort))
            port->line = qvcomm::OpenNetLine(host.c_str(), tcpPort, port->error, port->detail);
        else
            port->error = eCommCannotOpen;
    }
    if (!port->line && port->claim) {
        CloseHandle(port->claim);
        port->claim = NULL;
    }
    return port;
}

void SerialFree(SerialPort* port)
{
    SerialClose(port);
    delete port;
}

int SerialGetChar(SerialPort* port, char* dst, int wait)
{
    if (!port->line)
        return 0;
    /* wait is how many milliseconds a character may take to come. */
    DWORD start = GetTickCount();
    while (port->line->Waiting() == 0) {
        DWORD spent = GetTickCount() - start;
        if (wait <= 0 || spent >= static_cast<DWORD>(wait))
            return 0;
        DWORD left = static_cast<DWORD>(wait) - spent;
        port->line->WaitForInput(left < DWORD(qvcomm::kIdleWaitMs) ? left : DWORD(qvcomm::kIdleWaitMs));
    }
    return port->line->Read(dst, 1) == 1;
}

int SerialPutChar(SerialPort* port, char c)
{
    return port->line && port->line->Write(&c, 1) == 1;
}

int SerialGetCommError(SerialPort* port, unsigned short* detail)
{
    *detail = static_cast<unsigned short>(port->detail);
    return port->error;
}

/* Remembers a failed setting for GetCommError; a good one clears it. */
static int Settle(SerialPort* port, int error)
{
    port->error = error;
    port->detail = error && port->line ? port->line->LastSystemError() : 0;
    return error == 0;
}

int SerialSetHandShake(SerialPort* port, const char* mode)
{
    if (!port->line)
        return 0;
    qvcomm::Flow flow;
    if (!mode || lstrcmpiA(mode, "none") == 0)
        flow = qvcomm::kNoFlow;
    else if (lstrcmpiA(mode, "hard") == 0)
        flow = qvcomm::kHardwareFlow;
    else if (lstrcmpiA(mode, "soft") == 0)
        flow = qvcomm::kSoftwareFlow;
    else
        return Settle(port, eCommBadSetting);
    return Settle(port, port->line->SetFlow(flow));
}

int SerialSetUp(SerialPort* port, long baud, char parity, int dataBits, int stopBits)
{
    if (!port->line)
        return 0;
    if (baud <= 0 || dataBits < 5 || dataBits > 8 || (stopBits != 1 && stopBits != 2))
        return Settle(port, eCommBadSetting);
    return Settle(port, port->line->SetLine(baud, parity, dataBits, stopBits));
}

int SerialPutString(SerialPort* port, const char* text, int mode)
{
    if (!port->line || !text)
        return 0;
    std::string line = text;
    if (mode == -2)
        line += '\r';
    return static_cast<int>(port->line->Write(line.data(), static_cast<unsigned>(line.size())));
}

unsigned SerialGetBuffer(SerialPort* port, unsigned char* dst, unsigned max)
{
    return port->line ? port->line->Read(dst, max) : 0;
}

int SerialRXCount(SerialPort* port)
{
    return port->line ? static_cast<int>(port->line->Waiting()) : 0;
}

int SerialRXFlush(SerialPort* port)
{
    return port->line && port->line->Purge(true, false);
}

int SerialTXFlush(SerialPort* port)
{
    return port->line && port->line->Purge(false, true);
}

int SerialDtr(SerialPort* port, int on)
{
    return port->line && port->line->SetDtr(on != 0) == 0;
}

int SerialStatus(SerialPort* port)
{
    return port->line ? static_cast<int>(port->line->ModemStatus()) : 0;
}

int SerialCarrier(SerialPort* port)
{
    return (SerialStatus(port) & qvcomm::kStatusCarrier) != 0;
}

void SerialDelay(unsigned long ms)
{
    Sleep(ms);
}

/* Nothing runs in the background: received data is collected when it is
 * asked for. Idle work must not block, since the modem engine calls it for
 * every character it examines. */
int SerialOnIdle(SerialPort* port)
{
    return port->line ? 1 : 0;
}

/* The queue is asked first because a message that was already in it when the
 * caller last peeked does not end the wait, and the modem code's idle call
 * takes only one message at a time. */
int SerialWaitForInput(SerialPort* port, unsigned long ms, int wakeOnMessages)
{
    if (!port->line)
        return 0;
    if (port->line->Waiting() > 0)
        return 1;
    /* Asking also marks what is queued as seen: only new messages then end
     * the block below. */
    if (HIWORD(GetQueueStatus(QS_ALLINPUT)) != 0 && wakeOnMessages)
        return 1;
    port->line->WaitForInput(ms);
    return 1;
}

int SerialClose(SerialPort* port)
{
    delete port->line;
    port->line = NULL;
    if (port->claim)
        CloseHandle(port->claim);
    port->claim = NULL;
    port->error = eCommNotOpen;
    return 1;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        g_module = instance;
    return TRUE;
}
