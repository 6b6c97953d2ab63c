#include "winsock_api.h"

namespace qvcomm {
namespace {

template <typename F>
bool Bind(HMODULE dll, const char* name, F& function)
{
    function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
    return function != NULL;
}

bool Load(WinsockApi& api)
{
    HMODULE dll = LoadLibraryA("WS2_32.DLL");
    if (!dll)
        return false;
    return Bind(dll, "WSAStartup", api.WSAStartup) && Bind(dll, "WSACleanup", api.WSACleanup) &&
           Bind(dll, "WSAGetLastError", api.WSAGetLastError) &&
           Bind(dll, "WSAEventSelect", api.WSAEventSelect) && Bind(dll, "socket", api.socket) &&
           Bind(dll, "closesocket", api.closesocket) && Bind(dll, "setsockopt", api.setsockopt) &&
           Bind(dll, "getsockopt", api.getsockopt) && Bind(dll, "connect", api.connect) &&
           Bind(dll, "select", api.select) && Bind(dll, "send", api.send) &&
           Bind(dll, "recv", api.recv) && Bind(dll, "gethostbyname", api.gethostbyname) &&
           Bind(dll, "inet_addr", api.inet_addr);
}

}  // namespace

const WinsockApi* Winsock()
{
    static WinsockApi api;
    static int state;  /* 0 not tried, 1 loaded, -1 missing; one GUI thread only */
    if (state == 0)
        state = Load(api) ? 1 : -1;
    return state > 0 ? &api : NULL;
}

}  // namespace qvcomm
