// Whatever a server sends, the client must neither crash nor misread memory.
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
    return 0;
}
