// Figures for the serial port driver under Wine, comparable run to run:
// idle cost of a modem wait, one-byte reply latency and echo throughput on a
// pty (COM1), through ser2net (COM2) and through an RFC 2217 server (COM3).
// Run with tools/serial/serial_rig.py, which provides those ports.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

#include "qvcomm32_calls.h"

namespace {

double Now()
{
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) * 1000.0 / double(f.QuadPart);
}

double CpuMs()
{
    FILETIME a, b, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &a, &b, &kernel, &user);
    auto ms = [](const FILETIME& t) {
        return double(ULONGLONG(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 10000.0;
    };
    return ms(kernel) + ms(user);
}

void Idle(GFSerial& port)
{
    double wall0 = Now(), cpu0 = CpuMs();
    while (Now() - wall0 < 3000)
        port.WaitForInput(10);
    double wall = Now() - wall0, cpu = CpuMs() - cpu0;
    printf("  idle wait:   %.1f%% of a processor (%.0f ms cpu in %.0f ms)\n", 100 * cpu / wall,
           cpu, wall);
}

void Latency(GFSerial& port)
{
    std::vector<double> rtt;
    for (int i = 0; i < 300; ++i) {
        double t0 = Now();
        port.PutChar('a');
        char c;
        while (Now() - t0 < 2000) {
            if (port.RXCount() > 0 && port.GetChar(&c, 0))
                break;
            port.WaitForInput(10);
        }
        rtt.push_back(Now() - t0);
    }
    std::sort(rtt.begin(), rtt.end());
    printf("  reply:       median %.2f ms, 90%% %.2f ms, max %.2f ms (300 one-byte echoes)\n",
           rtt[150], rtt[270], rtt.back());
}

void Throughput(GFSerial& port)
{
    const size_t total = 256 * 1024;
    std::string chunk(1024, 'x');
    size_t sent = 0, got = 0;
    double t0 = Now();
    while (got < total && Now() - t0 < 30000) {
        if (sent < total && sent - got < 8192) {
            port.PutString(chunk.c_str(), -1);
            sent += chunk.size();
        }
        unsigned char buffer[59];
        int waiting = port.RXCount();
        if (waiting > 0)
            got += port.GetBuffer(buffer, sizeof buffer);
        else if (sent >= total || sent - got >= 8192)
            port.WaitForInput(10);
    }
    double ms = Now() - t0;
    printf("  throughput:  %.0f KB/s echoed (%zu KB in %.0f ms, reads of up to 59 bytes)\n",
           got / 1024.0 / (ms / 1000.0), got / 1024, ms);
}

}  // namespace

int main(int argc, char** argv)
{
    // "idle SECONDS": only an idle modem wait on COM1, for measuring the
    // wineserver's share from outside.
    if (argc == 3 && std::string(argv[1]) == "idle") {
        GFSerial port(eCommSerial, "COM1", NULL, eProductKestrix, eAppWizard, 2048, 2048, 0, NULL);
        double end = Now() + atoi(argv[2]) * 1000.0;
        while (Now() < end)
            port.WaitForInput(10);
        return 0;
    }
    const char* ports[] = {"COM1", "COM2", "COM3"};
    const char* names[] = {"pty", "ser2net", "RFC 2217 server"};
    for (int i = 0; i < 3; ++i) {
        GFSerial port(eCommSerial, ports[i], NULL, eProductKestrix, eAppWizard, 2048, 2048, 0,
                      NULL);
        unsigned short detail;
        if (port.GetCommError(detail) != eCommOk) {
            printf("%s: cannot open\n", ports[i]);
            return 1;
        }
        port.SetUp(115200, 'N', 8, 1);
        printf("%s (%s)\n", ports[i], names[i]);
        Idle(port);
        Latency(port);
        Throughput(port);
        port.Close();
    }
    return 0;
}
