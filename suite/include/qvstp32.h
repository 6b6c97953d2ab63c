/* QVSTP32.DLL: the suite's setup profile, the settings every program of the
 * suite shares.
 *
 * Items are numbered within three kinds: short strings (S), long strings (L)
 * and numbers (N). An item never set reads as "" or 0. Each object reads the
 * store afresh when constructed, so a value written through one object is
 * seen by the next; nothing is cached between objects or processes. */
#ifndef QVSTP32_H
#define QVSTP32_H

#ifdef QVSTP32_BUILD
#define QVSTP32_API __declspec(dllexport)
#else
#define QVSTP32_API __declspec(dllimport)
#endif

/* Short strings: at most 80 characters and the NUL. */
enum eSetupShortStrItems {
    eSS_PhoneDbf = 5,            /* full path of PHONE.DBF */
    eSS_ModemDbf = 7,            /* file name of the modem database */
    eSS_DetectDll = 33,          /* file name of the modem-detection library */
    eSS_UtilDll = 35,            /* file name of the utility library */
    eSS_FaxDigits = 71,          /* digits of local area code and fax number */
    eSS_UserName = 86,
    eSS_VoiceNumber = 87,
    eSS_DataNumber = 88,
    eSS_FaxNumber = 89,
    eSS_EMail = 90,
    eSS_Company = 91,
    eSS_City = 92,
    eSS_State = 93,
    eSS_PostCode = 94,
    eSS_Country = 95,
    eSS_AreaCode = 97,
    eSS_SpeakerMode = 101,       /* keywords choosing among the modem's commands */
    eSS_SpeakerVolume = 102,
    eSS_Speed = 103,
    eSS_DialMethod = 104,
    eSS_CallProgress = 105,
    eSS_ModemText = 109,         /* 109-148 and 159: copied from the modem database */
    eSS_ModemName = 110,
    eSS_ManufacturerReply = 111,
    eSS_CommandPrefix = 112,
    eSS_HangUpCommand = 114,
    eSS_ReplyOk = 116,
    eSS_ExtraDialPrefix = 131,
    eSS_Handshake = 147,
    eSS_WatchedReply = 159,
    eSS_Last = 255
};

/* Long strings: at most 259 characters and the NUL (a path). */
enum eSetupLongStrItems {
    eLS_SuiteDir = 0,
    eLS_RegisterSubPath = 2,     /* joined to eLS_SuiteDir: the folder of REGISTER.DAT */
    eLS_InboxDir = 5,
    eLS_MainProgram = 9,
    eLS_LoadProgram = 18,
    eLS_MenuProgram = 17,
    eLS_InboxDir2 = 20,
    eLS_HostScript = 42,
    eLS_HostMenu = 43,
    eLS_HostDir = 44,
    eLS_Address1 = 45,
    eLS_Address2 = 46,
    eLS_SuiteDir2 = 47,
    eLS_InboxDir3 = 49,
    eLS_PortName = 55,           /* "COM0" means none */
    eLS_ModemInit2 = 56,
    eLS_ModemInit = 58,
    eLS_Last = 127
};

enum eSetupNumItems {
    eN_ChooseModemWritesInit = 3,
    eN_StartupItemInstalled = 9,
    eN_MenuItemInstalled = 10,
    eN_AppendExtraDialPrefix = 137,
    eN_ConnectWait = 150,        /* milliseconds */
    eN_MaxCommandLength = 155,
    eN_SerialSpeeds = 159,       /* bit set of supported speeds */
    eN_Last = 255
};

enum eDefaults { eDefaultsNone = 0 };

/* The class in the suite's C++ ABI, Microsoft's, which only such a compiler
 * sees; GCC's code calls it through the proxy in qvstp32_calls.h. */
#ifdef _MSC_VER

class QVSTP32_API CQSetupProfile {
public:
    CQSetupProfile(int reserved);
    ~CQSetupProfile();

    /* With a buffer: the value copied, NUL-terminated and cut to size; the
     * buffer is returned. With buffer NULL and size 0: a pointer to the
     * value, valid while this object lives. */
    const char* GetProfile(eSetupShortStrItems item, char* buffer, unsigned short size, eDefaults d);
    const char* GetProfile(eSetupLongStrItems item, char* buffer, unsigned short size, eDefaults d);
    unsigned long GetProfile(eSetupNumItems item, eDefaults d);
    void GetProfile(eSetupNumItems item, unsigned short* value, eDefaults d);

    /* Each write is stored at once, atomically; 1 on success, 0 on failure.
     * Between BeginUpdate and EndUpdate writes are only kept in the object
     * (and read back from it); EndUpdate stores them all in one atomic
     * rewrite, over the store as it is then, so another process's changes
     * to other items are kept. Its result is that of the rewrite (1 when
     * nothing was pending). The destructor ends an update left open. */
    int SetProfile(eSetupShortStrItems item, const char* value, int reserved);
    int SetProfile(eSetupLongStrItems item, const char* value, int reserved);
    int SetProfile(eSetupNumItems item, unsigned short value, int reserved);
    int SetProfile(eSetupNumItems item, int value, int reserved);
    int SetProfile(eSetupNumItems item, unsigned long value, int reserved);
    void BeginUpdate();
    int EndUpdate();

private:
    CQSetupProfile(const CQSetupProfile&);
    CQSetupProfile& operator=(const CQSetupProfile&);
    /* Callers allocate the object, mostly on the stack, and the DLL's
     * constructor fills it: room for whatever the DLL keeps there. */
    void* reserved_[256];
};

#endif  /* _MSC_VER */

#endif
