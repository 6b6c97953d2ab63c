#include "voice_files.h"

#include <vector>

namespace {

struct Install {
    std::string folder;
    bool replace;
    int written = 0;
    bool failed = false;
};

bool WriteWholeFile(const std::string& path, const void* data, DWORD size) {
    // Written beside the target and moved into place, so a half-written
    // greeting never replaces a good one.
    std::string temporary = path + ".NEW";
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD done = 0;
    bool ok = WriteFile(file, data, size, &done, nullptr) && done == size;
    ok = CloseHandle(file) && ok;
    if (ok) {
        // MoveFileEx is missing on Windows 95: delete, then move.
        DeleteFileA(path.c_str());
        ok = MoveFileA(temporary.c_str(), path.c_str()) != 0;
    }
    if (!ok)
        DeleteFileA(temporary.c_str());
    return ok;
}

BOOL CALLBACK InstallOne(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR context) {
    Install& job = *reinterpret_cast<Install*>(context);
    if (IS_INTRESOURCE(name))
        return TRUE;                        // only named prompts are files
    std::string path = job.folder + "\\" + name + ".WAV";
    if (!job.replace && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        return TRUE;
    HRSRC found = FindResourceA(module, name, type);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data || !WriteWholeFile(path, data, SizeofResource(module, found))) {
        job.failed = true;
        return FALSE;
    }
    ++job.written;
    return TRUE;
}

}  // namespace

int InstallVoicePrompts(HMODULE module, const std::string& folder, bool replace) {
    CreateDirectoryA(folder.c_str(), nullptr);
    DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return -1;
    Install job{folder, replace};
    EnumResourceNamesA(module, "VOICEFILE", InstallOne, reinterpret_cast<LONG_PTR>(&job));
    return job.failed ? -1 : job.written;
}
