// What comes from outside: whatever a server sends, and the redirection
// text of QVCOMM.INI. Neither may crash the client or misread memory.
#include <string>

#include "comport_client.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    qvcomm::ComPortClient client;
    client.Start();
    /* Two feeds, so state carried across a boundary is exercised too. */
    size_t half = size / 2;
    client.Receive(data, half);
    client.Receive(data + half, size - half);
    (void)client.ModemState();

    std::string text(reinterpret_cast<const char*>(data), size);
    std::string host;
    uint16_t port;
    qvcomm::ParseHostPort(text.c_str(), host, port);
    return 0;
}
