// REINIT.DLL: a telephony library that is always reinitialising, with the
// other thirteen entry points present so that it loads.
#include <windows.h>

extern "C" {
__declspec(dllexport) LONG WINAPI lineInitialize(DWORD*, HINSTANCE, void*, LPCSTR, LPDWORD)
{
    return static_cast<LONG>(0x80000052);  // reinitialising
}
#define UNAVAILABLE(name) \
    __declspec(dllexport) LONG WINAPI name() { return static_cast<LONG>(0x80000049); }
UNAVAILABLE(lineGetTranslateCaps)
UNAVAILABLE(lineNegotiateAPIVersion)
UNAVAILABLE(lineGetDevCaps)
UNAVAILABLE(lineGetDevConfig)
UNAVAILABLE(lineSetDevConfig)
UNAVAILABLE(lineConfigDialogEdit)
UNAVAILABLE(lineGetIcon)
UNAVAILABLE(lineTranslateDialog)
UNAVAILABLE(lineSetCurrentLocation)
UNAVAILABLE(lineGetCountry)
UNAVAILABLE(lineTranslateAddress)
UNAVAILABLE(lineShutdown)
UNAVAILABLE(tapiGetLocationInfo)
}
