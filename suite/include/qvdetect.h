/* The suite's modem-detection library (its file name is short profile item
 * 33). Loaded at run time; each function looked up by name; C convention. */
#ifndef QVDETECT_H
#define QVDETECT_H

#include <windows.h>

extern "C" {
typedef int (__cdecl *InitDetectDLLFn)(void);
typedef int (__cdecl *DoModemDetectionFn)(HWND owner, const char* port, int flags);
typedef int (__cdecl *InstallVoiceFilesFn)(HWND owner, int flags);
typedef void (__cdecl *DeInitDetectDLLFn)(void);
}

#endif
