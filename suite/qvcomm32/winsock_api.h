/* Winsock 2, loaded when a redirected port is first opened rather than
 * imported: Windows 95 has it only as an update, and QVCOMM32.DLL must load
 * there for plain COM ports all the same. */
#ifndef QVCOMM_WINSOCK_API_H
#define QVCOMM_WINSOCK_API_H

#include <winsock2.h>

namespace qvcomm {

struct WinsockApi {
    int(WSAAPI* WSAStartup)(WORD, LPWSADATA);
    int(WSAAPI* WSACleanup)();
    int(WSAAPI* WSAGetLastError)();
    int(WSAAPI* WSAEventSelect)(SOCKET, WSAEVENT, long);
    SOCKET(WSAAPI* socket)(int, int, int);
    int(WSAAPI* closesocket)(SOCKET);
    int(WSAAPI* setsockopt)(SOCKET, int, int, const char*, int);
    int(WSAAPI* getsockopt)(SOCKET, int, int, char*, int*);
    int(WSAAPI* connect)(SOCKET, const sockaddr*, int);
    int(WSAAPI* select)(int, fd_set*, fd_set*, fd_set*, const timeval*);
    int(WSAAPI* send)(SOCKET, const char*, int, int);
    int(WSAAPI* recv)(SOCKET, char*, int, int);
    hostent*(WSAAPI* gethostbyname)(const char*);
    unsigned long(WSAAPI* inet_addr)(const char*);
};

/* The functions of WS2_32.DLL, or null when it or one of them is missing.
 * Loaded once; the library stays loaded for the life of the process. */
const WinsockApi* Winsock();

}  // namespace qvcomm

#endif
