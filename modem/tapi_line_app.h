// TapiLineApp: the telephony lines Windows knows, reached through TAPI32.DLL
// loaded at run time, so the library runs where there is no telephony at
// all. It registers a line application and answers, per line device: is it
// a data modem that can place calls, what is it called, what icon has it.
#ifndef QVWIZ_TAPI_LINE_APP_H
#define QVWIZ_TAPI_LINE_APP_H

#include <tapi32.h>

class TapiLineApp {
public:
    // Loads the telephony library and looks up its entry points; a missing
    // library or entry point is reported in a message box "TAPI32.DLL". The
    // library is named only by tests.
    explicit TapiLineApp(const char* library = "TAPI32.DLL");

    // -1: no telephony library; a TAPI error (negative): registration
    // failed; 0: ready, with lines; 1: no lines, and already shut down again.
    // While TAPI reports that it is reinitialising, it asks again (after a
    // pause of 20 ms), and every 5 seconds asks the user whether to go on.
    LONG Initialize(HINSTANCE instance, HWND owner, const char* appName,
                    const char* secondName);
    void Shutdown();

    DWORD GetDeviceCount() const { return m_numDevices; }
    BOOL IsInitialized() const { return m_bInitialized != 0; }

    // Copies a usable line's name into name (at least kLineNameSize bytes),
    // cut to fit; leaves it untouched for a line that is not offered. The
    // caller empties it first. Returns 0.
    LONG GetLineName(DWORD device, char* name);
    // 0 when the line carries voice, can be a data modem and can place a
    // call; -1 otherwise.
    LONG IsLineUsable(DWORD device);
    // The device's complete capabilities in a LocalAlloc buffer (buffer is
    // reused or freed), or null. The caller frees it with LocalFree.
    LINEDEVCAPS* GetDevCaps(LINEDEVCAPS* buffer, DWORD device, DWORD version);
    // A zeroed buffer of at least size bytes with its total size set, or
    // null; buffer is reused when big enough, else freed.
    void* EnsureBuffer(void* buffer, DWORD size, const char* function);
    // lineGetIcon for the "comm" class: 0 when *icon was stored.
    LONG GetLineIcon(HICON* icon, DWORD device);

    static const int kLineNameSize = 260;

private:
    typedef LONG(WINAPI* InitializeFn)(LPHLINEAPP, HINSTANCE, LINECALLBACK, LPCSTR, LPDWORD);
    typedef LONG(WINAPI* NegotiateFn)(HLINEAPP, DWORD, DWORD, DWORD, LPDWORD, LPVOID);
    typedef LONG(WINAPI* DevCapsFn)(HLINEAPP, DWORD, DWORD, DWORD, LPLINEDEVCAPS);
    typedef LONG(WINAPI* IconFn)(DWORD, LPCSTR, HICON*);
    typedef LONG(WINAPI* ShutdownFn)(HLINEAPP);

    BOOL Load(const char* library);
    // The negotiated version (1.3 exactly), or 0 when there is none.
    DWORD NegotiateVersion(DWORD device);
    static void CALLBACK LineCallback(DWORD, DWORD, DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR);

    HLINEAPP m_hLineApp = 0;
    HWND m_hOwner = nullptr;
    HINSTANCE m_hInstance = nullptr;
    LINECALLBACK m_callback = nullptr;
    DWORD m_numDevices = 0;
    char m_appName[40] = "";
    DWORD m_bInitialized = 0;
    HMODULE m_hTapi = nullptr;
    char m_secondName[40] = "";
    // The entry points in the order they are looked up; only five are
    // called, the others must merely exist.
    FARPROC m_entries[14] = {};
};

#endif
