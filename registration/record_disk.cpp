#include "record_disk.h"
#include <qvcmmn32_calls.h>
#include <cstring>

namespace {

RecordDisk::Status StatusOf(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return RecordDisk::Missing;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_ACCESS_DENIED:
        return RecordDisk::Busy;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return RecordDisk::Exists;
    case ERROR_CALL_NOT_IMPLEMENTED:
        return RecordDisk::Unsupported;
    }
    return RecordDisk::Failed;
}

}  // namespace

FolderRecordDisk::FolderRecordDisk(const char* directory)
{
    lstrcpynA(m_directory, directory, sizeof m_directory);
}

FolderRecordDisk::~FolderRecordDisk()
{
    Close(0);
}

std::string FolderRecordDisk::PathOf(const char* name) const
{
    char path[MAX_PATH];
    MakePath(path, m_directory, name);
    return path;
}

RecordDisk::Status FolderRecordDisk::Read(const char* name, std::vector<unsigned char>* bytes, size_t max)
{
    HANDLE file = ::CreateFileA(PathOf(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return StatusOf(::GetLastError());
    bytes->resize(max);
    DWORD count = 0;
    BOOL read = ::ReadFile(file, bytes->data(), static_cast<DWORD>(max), &count, nullptr);
    DWORD error = ::GetLastError();
    ::CloseHandle(file);
    bytes->resize(count);
    return read ? Ok : StatusOf(error);
}

RecordDisk::Status FolderRecordDisk::Create(const char* name, int* handle)
{
    Close(0);
    m_open = ::CreateFileA(PathOf(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    *handle = 0;
    return m_open == INVALID_HANDLE_VALUE ? StatusOf(::GetLastError()) : Ok;
}

bool FolderRecordDisk::Write(int, const unsigned char* bytes, size_t size)
{
    DWORD written = 0;
    return ::WriteFile(m_open, bytes, static_cast<DWORD>(size), &written, nullptr) && written == size;
}

bool FolderRecordDisk::Flush(int)
{
    return ::FlushFileBuffers(m_open) != FALSE;
}

void FolderRecordDisk::Close(int)
{
    if (m_open != INVALID_HANDLE_VALUE)
        ::CloseHandle(m_open);
    m_open = INVALID_HANDLE_VALUE;
}

RecordDisk::Status FolderRecordDisk::Replace(const char* from, const char* to)
{
    if (::MoveFileExA(PathOf(from).c_str(), PathOf(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return Ok;
    Status status = StatusOf(::GetLastError());
    return status == Unsupported ? Unsupported : Failed;
}

bool FolderRecordDisk::Rename(const char* from, const char* to)
{
    return ::MoveFileA(PathOf(from).c_str(), PathOf(to).c_str()) != FALSE;
}

bool FolderRecordDisk::Remove(const char* name)
{
    return ::DeleteFileA(PathOf(name).c_str()) != FALSE;
}

std::vector<RecordDisk::Entry> FolderRecordDisk::List(const char* pattern)
{
    std::vector<Entry> entries;
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA(PathOf(pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return entries;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        const FILETIME& t = found.ftLastWriteTime;
        entries.push_back({found.cFileName, (unsigned long long)t.dwHighDateTime << 32 | t.dwLowDateTime});
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return entries;
}

unsigned FolderRecordDisk::Seed()
{
    return ::GetCurrentProcessId() * 2654435761u ^ ::GetTickCount();
}
