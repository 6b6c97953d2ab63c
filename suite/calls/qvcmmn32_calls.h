/* QVCMMN32's functions for code compiled by GCC (MinGW): inline functions of
 * the same names and types, calling the real ones through
 * qvcmmn32_calls.cpp, compiled in the suite's ABI. Each compiler decorates
 * the names its own way, so the two sets never meet at link time. */
#ifndef QVCMMN32_CALLS_H
#define QVCMMN32_CALLS_H

#include "qvcmmn32.h"
#include "qvstp32_calls.h"

extern "C" {
int CallMakePath(char* out, const char* directory, const char* name);
char* CallJoinPath(eSetupLongStrItems first, eSetupLongStrItems second, char* out, int size);
void CallMakeDBFPath(eSetupShortStrItems item, char* out);
unsigned int CallQVLoadLibrary(HINSTANCE* module, eSetupShortStrItems item, int reserved);
int CallDAZadUrer(HWND owner, unsigned long context, unsigned int reserved);
}

#ifndef _MSC_VER

inline int MakePath(char* out, const char* directory, const char* name) {
    return CallMakePath(out, directory, name);
}

inline char* JoinPath(eSetupLongStrItems first, eSetupLongStrItems second, char* out, int size) {
    return CallJoinPath(first, second, out, size);
}

inline void MakeDBFPath(eSetupShortStrItems item, char* out) { CallMakeDBFPath(item, out); }

inline unsigned int QVLoadLibrary(HINSTANCE* module, eSetupShortStrItems item, int reserved) {
    return CallQVLoadLibrary(module, item, reserved);
}

inline int DAZadUrer(HWND owner, unsigned long context, unsigned int reserved) {
    return CallDAZadUrer(owner, context, reserved);
}

#endif  /* !_MSC_VER */

#endif
