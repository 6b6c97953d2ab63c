/* The part of the Windows Telephony API (TAPI 1.3/1.4) that the suite uses:
 * line devices, their capabilities and icons. Declared here from the
 * platform's published interface so that both sides in this tree, the
 * library's caller and the line provider built for Wine, agree on one
 * layout. Every entry point uses the Windows calling convention. */
#ifndef QV_TAPI32_H
#define QV_TAPI32_H

#include <windows.h>

#ifndef TAPI_IMPORT
#define TAPI_IMPORT
#endif

typedef DWORD HLINEAPP;
typedef HLINEAPP* LPHLINEAPP;
typedef void(CALLBACK* LINECALLBACK)(DWORD device, DWORD message, DWORD_PTR instance,
                                      DWORD_PTR param1, DWORD_PTR param2, DWORD_PTR param3);

/* Result codes: 0 is success, errors have the top bit set. */
#define LINEERR_BADDEVICEID ((LONG)0x80000002)
#define LINEERR_INCOMPATIBLEAPIVERSION ((LONG)0x8000000C)
#define LINEERR_INCOMPATIBLEEXTVERSION ((LONG)0x8000000D)
#define LINEERR_INVALAPPHANDLE ((LONG)0x80000015)
#define LINEERR_INVALDEVICECLASS ((LONG)0x80000023)
#define LINEERR_INVALPOINTER ((LONG)0x80000035)
#define LINEERR_NODEVICE ((LONG)0x80000042)
#define LINEERR_NOMEM ((LONG)0x80000044)
#define LINEERR_OPERATIONFAILED ((LONG)0x80000048)
#define LINEERR_OPERATIONUNAVAIL ((LONG)0x80000049)
#define LINEERR_STRUCTURETOOSMALL ((LONG)0x8000004D)
#define LINEERR_REINIT ((LONG)0x80000052)
#define LINEERR_UNINITIALIZED ((LONG)0x80000056)
#define TAPIERR_REQUESTFAILED           (-16L)

#define STRINGFORMAT_ASCII              0x00000001
#define LINEBEARERMODE_VOICE            0x00000001
#define LINEMEDIAMODE_INTERACTIVEVOICE  0x00000004
#define LINEMEDIAMODE_DATAMODEM         0x00000010
#define LINEFEATURE_MAKECALL            0x00000008
#define LINEADDRESSMODE_ADDRESSID       0x00000001

typedef struct linedialparams_tag {
    DWORD dwDialPause;
    DWORD dwDialSpeed;
    DWORD dwDigitDuration;
    DWORD dwWaitForDialtone;
} LINEDIALPARAMS;

/* Variable parts (names, provider text) follow the fixed part inside the
 * caller's buffer, found by their offsets from its start. dwLineFeatures
 * and everything after it exist from version 1.4 on. */
typedef struct linedevcaps_tag {
    DWORD dwTotalSize;
    DWORD dwNeededSize;
    DWORD dwUsedSize;
    DWORD dwProviderInfoSize;
    DWORD dwProviderInfoOffset;
    DWORD dwSwitchInfoSize;
    DWORD dwSwitchInfoOffset;
    DWORD dwPermanentLineID;
    DWORD dwLineNameSize;
    DWORD dwLineNameOffset;
    DWORD dwStringFormat;
    DWORD dwAddressModes;
    DWORD dwNumAddresses;
    DWORD dwBearerModes;
    DWORD dwMaxRate;
    DWORD dwMediaModes;
    DWORD dwGenerateToneModes;
    DWORD dwGenerateToneMaxNumFreq;
    DWORD dwGenerateDigitModes;
    DWORD dwMonitorToneMaxNumFreq;
    DWORD dwMonitorDigitModes;
    DWORD dwGatherDigitsMinTimeout;
    DWORD dwGatherDigitsMaxTimeout;
    DWORD dwMedCtlDigitMaxListSize;
    DWORD dwMedCtlMediaMaxListSize;
    DWORD dwMedCtlToneMaxListSize;
    DWORD dwMedCtlCallStateMaxListSize;
    DWORD dwDevCapFlags;
    DWORD dwMaxNumActiveCalls;
    DWORD dwAnswerMode;
    DWORD dwRingModes;
    DWORD dwLineStates;
    DWORD dwUUIAcceptSize;
    DWORD dwUUIAnswerSize;
    DWORD dwUUIMakeCallSize;
    DWORD dwUUIDropSize;
    DWORD dwUUISendUserUserInfoSize;
    DWORD dwUUICallInfoSize;
    LINEDIALPARAMS MinDialParams;
    LINEDIALPARAMS MaxDialParams;
    LINEDIALPARAMS DefaultDialParams;
    DWORD dwNumTerminals;
    DWORD dwTerminalCapsSize;
    DWORD dwTerminalCapsOffset;
    DWORD dwTerminalTextEntrySize;
    DWORD dwTerminalTextSize;
    DWORD dwTerminalTextOffset;
    DWORD dwDevSpecificSize;
    DWORD dwDevSpecificOffset;
    DWORD dwLineFeatures;
} LINEDEVCAPS, *LPLINEDEVCAPS;

/* Fixed sizes a caller's buffer must at least have, by version. */
#define LINEDEVCAPS_SIZE_13  232u
#define LINEDEVCAPS_SIZE_14  236u

#ifdef __cplusplus
static_assert(sizeof(LINEDEVCAPS) == LINEDEVCAPS_SIZE_14, "LINEDEVCAPS layout");
extern "C" {
#endif

/* The entry points, as the line provider exports them. */
TAPI_IMPORT LONG WINAPI lineInitialize(LPHLINEAPP app, HINSTANCE instance, LINECALLBACK callback,
                                       LPCSTR appName, LPDWORD numDevices);
TAPI_IMPORT LONG WINAPI lineShutdown(HLINEAPP app);
TAPI_IMPORT LONG WINAPI lineNegotiateAPIVersion(HLINEAPP app, DWORD device, DWORD lowVersion,
                                                DWORD highVersion, LPDWORD version,
                                                LPVOID extensionId);
TAPI_IMPORT LONG WINAPI lineGetDevCaps(HLINEAPP app, DWORD device, DWORD version,
                                       DWORD extVersion, LPLINEDEVCAPS caps);
TAPI_IMPORT LONG WINAPI lineGetIcon(DWORD device, LPCSTR deviceClass, HICON* icon);

#ifdef __cplusplus
}
#endif

#endif
