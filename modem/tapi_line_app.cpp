#include "tapi_line_app.h"
#include <cstdio>
#include <cstring>

namespace {

const char* const kEntryNames[14] = {
    "lineInitialize",       "lineGetTranslateCaps", "lineNegotiateAPIVersion",
    "lineGetDevCaps",       "lineGetDevConfig",     "lineSetDevConfig",
    "lineConfigDialogEdit", "lineGetIcon",          "lineTranslateDialog",
    "lineSetCurrentLocation", "lineGetCountry",     "lineTranslateAddress",
    "lineShutdown",         "tapiGetLocationInfo",
};
enum { kInitialize = 0, kNegotiate = 2, kDevCaps = 3, kGetIcon = 7, kShutdown = 12 };

const DWORD kVersion13 = 0x00010003;
const DWORD kFirstCapsSize = 1264;
const DWORD kReinitPromptMs = 5000;
const DWORD kReinitPauseMs = 20;

template <class Fn>
Fn Entry(FARPROC p)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(p));
}

void ShowError(HWND owner, const char* text)
{
    MessageBoxA(owner, text, "Error", MB_ICONEXCLAMATION);
}

}  // namespace

TapiLineApp::TapiLineApp(const char* library)
{
    if (!Load(library))
        ShowError(m_hOwner, "TAPI32.DLL");
}

BOOL TapiLineApp::Load(const char* library)
{
    HMODULE module = LoadLibraryA(library);
    if (!module)
        return FALSE;
    for (int i = 0; i < 14; i++) {
        m_entries[i] = GetProcAddress(module, kEntryNames[i]);
        if (!m_entries[i]) {
            // An incomplete library counts as none; it stays loaded, as a
            // loaded one does.
            return FALSE;
        }
    }
    m_hTapi = module;
    return TRUE;
}

void CALLBACK TapiLineApp::LineCallback(DWORD, DWORD, DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR)
{
    // Nothing the wizard shows depends on line events.
}

LONG TapiLineApp::Initialize(HINSTANCE instance, HWND owner, const char* appName,
                             const char* secondName)
{
    if (!m_hTapi)
        return -1;
    DWORD started = GetTickCount();
    m_callback = LineCallback;
    lstrcpynA(m_appName, appName ? appName : "", sizeof m_appName);
    if (secondName)
        lstrcpynA(m_secondName, secondName, sizeof m_secondName);
    m_hInstance = instance;
    m_hOwner = owner;

    InitializeFn lineInitialize = Entry<InitializeFn>(m_entries[kInitialize]);
    LONG result = lineInitialize(&m_hLineApp, m_hInstance, m_callback, m_appName, &m_numDevices);
    while (result == LINEERR_REINIT) {
        if (GetTickCount() - started >= kReinitPromptMs) {
            if (MessageBoxA(m_hOwner, "Telephone System Is Reinitializing - Cancel to abort",
                            "Error - TAPI Initialization Failed",
                            MB_RETRYCANCEL | MB_ICONQUESTION) == IDCANCEL)
                break;
            started = GetTickCount();
        }
        // TAPI is waiting for its applications to let go; a short pause
        // gives them the processor instead of spinning.
        Sleep(kReinitPauseMs);
        result = lineInitialize(&m_hLineApp, m_hInstance, m_callback, m_appName, &m_numDevices);
    }
    if (result < 0)
        return result;
    m_bInitialized = 1;
    if (m_numDevices != 0)
        return result;
    Shutdown();
    return 1;
}

void TapiLineApp::Shutdown()
{
    if (!m_bInitialized)
        return;
    Entry<ShutdownFn>(m_entries[kShutdown])(m_hLineApp);
    m_bInitialized = 0;
}

void* TapiLineApp::EnsureBuffer(void* buffer, DWORD size, const char* /*function*/)
{
    if (buffer) {
        SIZE_T have = LocalSize(buffer);
        if (have == 0)
            return nullptr;
        if (have < size) {
            LocalFree(buffer);
            buffer = nullptr;
        } else {
            std::memset(buffer, 0, have);
            size = static_cast<DWORD>(have);
        }
    }
    if (!buffer) {
        buffer = LocalAlloc(LPTR, size);
        if (!buffer) {
            ShowError(m_hOwner, "Out of Memory error, canceling action.");
            return nullptr;
        }
    }
    static_cast<DWORD*>(buffer)[0] = size;
    return buffer;
}

LINEDEVCAPS* TapiLineApp::GetDevCaps(LINEDEVCAPS* buffer, DWORD device, DWORD version)
{
    if (!m_hTapi)
        return nullptr;
    DevCapsFn lineGetDevCaps = Entry<DevCapsFn>(m_entries[kDevCaps]);
    DWORD size = kFirstCapsSize;
    for (;;) {
        buffer = static_cast<LINEDEVCAPS*>(EnsureBuffer(buffer, size, "lineGetDevCaps"));
        if (!buffer)
            return nullptr;
        if (lineGetDevCaps(m_hLineApp, device, version, 0, buffer) != 0) {
            LocalFree(buffer);
            return nullptr;
        }
        if (buffer->dwTotalSize >= buffer->dwNeededSize)
            return buffer;
        size = buffer->dwNeededSize;
    }
}

DWORD TapiLineApp::NegotiateVersion(DWORD device)
{
    if (!m_hTapi)
        return 0;
    DWORD version = 0;
    DWORD extension[4] = {};
    if (Entry<NegotiateFn>(m_entries[kNegotiate])(m_hLineApp, device, kVersion13, kVersion13,
                                                  &version, extension) != 0)
        return 0;
    return version;
}

LONG TapiLineApp::GetLineName(DWORD device, char* name)
{
    DWORD version = NegotiateVersion(device);
    if (version == 0)
        return 0;
    LINEDEVCAPS* caps = GetDevCaps(nullptr, device, version);
    if (!caps)
        return 0;
    char* text = reinterpret_cast<char*>(caps) + caps->dwLineNameOffset;
    // A provider's offsets are not trusted to stay inside its buffer.
    bool named = caps->dwLineNameSize != 0 && caps->dwLineNameOffset != 0 &&
                 caps->dwStringFormat == STRINGFORMAT_ASCII &&
                 caps->dwLineNameOffset < caps->dwTotalSize &&
                 caps->dwLineNameSize <= caps->dwTotalSize - caps->dwLineNameOffset &&
                 text[0] != '\0';
    if (named && text[caps->dwLineNameSize - 1] != '\0') {
        text[caps->dwLineNameSize - 1] = '\0';
        char message[80];
        std::snprintf(message, sizeof message,
                      "Device name for device 0x%lx is not null terminated.\n",
                      static_cast<unsigned long>(device));
        ShowError(m_hOwner, message);
    }
    if (named && IsLineUsable(device) == 0)
        lstrcpynA(name, text, kLineNameSize);
    LocalFree(caps);
    return 0;
}

LONG TapiLineApp::IsLineUsable(DWORD device)
{
    DWORD version = NegotiateVersion(device);
    if (version == 0)
        return -1;
    LINEDEVCAPS* caps = GetDevCaps(nullptr, device, version);
    if (!caps)
        return -1;
    bool usable = (caps->dwBearerModes & LINEBEARERMODE_VOICE) &&
                  (caps->dwMediaModes & LINEMEDIAMODE_DATAMODEM) &&
                  (caps->dwLineFeatures & LINEFEATURE_MAKECALL);
    LocalFree(caps);
    return usable ? 0 : -1;
}

LONG TapiLineApp::GetLineIcon(HICON* icon, DWORD device)
{
    if (!m_hTapi)
        return -1;
    return Entry<IconFn>(m_entries[kGetIcon])(device, "comm", icon);
}
