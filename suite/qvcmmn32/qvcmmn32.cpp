/* QVCMMN32.DLL: paths built from the setup profile, loading the suite's
 * libraries, and the suite's help; what its functions (qvcmmn32_face.cpp)
 * do. */
#include <windows.h>
#include <cstdio>
#include <cstring>

#include "path_rules.h"
#include "qvstp32_calls.h"
#include "services_core.h"

namespace {

HINSTANCE g_module;

/* The suite folder: long item 0, or, before setup has stored it, the folder
 * this library was loaded from, which in an installed suite is the same. */
void SuiteDirectory(char* out) {
    CQSetupProfile profile(0);
    profile.GetProfile(eLS_SuiteDir, out, MAX_PATH, eDefaultsNone);
    if (out[0]) return;
    DWORD n = GetModuleFileNameA(g_module, out, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
        out[0] = '\0';
        return;
    }
    char* slash = std::strrchr(out, '\\');
    if (slash) *slash = '\0';
}

/* Tests watch which help contexts were asked for through this file. */
void LogHelpRequest(unsigned long context) {
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("QVHELP_LOG", path, sizeof path);
    if (n == 0 || n >= sizeof path) return;
    HANDLE h = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE) return;
    char line[16];
    int length = std::snprintf(line, sizeof line, "%lu\n", context);
    DWORD written;
    SetFilePointer(h, 0, NULL, FILE_END);
    WriteFile(h, line, static_cast<DWORD>(length), &written, NULL);
    CloseHandle(h);
}

bool FileExists(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

/* The page for the context, or the contents page when there is none. */
bool FindHelpPage(unsigned long context, char* path) {
    char suite[MAX_PATH], name[32];
    SuiteDirectory(suite);
    qvpath::HelpPageName(context, name, sizeof name);
    if (qvpath::Join(suite, name, path, MAX_PATH) && FileExists(path)) return true;
    return qvpath::Join(suite, "HELP\\CONTENTS.RTF", path, MAX_PATH) && FileExists(path);
}

/* The pages are rich text; WRITE opens them in the system's word processor
 * on every Windows from 95 on. Tests that press F1 in a wizard and must keep
 * the keyboard set QVHELP_VIEWER=none: the page is then found, not shown. */
bool OpenInViewer(const char* page) {
    char viewer[8];
    DWORD n = GetEnvironmentVariableA("QVHELP_VIEWER", viewer, sizeof viewer);
    if (n > 0 && n < sizeof viewer && !lstrcmpiA(viewer, "none")) return true;
    char command[MAX_PATH + 16];
    std::snprintf(command, sizeof command, "WRITE \"%s\"", page);
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

}  // namespace

extern "C" {

int ServiceMakePath(char* out, const char* directory, const char* name) {
    return qvpath::Join(directory, name, out, MAX_PATH) ? 1 : 0;
}

char* ServiceJoinPath(int first, int second, char* out, int size) {
    if (!out || size <= 0) return out;
    CQSetupProfile profile(0);
    qvpath::Join(profile.GetProfile(eSetupLongStrItems(first), NULL, 0, eDefaultsNone),
                 profile.GetProfile(eSetupLongStrItems(second), NULL, 0, eDefaultsNone), out,
                 static_cast<std::size_t>(size));
    return out;
}

void ServiceMakeDBFPath(int item, char* out) {
    if (!out) return;
    char suite[MAX_PATH];
    SuiteDirectory(suite);
    CQSetupProfile profile(0);
    qvpath::Join(suite, profile.GetProfile(eSetupShortStrItems(item), NULL, 0, eDefaultsNone), out,
                 MAX_PATH);
}

unsigned int ServiceLoadLibrary(HINSTANCE* module, int item) {
    if (!module) return ERROR_INVALID_PARAMETER;
    *module = NULL;
    char name[MAX_PATH];
    {
        CQSetupProfile profile(0);
        profile.GetProfile(eSetupShortStrItems(item), name, sizeof name, eDefaultsNone);
    }
    if (!name[0]) return ERROR_FILE_NOT_FOUND;
    char suite[MAX_PATH], path[MAX_PATH];
    SuiteDirectory(suite);
    if (!qvpath::Join(suite, name, path, sizeof path)) return ERROR_FILENAME_EXCED_RANGE;
    UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HINSTANCE loaded = LoadLibraryA(path);
    DWORD error = GetLastError();
    SetErrorMode(oldMode);
    if (!loaded) return error ? error : ERROR_MOD_NOT_FOUND;
    *module = loaded;
    return 0;
}

int ServiceOpenHelp(HWND, unsigned long context) {
    LogHelpRequest(context);
    char page[MAX_PATH];
    return FindHelpPage(context, page) && OpenInViewer(page) ? 1 : 0;
}

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_module = instance;
    return TRUE;
}
