// QVDETECT.DLL: the modem-detection library the setup wizard runs when it
// finishes. The wizard has already found and identified the modem itself;
// this library records the port the suite was set up on and installs the
// voice prompts the suite's answering machine plays. It lives in the suite
// folder and finds that folder from its own file name.
#include <windows.h>

#include <string>
#include <type_traits>

#include "qvdetect.h"
#include "voice_files.h"

namespace {

HMODULE g_module = nullptr;
std::string g_suiteFolder;   // set by InitDetectDLL

std::string FolderOfModule(HMODULE module) {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(module, path, sizeof path);
    if (n == 0 || n >= sizeof path)
        return std::string();
    std::string s(path, n);
    size_t slash = s.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : s.substr(0, slash);
}

bool AppendLine(const std::string& path, const std::string& line) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    SetFilePointer(file, 0, nullptr, FILE_END);
    std::string text = line + "\r\n";
    DWORD done = 0;
    bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &done, nullptr) &&
              done == text.size();
    return CloseHandle(file) && ok;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" {

// Non-zero when the suite folder is known.
int __cdecl InitDetectDLL(void) {
    g_suiteFolder = FolderOfModule(g_module);
    return g_suiteFolder.empty() ? 0 : 1;
}

// Adds "<date> <time> port <name>" to DETECT.LOG in the suite folder, the
// record of which port setup configured. No probing happens here. flags is
// reserved (0). Returns 1 when the line was written, 0 without a port name.
int __cdecl DoModemDetection(HWND owner, const char* port, int flags) {
    if (g_suiteFolder.empty() || !port || !*port)
        return 0;
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[32];
    wsprintfA(stamp, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay,
              now.wHour, now.wMinute, now.wSecond);
    return AppendLine(g_suiteFolder + "\\DETECT.LOG", std::string(stamp) + " port " + port) ? 1 : 0;
}

// Writes the voice prompts into the suite's VOICE folder. A prompt already
// there is kept (it may be the user's own recording, and setup may run
// again) unless flags has bit 1 (value 2) set; the setup wizard passes 1.
// Returns the number of files written, -1 on failure.
int __cdecl InstallVoiceFiles(HWND owner, int flags) {
    if (g_suiteFolder.empty())
        return -1;
    return InstallVoicePrompts(g_module, g_suiteFolder + "\\VOICE", (flags & 2) != 0);
}

void __cdecl DeInitDetectDLL(void) {
    g_suiteFolder.clear();
}

}  // extern "C"

static_assert(std::is_same<decltype(&InitDetectDLL), InitDetectDLLFn>::value, "InitDetectDLL");
static_assert(std::is_same<decltype(&DoModemDetection), DoModemDetectionFn>::value,
              "DoModemDetection");
static_assert(std::is_same<decltype(&InstallVoiceFiles), InstallVoiceFilesFn>::value,
              "InstallVoiceFiles");
static_assert(std::is_same<decltype(&DeInitDetectDLL), DeInitDetectDLLFn>::value,
              "DeInitDetectDLL");
