// The test libraries' record of their calls: one line each, appended to
// CALLS.LOG beside the library, so a test reads what was called, in order.
#ifndef QV_TEST_CALL_LOG_H
#define QV_TEST_CALL_LOG_H

#include <windows.h>
#include <cstdarg>
#include <cstdlib>
#include <cstdio>
#include <cstring>

static HINSTANCE g_self;

static void LogCall(const char* format, ...)
{
    char path[MAX_PATH];
    GetModuleFileNameA(g_self, path, sizeof path);
    if (char* slash = strrchr(path, '\\'))
        strcpy(slash + 1, "CALLS.LOG");
    if (FILE* f = fopen(path, "a")) {
        va_list args;
        va_start(args, format);
        vfprintf(f, format, args);
        va_end(args);
        fputc('\n', f);
        fclose(f);
    }
}

static inline const char* Show(const char* s) { return s ? s : "(null)"; }

// A behaviour chosen by the test through the environment; fallback when unset.
static int Setting(const char* name, int fallback)
{
    char value[16];
    return GetEnvironmentVariableA(name, value, sizeof value) ? atoi(value) : fallback;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_self = instance;
        char name[MAX_PATH];
        GetModuleFileNameA(instance, name, sizeof name);
        LogCall("load %s", strrchr(name, '\\') ? strrchr(name, '\\') + 1 : name);
    }
    return TRUE;
}

#endif
