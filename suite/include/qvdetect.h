/* The suite's modem-detection library, QVDETECT.DLL (its file name is short
 * profile item 33), installed in the suite folder. Loaded at run time; each
 * function looked up by name; C convention, undecorated names. */
#ifndef QVDETECT_H
#define QVDETECT_H

#include <windows.h>

extern "C" {
/* Non-zero when ready (the suite folder is known). */
typedef int (__cdecl *InitDetectDLLFn)(void);
/* Records the port setup configured in DETECT.LOG; flags reserved (0).
 * 1 when recorded. */
typedef int (__cdecl *DoModemDetectionFn)(HWND owner, const char* port, int flags);
/* Writes the voice prompts missing from the suite's VOICE folder; flags
 * value 2 replaces those already there too (the wizard passes 1). Number of
 * files written, -1 on failure. */
typedef int (__cdecl *InstallVoiceFilesFn)(HWND owner, int flags);
typedef void (__cdecl *DeInitDetectDLLFn)(void);
}

#endif
