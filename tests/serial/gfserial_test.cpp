// GFSerial under Wine against the far ends that tools/serial/serial_rig.py starts:
//   COM1  a pty whose other side echoes and answers ENQ with "H<hang-ups>
//         S<speed> C<bits> P<parity> B<stop bits>"
//   COM2  redirected to ser2net in front of such a pty
//   COM3  redirected to a small RFC 2217 server that reports carrier detect
//         and answers ENQ with the commands it received
//   COM4  redirected to a loopback port nobody listens on; COM5 to a bad entry
//   COM6  like COM3, but the server says nothing about carrier until it changes
//   On COM3 the byte 0x03 makes the server send 16 MB as fast as it can.
// PutChar and GetChar reach the port through its table of virtuals, as every
// suite program calls them: the echoes also hold the table's order.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "qvcomm32_calls.h"

namespace {

// The longest a call that must not wait may take: 5 ms, times the harness's
// QV_PATIENCE under emulation, where each call to the Wine server alone
// costs several milliseconds.
DWORD NoWaitMs()
{
    char factor[8] = "";
    GetEnvironmentVariableA("QV_PATIENCE", factor, sizeof factor);
    return 5u * std::max(1, atoi(factor));
}

const char kEnq = 0x05;

struct Port {
    explicit Port(const char* name, unsigned short queue = 2048)
        : serial(new GFSerial(eCommSerial, name, NULL, eProductKestrix, eAppWizard, queue, queue,
                              0, NULL))
    {
    }
    ~Port()
    {
        serial->Close();
        delete serial;
    }
    int Error()
    {
        unsigned short detail;
        return serial->GetCommError(detail);
    }
    GFSerial* operator->() { return serial; }
    GFSerial* serial;
};

// Reads until n bytes came or ms passed, the way the modem code polls.
std::string ReadFor(GFSerial* port, size_t n, DWORD ms)
{
    std::string got;
    DWORD start = GetTickCount();
    while (got.size() < n && GetTickCount() - start < ms) {
        if (port->RXCount() > 0) {
            unsigned char buffer[59];
            unsigned want = n - got.size() < sizeof buffer ? unsigned(n - got.size()) : 59u;
            unsigned k = port->GetBuffer(buffer, want);
            got.append(reinterpret_cast<char*>(buffer), k);
        } else {
            port->WaitForInput(10);
        }
    }
    return got;
}

std::string Enquire(GFSerial* port)
{
    port->RXFlush(0);
    EXPECT_EQ(1, port->PutChar(kEnq));
    std::string line;
    DWORD start = GetTickCount();
    char c;
    while (GetTickCount() - start < 3000) {
        if (port->GetChar(&c, 20) != 1)
            continue;
        if (c == '\r')
            return line;
        line += c;
    }
    return line + "(no end)";
}

// The far side's line settings and hang-up count, from its status line.
std::string Settings(GFSerial* port)
{
    std::string status = Enquire(port);
    return status.substr(status.find(' ') + 1);
}

int HangUps(GFSerial* port)
{
    std::string status = Enquire(port);
    return status[0] == 'H' ? atoi(status.c_str() + 1) : -1;
}

// Every byte value but ENQ, then printable text through PutString: the echo
// must bring back exactly these bytes, in order, and nothing more.
void ExpectExactEcho(GFSerial* port)
{
    std::string sent;
    for (int b = 0; b < 256; ++b) {
        if (b == kEnq)
            continue;
        ASSERT_EQ(1, port->PutChar(char(b))) << "byte " << b;
        sent += char(b);
    }
    std::string text;
    for (int i = 0; i < 2000; ++i)
        text += char('A' + i % 26);
    ASSERT_EQ(2001, port->PutString(text.c_str(), -2));
    ASSERT_EQ(2000, port->PutString(text.c_str(), -1));
    sent += text + "\r" + text;
    std::string got = ReadFor(port, sent.size(), 10000);
    EXPECT_EQ(sent.size(), got.size());
    EXPECT_TRUE(got == sent) << "first difference at " << std::mismatch(got.begin(), got.end(),
                                                                       sent.begin()).first - got.begin();
    Sleep(100);
    EXPECT_EQ(0, port->RXCount());
}

TEST(DirectPort, MovesDataBothWaysWithExactCounts)
{
    Port port("COM1");
    ASSERT_EQ(eCommOk, port.Error());
    ASSERT_EQ(3, port->PutString("AT", -2));
    EXPECT_EQ("AT\r", ReadFor(port.serial, 3, 2000));
    ExpectExactEcho(port.serial);
}

TEST(DirectPort, SettingsReachTheLineAndFlushesDiscard)
{
    Port port("COM1");
    ASSERT_EQ(eCommOk, port.Error());
    EXPECT_EQ(1, port->SetUp(19200, 'N', 8, 2));
    EXPECT_EQ(eCommOk, port.Error());
    EXPECT_EQ("S19200 C8 PN B2", Settings(port.serial));
    EXPECT_EQ(1, port->SetHandShake(const_cast<char*>("hard")));
    EXPECT_EQ(1, port->SetUp(57600, 'N', 8, 1));
    EXPECT_EQ("S57600 C8 PN B1", Settings(port.serial));

    EXPECT_EQ(0, port->SetUp(9600, 'X', 8, 1));
    EXPECT_EQ(eCommBadSetting, port.Error());
    EXPECT_EQ(1, port->SetUp(9600, 'N', 8, 1));
    EXPECT_EQ(eCommOk, port.Error());

    ASSERT_EQ(4, port->PutString("xyz", -2));
    EXPECT_EQ("xyz\r", ReadFor(port.serial, 4, 2000));
    ASSERT_EQ(4, port->PutString("xyz", -2));
    DWORD start = GetTickCount();
    while (port->RXCount() < 4 && GetTickCount() - start < 2000)
        port->WaitForInput(10);
    char c;
    EXPECT_EQ(1, port->GetChar(&c, 0));  // some of the rest may now be read ahead
    EXPECT_EQ(1, port->RXFlush(0));
    EXPECT_EQ(0, port->RXCount());
    EXPECT_EQ(1, port->TXFlush());
}

// A pty has no DTR line: a DTR drop closes the port, which the far side sees
// as a hang-up, and the carrier counts as gone afterwards.
TEST(DirectPort, DtrDropIsAHangUpOnPortsWithoutModemLines)
{
    Port port("COM1");
    ASSERT_EQ(eCommOk, port.Error());
    EXPECT_EQ(1, port->Carrier());
    EXPECT_EQ(0x80, port->Status());
    const int before = HangUps(port.serial);
    EXPECT_EQ(1, port->Dtr(0));
    port->Delay(300);
    EXPECT_EQ(1, port->Dtr(1));
    EXPECT_EQ(before + 1, HangUps(port.serial));
    EXPECT_EQ(0, port->Carrier());
    EXPECT_EQ(0, port->Status());
    ASSERT_EQ(3, port->PutString("ok", -2));
    EXPECT_EQ("ok\r", ReadFor(port.serial, 3, 2000));
}

TEST(DirectPort, ReportsPortInUseAndMissingPorts)
{
    char self[MAX_PATH];
    GetModuleFileNameA(NULL, self, sizeof self);
    std::string command = std::string("\"") + self + "\" --hold COM1";
    HANDLE held = CreateEventA(NULL, TRUE, FALSE, "QvSerialTestHeld");
    HANDLE release = CreateEventA(NULL, TRUE, FALSE, "QvSerialTestRelease");
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    ASSERT_TRUE(CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(held, 10000));
    {
        Port port("COM1");
        EXPECT_EQ(eCommPortInUse, port.Error());
        EXPECT_EQ(0, port->PutString("AT", -2));
    }
    SetEvent(release);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 10000));
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    {
        Port port("COM1");
        EXPECT_EQ(eCommOk, port.Error());
    }
    Port missing("COM9");
    EXPECT_EQ(eCommCannotOpen, missing.Error());
}

// A modem wait blocks in WaitForInput when a pass found nothing: with nothing
// arriving it must sleep, and it must wake promptly for data or a window
// message. OnIdle, called for every character examined, never blocks.
TEST(DirectPort, IdleWaitsWithoutBurningTheProcessor)
{
    Port port("COM1");
    ASSERT_EQ(eCommOk, port.Error());
    port->RXFlush(0);
    FILETIME created, ended, kernel0, user0, kernel1, user1;
    GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel0, &user0);
    DWORD start = GetTickCount();
    for (int i = 0; i < 100; ++i)
        port->WaitForInput(10);
    DWORD wall = GetTickCount() - start;
    GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel1, &user1);
    auto ms = [](const FILETIME& a, const FILETIME& b) {
        return double((ULONGLONG(b.dwHighDateTime) << 32 | b.dwLowDateTime) -
                      (ULONGLONG(a.dwHighDateTime) << 32 | a.dwLowDateTime)) / 10000.0;
    };
    double cpu = ms(kernel0, kernel1) + ms(user0, user1);
    EXPECT_GE(wall, 300u);
    EXPECT_LT(cpu, wall * 0.1) << "cpu " << cpu << " ms in " << wall << " ms";
    printf("idle: 100 WaitForInput(10) calls took %lu ms wall, %.1f ms cpu\n", wall, cpu);

    ASSERT_EQ(2, port->PutString("x", -2));
    ReadFor(port.serial, 1, 2000);  // the rest, CR, is now waiting
    start = GetTickCount();
    while (port->RXCount() == 0 && GetTickCount() - start < 2000)
        port->WaitForInput(10);
    start = GetTickCount();
    port->WaitForInput(10);
    EXPECT_LT(GetTickCount() - start, NoWaitMs()) << "WaitForInput must not wait while data is there";
    start = GetTickCount();
    for (int i = 0; i < 100; ++i)
        port->OnIdle();
    EXPECT_LT(GetTickCount() - start, NoWaitMs()) << "OnIdle must never wait";
    port->RXFlush(0);

    // The modem code pumps one message per idle call: messages still queued
    // after that one must not cost an idle wait each.
    for (int i = 0; i < 3; ++i)
        PostThreadMessageA(GetCurrentThreadId(), WM_USER, 0, 0);
    MSG msg;
    for (int left = 2; left >= 0; --left) {
        ASSERT_TRUE(PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE));
        start = GetTickCount();
        port->WaitForInput(10);
        if (left > 0) {
            EXPECT_LT(GetTickCount() - start, NoWaitMs()) << left << " messages were still queued";
        }
    }
}

TEST(RedirectedPort, Ser2netCarriesDataAndLineSettings)
{
    Port port("COM2");
    ASSERT_EQ(eCommOk, port.Error());
    EXPECT_EQ(1, port->SetUp(19200, 'E', 7, 2));
    EXPECT_EQ(eCommOk, port.Error());
    // A pty keeps only speed and stop bits; size and parity were confirmed by ser2net.
    std::string settings = Settings(port.serial);
    EXPECT_EQ("S19200", settings.substr(0, 6)) << settings;
    EXPECT_EQ("B2", settings.substr(settings.size() - 2)) << settings;
    EXPECT_EQ(1, port->SetUp(38400, 'N', 8, 1));
    EXPECT_EQ(1, port->SetHandShake(const_cast<char*>("hard")));
    EXPECT_EQ(eCommOk, port.Error());
    settings = Settings(port.serial);
    EXPECT_EQ("S38400", settings.substr(0, 6)) << settings;
    ExpectExactEcho(port.serial);
    EXPECT_EQ(1, port->Dtr(0));
    EXPECT_EQ(1, port->Dtr(1));
}

// Carrier as the port reports it once the server's news had up to 2 s to come.
int CarrierAfterNews(GFSerial* port, int expected)
{
    DWORD start = GetTickCount();
    while (port->Carrier() != expected && GetTickCount() - start < 2000)
        port->WaitForInput(10);
    return port->Carrier();
}

TEST(RedirectedPort, CarrierFollowsTheServersModemState)
{
    Port port("COM3");
    ASSERT_EQ(eCommOk, port.Error());
    EXPECT_EQ(1, CarrierAfterNews(port.serial, 1));
    ASSERT_EQ(1, port->PutChar(2));  // the server drops carrier
    EXPECT_EQ(0, CarrierAfterNews(port.serial, 0));
    ASSERT_EQ(1, port->PutChar(1));
    EXPECT_EQ(1, CarrierAfterNews(port.serial, 1));
    // As with a modem that hangs up on DTR: the hang-up sequence sees carrier go.
    EXPECT_EQ(1, port->Dtr(0));
    port->Delay(200);
    EXPECT_EQ(0, port->Status() & 0x80);
    EXPECT_EQ(1, port->Dtr(1));
    port->Delay(200);
    EXPECT_EQ(0, port->Carrier()) << "raising DTR again is no call";
    // What travelled, as the server logged it: settings, flow control, purges.
    Enquire(port.serial);
    EXPECT_EQ(1, port->SetUp(2400, 'O', 7, 1));
    EXPECT_EQ(1, port->SetHandShake(const_cast<char*>("soft")));
    EXPECT_EQ(1, port->TXFlush());
    EXPECT_EQ("1=00000960 2=07 3=02 4=01 5=02 12=02 12=01", Enquire(port.serial));
    ASSERT_EQ(3, port->PutString("A\xff", -2));
    EXPECT_EQ("A\xff\r", ReadFor(port.serial, 3, 2000));
}

// A device gone wild must not hold the caller in the port or fill its
// memory: the port keeps a bounded read-ahead and each call returns soon.
TEST(RedirectedPort, AServerThatNeverStopsSendingIsReadInBoundedSteps)
{
    Port port("COM3");
    ASSERT_EQ(eCommOk, port.Error());
    ASSERT_EQ(1, port->PutChar(3));
    port->Delay(500);
    DWORD slowest = 0;
    unsigned most = 0, taken = 0;
    for (int i = 0; i < 200; i++) {
        DWORD start = GetTickCount();
        unsigned waiting = port->RXCount();
        unsigned char buffer[59];
        taken += port->GetBuffer(buffer, sizeof buffer);
        slowest = std::max(slowest, GetTickCount() - start);
        most = std::max(most, waiting);
    }
    EXPECT_GT(taken, 0u);
    EXPECT_LE(most, 64u * 1024) << "bytes held for the caller";
    EXPECT_LT(slowest, 500u) << "ms in one call";
}

// Like a modem without a call: no carrier until the server says there is one.
TEST(RedirectedPort, CarrierIsOffUntilTheServerReportsIt)
{
    Port port("COM6");
    ASSERT_EQ(eCommOk, port.Error());
    port->Delay(300);
    EXPECT_EQ(0, port->Carrier());
    ASSERT_EQ(1, port->PutChar(1));
    EXPECT_EQ(1, CarrierAfterNews(port.serial, 1));
}

TEST(RedirectedPort, UnreachableServerOrBadEntryCannotOpen)
{
    Port nobody("COM4");
    EXPECT_EQ(eCommCannotOpen, nobody.Error());
    Port bad("COM5");
    EXPECT_EQ(eCommCannotOpen, bad.Error());
    EXPECT_EQ(0, bad->RXCount());
    EXPECT_EQ(0, bad->Carrier());
}

// Holds a port open, as another program of the suite would, until told to let go.
int HoldPort(const char* name)
{
    Port port(name);
    if (port.Error() != eCommOk)
        return 1;
    HANDLE held = OpenEventA(EVENT_MODIFY_STATE, FALSE, "QvSerialTestHeld");
    HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, "QvSerialTestRelease");
    SetEvent(held);
    WaitForSingleObject(release, 10000);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--hold")
        return HoldPort(argv[2]);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
