#include "profile_file.h"
#include "profile_store.h"

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

StoreDisk::Status StatusOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return StoreDisk::Missing;
    /* Someone outside the suite (an editor, a virus scanner) holding the
     * file open without sharing for a moment. */
    case ERROR_SHARING_VIOLATION:
    case ERROR_ACCESS_DENIED:
    case ERROR_LOCK_VIOLATION:
        return StoreDisk::Busy;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return StoreDisk::Exists;
    case ERROR_CALL_NOT_IMPLEMENTED:  /* MoveFileExA on Windows 95 */
        return StoreDisk::Unsupported;
    }
    return StoreDisk::Failed;
}

/* The store's files through Win32. */
class Win32StoreDisk : public StoreDisk {
public:
    Status Read(const std::string& path, std::string* text) override {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
        if (h == INVALID_HANDLE_VALUE) return StatusOf(GetLastError());
        DWORD size = GetFileSize(h, NULL);
        if (size == INVALID_FILE_SIZE) size = 0;
        if (size > kMaxStoreBytes) size = kMaxStoreBytes;
        std::vector<char> data(size);
        DWORD got = 0;
        BOOL ok = size == 0 || ReadFile(h, data.data(), size, &got, NULL);
        DWORD error = GetLastError();
        CloseHandle(h);
        if (!ok) return StatusOf(error);
        text->assign(data.data(), got);
        return Ok;
    }
    bool Write(const std::string& path, const std::string& text) override {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, NULL);
        if (h == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        BOOL ok = WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, NULL) &&
                  written == text.size() && FlushFileBuffers(h);
        CloseHandle(h);
        return ok != FALSE;
    }
    Status Replace(const std::string& from, const std::string& to) override {
        if (MoveFileExA(from.c_str(), to.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return Ok;
        return StatusOf(GetLastError());
    }
    Status Rename(const std::string& from, const std::string& to) override {
        return MoveFileA(from.c_str(), to.c_str()) ? Ok : StatusOf(GetLastError());
    }
    bool Remove(const std::string& path) override { return DeleteFileA(path.c_str()) != FALSE; }
    void Pause(unsigned ms) override { Sleep(ms); }
};

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

/* false when a store exists but stays unreadable: then nothing may be built
 * on the empty items, or a write would wipe every other item. */
bool ProfileFile::ReadStore(ProfileItems& items, std::string* text) const {
    Win32StoreDisk disk;
    std::string data;
    if (!StoreFiles(disk, store_, next_).Read(&data)) return false;
    ParseProfile(data.data(), data.size(), items);
    if (text) text->swap(data);
    return true;
}

bool ProfileFile::WriteStore(const ProfileItems& items) const {
    Win32StoreDisk disk;
    return StoreFiles(disk, store_, next_).Write(SerializeProfile(items));
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
