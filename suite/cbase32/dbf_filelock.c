/* Byte-range locks on an open file, for the file seam: LockFileEx on
 * Windows, fcntl elsewhere. Locks are exclusive; another program's lock on
 * the range makes a wait block and a try fail at once. */
#include <stdint.h>
#include <stdio.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>

int dbf_file_lock(FILE* f, int64_t offset, int64_t len, int how)
{
    HANDLE h = (HANDLE)_get_osfhandle(_fileno(f));
    OVERLAPPED at = {0};
    at.Offset = (DWORD)offset;
    at.OffsetHigh = (DWORD)((uint64_t)offset >> 32);
    DWORD low = (DWORD)len, high = (DWORD)((uint64_t)len >> 32);
    if (how == 0)
        return UnlockFileEx(h, 0, low, high, &at) ? 0 : -1;
    DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | (how == 2 ? LOCKFILE_FAIL_IMMEDIATELY : 0);
    if (LockFileEx(h, flags, 0, low, high, &at))
        return 0;
    return how == 2 && GetLastError() == ERROR_LOCK_VIOLATION ? 1 : -1;
}
#else
#include <errno.h>
#include <fcntl.h>

int dbf_file_lock(FILE* f, int64_t offset, int64_t len, int how)
{
    struct flock fl = {0};
    fl.l_type = how == 0 ? F_UNLCK : F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = (off_t)offset;
    fl.l_len = (off_t)len;
    int r;
    do
        r = fcntl(fileno(f), how == 1 ? F_SETLKW : F_SETLK, &fl);
    while (r != 0 && errno == EINTR && how == 1);
    if (r == 0)
        return 0;
    return how == 2 && (errno == EACCES || errno == EAGAIN) ? 1 : -1;
}
#endif
