#include "profile_file.h"

#include <vector>

namespace qvprofile {

namespace {

/* Long enough for any writer to finish even on a loaded machine. */
const DWORD kLockTimeoutMs = 30000;
/* A store larger than this is not one of ours; its start is read. */
const DWORD kMaxStoreBytes = 1 << 20;

std::string WithExtension(const std::string& path, const char* extension) {
    std::string::size_type dot = path.find_last_of('.');
    std::string::size_type slash = path.find_last_of("\\/");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path + extension;
    return path.substr(0, dot) + extension;
}

/* Someone outside the suite (an editor, a virus scanner) may hold the store
 * open without sharing for a moment: such an error passes if retried. */
bool Transient(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
           error == ERROR_LOCK_VIOLATION;
}

const int kBusyAttempts = 50;
const DWORD kBusyPauseMs = 20;

bool ReadWholeFile(const std::string& path, std::vector<char>& data) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD size = GetFileSize(h, NULL);
    if (size == INVALID_FILE_SIZE) size = 0;
    if (size > kMaxStoreBytes) size = kMaxStoreBytes;
    data.resize(size);
    DWORD got = 0;
    BOOL ok = size == 0 || ReadFile(h, data.data(), size, &got, NULL);
    DWORD error = GetLastError();
    CloseHandle(h);
    data.resize(ok ? got : 0);
    if (!ok) SetLastError(error);
    return ok != FALSE;
}

bool Missing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool WriteWholeFile(const std::string& path, const std::string& text) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, NULL) &&
              written == text.size() && FlushFileBuffers(h);
    CloseHandle(h);
    if (!ok) DeleteFileA(path.c_str());
    return ok != FALSE;
}

/* Puts from in the place of to in one step. Windows 95 has no MoveFileExA;
 * there the old file is deleted first, and a store found missing is read
 * from the complete new file left beside it (see ReadStore). */
bool MoveOver(const std::string& from, const std::string& to) {
    for (int attempt = 0; attempt < kBusyAttempts; ++attempt) {
        if (MoveFileExA(from.c_str(), to.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        DWORD error = GetLastError();
        if (error == ERROR_CALL_NOT_IMPLEMENTED) {
            DeleteFileA(to.c_str());
            return MoveFileA(from.c_str(), to.c_str()) != FALSE;
        }
        if (!Transient(error)) return false;
        Sleep(kBusyPauseMs);
    }
    return false;
}

}  // namespace

ProfileLock::ProfileLock(const std::string& lockPath, DWORD timeoutMs)
    : file_(INVALID_HANDLE_VALUE), held_(false) {
    file_ = CreateFileA(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, NULL);
    if (file_ == INVALID_HANDLE_VALUE) return;
    /* LockFile, not LockFileEx: Windows 95 has only this one, which does not
     * wait, so wait here. A process that dies holding the lock loses it. */
    DWORD start = GetTickCount();
    DWORD pause = 1;
    while (!(held_ = LockFile(file_, 0, 0, 1, 0) != FALSE)) {
        if (GetTickCount() - start >= timeoutMs) return;
        Sleep(pause);
        if (pause < 16) pause *= 2;
    }
}

ProfileLock::~ProfileLock() {
    if (held_) UnlockFile(file_, 0, 0, 1, 0);
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

ProfileFile::ProfileFile(const std::string& storePath)
    : store_(storePath),
      next_(WithExtension(storePath, ".NEW")),
      lock_(WithExtension(storePath, ".LCK")) {}

/* true with the store's items, or with none when there is no store yet
 * (neither QVSETUP.INI nor a QVSETUP.NEW left by a Windows 95 replace).
 * false when a store exists but stays unreadable: then nothing may be built
 * on the empty items, or a write would wipe every other item. */
bool ProfileFile::ReadStore(ProfileItems& items, std::string* text) const {
    std::vector<char> data;
    for (int attempt = 0; attempt < kBusyAttempts; ++attempt) {
        if (ReadWholeFile(store_, data)) break;
        DWORD error = GetLastError();
        if (Missing(error) && ReadWholeFile(next_, data)) break;
        if (Missing(error) && Missing(GetLastError())) {
            data.clear();
            break;
        }
        if (attempt + 1 == kBusyAttempts) return false;
        Sleep(kBusyPauseMs);
    }
    ParseProfile(data.data(), data.size(), items);
    if (text) text->assign(data.data(), data.size());
    return true;
}

bool ProfileFile::WriteStore(const ProfileItems& items) const {
    return WriteWholeFile(next_, SerializeProfile(items)) && MoveOver(next_, store_);
}

void ProfileFile::Load(ProfileItems& items) const {
    ProfileLock lock(lock_, kLockTimeoutMs);
    items = ProfileItems();
    ReadStore(items, NULL);
}

bool ProfileFile::Update(Change change, const void* context, ProfileItems& items) const {
    ProfileLock lock(lock_, kLockTimeoutMs);
    if (!lock.Held()) return false;
    ProfileItems current;
    std::string stored;
    if (!ReadStore(current, &stored) || !change(current, context)) return false;
    /* Rewriting the same text would cost a flush and a rename for nothing;
     * a damaged or hand-edited store still differs and is rewritten. */
    if (SerializeProfile(current) != stored && !WriteStore(current)) return false;
    items = current;
    return true;
}

}  // namespace qvprofile
