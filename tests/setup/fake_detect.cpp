// A stand-in modem-detection library that records its calls; FAKE_INIT in
// the environment sets what InitDetectDLL returns (default 1). Built also
// without InstallVoiceFiles (FAKE_NO_VOICE).
#include "call_log.h"
#include <cstdlib>

#define EXPORT extern "C" __declspec(dllexport)

EXPORT int __cdecl InitDetectDLL(void)
{
    LogCall("InitDetectDLL");
    return Setting("FAKE_INIT", 1);
}

EXPORT int __cdecl DoModemDetection(HWND owner, const char* port, int flags)
{
    LogCall("DoModemDetection|%d|%s|%d", owner != nullptr, Show(port), flags);
    return 1;
}

#ifndef FAKE_NO_VOICE
EXPORT int __cdecl InstallVoiceFiles(HWND owner, int flags)
{
    LogCall("InstallVoiceFiles|%d|%d", owner != nullptr, flags);
    return 1;
}
#endif

EXPORT void __cdecl DeInitDetectDLL(void)
{
    LogCall("DeInitDetectDLL");
}
