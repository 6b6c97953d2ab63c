// TAPI32.DLL for Wine: a telephony line provider that offers one line
// device per installed modem (see modem_class.h). It answers what a TAPI 1.3
// or 1.4 application asks of line devices: initialisation, version
// negotiation, device capabilities and icons. It places no calls; the suite
// dials through the modem's COM port itself.
#include "modem_class.h"
#include "tapi32.h"
#include "resource.h"
#include <cstring>
#include <new>

namespace {

const DWORD kLowestVersion = 0x00010003;
const DWORD kHighestVersion = 0x00010004;
const int kMaxApps = 16;

// One registered line application and the modems as they were when it
// registered: device numbers mean the same to it until it shuts down, even
// when modems are installed or removed meanwhile.
struct LineApp {
    bool used;
    int count;
    InstalledModem* modems;
};

LineApp g_apps[kMaxApps];
CRITICAL_SECTION g_lock;
HINSTANCE g_module;

// Handles are the table index plus one, so 0 is never a valid handle.
LineApp* FindApp(HLINEAPP handle)
{
    if (handle == 0 || handle > static_cast<DWORD>(kMaxApps) || !g_apps[handle - 1].used)
        return nullptr;
    return &g_apps[handle - 1];
}

bool AnyApp()
{
    for (const LineApp& app : g_apps)
        if (app.used)
            return true;
    return false;
}

// What a bad app handle means: no application at all, or a wrong handle.
LONG AppError()
{
    return AnyApp() ? LINEERR_INVALAPPHANDLE : LINEERR_UNINITIALIZED;
}

class Lock {
public:
    Lock() { EnterCriticalSection(&g_lock); }
    ~Lock() { LeaveCriticalSection(&g_lock); }
};

// Appends a string to the variable part of caps when it fits; the needed
// size grows in any case.
void PutString(LINEDEVCAPS* caps, const char* text, DWORD* size, DWORD* offset)
{
    DWORD length = static_cast<DWORD>(std::strlen(text) + 1);
    caps->dwNeededSize += length;
    if (caps->dwUsedSize + length > caps->dwTotalSize)
        return;
    std::memcpy(reinterpret_cast<char*>(caps) + caps->dwUsedSize, text, length);
    *offset = caps->dwUsedSize;
    *size = length;
    caps->dwUsedSize += length;
}

void FillCaps(LINEDEVCAPS* caps, DWORD fixedSize, DWORD device, const InstalledModem& modem)
{
    DWORD total = caps->dwTotalSize;
    std::memset(caps, 0, fixedSize);
    caps->dwTotalSize = total;
    caps->dwNeededSize = caps->dwUsedSize = fixedSize;
    caps->dwPermanentLineID = device;
    caps->dwStringFormat = STRINGFORMAT_ASCII;
    caps->dwAddressModes = LINEADDRESSMODE_ADDRESSID;
    caps->dwNumAddresses = 1;
    caps->dwBearerModes = LINEBEARERMODE_VOICE;
    caps->dwMaxNumActiveCalls = 1;
    // A modem that is not attached to a port can carry neither data nor a
    // call of its own.
    const bool attached = modem.port[0] != '\0';
    caps->dwMediaModes = LINEMEDIAMODE_INTERACTIVEVOICE | (attached ? LINEMEDIAMODE_DATAMODEM : 0);
    if (fixedSize >= LINEDEVCAPS_SIZE_14)
        caps->dwLineFeatures = attached ? LINEFEATURE_MAKECALL : 0;
    if (modem.name[0])
        PutString(caps, modem.name, &caps->dwLineNameSize, &caps->dwLineNameOffset);
    PutString(caps, modem.port, &caps->dwProviderInfoSize, &caps->dwProviderInfoOffset);
}

bool KnownDeviceClass(const char* cls)
{
    return !cls || !lstrcmpiA(cls, "comm") || !lstrcmpiA(cls, "comm/datamodem") ||
           !lstrcmpiA(cls, "tapi/line");
}

}  // namespace

extern "C" {

__declspec(dllexport) LONG WINAPI lineInitialize(LPHLINEAPP app, HINSTANCE, LINECALLBACK,
                                                 LPCSTR, LPDWORD numDevices)
{
    if (!app || !numDevices)
        return LINEERR_INVALPOINTER;
    InstalledModem* modems = new (std::nothrow) InstalledModem[kMaxModems];
    if (!modems)
        return LINEERR_NOMEM;
    int count = ReadInstalledModems(modems, kMaxModems);
    Lock lock;
    for (int i = 0; i < kMaxApps; i++)
        if (!g_apps[i].used) {
            g_apps[i] = {true, count, modems};
            *app = static_cast<HLINEAPP>(i + 1);
            *numDevices = static_cast<DWORD>(count);
            return 0;
        }
    delete[] modems;
    return LINEERR_NOMEM;
}

__declspec(dllexport) LONG WINAPI lineShutdown(HLINEAPP handle)
{
    Lock lock;
    LineApp* app = FindApp(handle);
    if (!app)
        return AppError();
    delete[] app->modems;
    *app = {false, 0, nullptr};
    return 0;
}

__declspec(dllexport) LONG WINAPI lineNegotiateAPIVersion(HLINEAPP handle, DWORD device,
                                                          DWORD low, DWORD high, LPDWORD version,
                                                          LPVOID extensionId)
{
    Lock lock;
    LineApp* app = FindApp(handle);
    if (!app)
        return AppError();
    if (device >= static_cast<DWORD>(app->count))
        return LINEERR_BADDEVICEID;
    if (!version || !extensionId)
        return LINEERR_INVALPOINTER;
    std::memset(extensionId, 0, 16);  // no provider-specific extensions
    if (low > high || low > kHighestVersion || high < kLowestVersion)
        return LINEERR_INCOMPATIBLEAPIVERSION;
    *version = high < kHighestVersion ? high : kHighestVersion;
    return 0;
}

__declspec(dllexport) LONG WINAPI lineGetDevCaps(HLINEAPP handle, DWORD device, DWORD version,
                                                 DWORD extVersion, LPLINEDEVCAPS caps)
{
    Lock lock;
    LineApp* app = FindApp(handle);
    if (!app)
        return AppError();
    if (device >= static_cast<DWORD>(app->count))
        return LINEERR_BADDEVICEID;
    if (version < kLowestVersion || version > kHighestVersion)
        return LINEERR_INCOMPATIBLEAPIVERSION;
    if (extVersion != 0)
        return LINEERR_INCOMPATIBLEEXTVERSION;
    if (!caps)
        return LINEERR_INVALPOINTER;
    DWORD fixed = version >= 0x00010004 ? LINEDEVCAPS_SIZE_14 : LINEDEVCAPS_SIZE_13;
    if (caps->dwTotalSize < fixed)
        return LINEERR_STRUCTURETOOSMALL;
    // The features field belongs to version 1.4, but 1.3 callers that
    // offer room for it read it too: with that room it is part of the fixed
    // part, and the strings go after it.
    if (caps->dwTotalSize >= LINEDEVCAPS_SIZE_14)
        fixed = LINEDEVCAPS_SIZE_14;
    FillCaps(caps, fixed, device, app->modems[device]);
    return 0;
}

// Icons need no registered application: the device is looked up among the
// modems installed now.
__declspec(dllexport) LONG WINAPI lineGetIcon(DWORD device, LPCSTR deviceClass, HICON* icon)
{
    if (!icon)
        return LINEERR_INVALPOINTER;
    if (!KnownDeviceClass(deviceClass))
        return LINEERR_INVALDEVICECLASS;
    Lock lock;
    if (device >= static_cast<DWORD>(ReadInstalledModems(nullptr, kMaxModems)))
        return LINEERR_BADDEVICEID;
    // Loaded from this module's resources, the icon is shared: callers do
    // not destroy it.
    *icon = LoadIconA(g_module, MAKEINTRESOURCEA(IDI_LINE));
    return *icon ? 0 : LINEERR_OPERATIONFAILED;
}

// The rest of the interface is offered so that applications that look it
// up find it, but this provider has no dialling rules, device settings or
// dialogs.
__declspec(dllexport) LONG WINAPI lineGetTranslateCaps(HLINEAPP, DWORD, LPVOID)
{
    return LINEERR_OPERATIONUNAVAIL;
}
__declspec(dllexport) LONG WINAPI lineGetDevConfig(DWORD, LPVOID, LPCSTR)
{
    return LINEERR_OPERATIONUNAVAIL;
}
__declspec(dllexport) LONG WINAPI lineSetDevConfig(DWORD, LPCVOID, DWORD, LPCSTR)
{
    return LINEERR_OPERATIONUNAVAIL;
}
__declspec(dllexport) LONG WINAPI lineConfigDialogEdit(DWORD, HWND, LPCSTR, LPCVOID, DWORD,
                                                       LPVOID)
{
    return LINEERR_OPERATIONUNAVAIL;
}
__declspec(dllexport) LONG WINAPI lineTranslateDialog(HLINEAPP, DWORD, DWORD, HWND, LPCSTR)
{
    return LINEERR_OPERATIONUNAVAIL;
}
__declspec(dllexport) LONG WINAPI lineSetCurrentLocation(HLINEAPP, DWORD)
{
    return LINEERR_OPERATIONUNAVAIL;
}
__declspec(dllexport) LONG WINAPI lineGetCountry(DWORD, DWORD, LPVOID)
{
    return LINEERR_OPERATIONUNAVAIL;
}
__declspec(dllexport) LONG WINAPI lineTranslateAddress(HLINEAPP, DWORD, DWORD, LPCSTR, DWORD,
                                                       DWORD, LPVOID)
{
    return LINEERR_OPERATIONUNAVAIL;
}
__declspec(dllexport) LONG WINAPI tapiGetLocationInfo(LPSTR, LPSTR)
{
    return TAPIERR_REQUESTFAILED;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        InitializeCriticalSection(&g_lock);
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        DeleteCriticalSection(&g_lock);
    }
    return TRUE;
}

}  // extern "C"
