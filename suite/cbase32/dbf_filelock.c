/* Byte-range locks on an open file, for the file seam: LockFile on
 * Windows (Windows 95 has no LockFileEx), fcntl elsewhere. Locks are
 * exclusive and never block: another program's lock on the range makes
 * the call return 1 at once, and whoever waits polls with a time limit. */
#include <stdint.h>
#include <stdio.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>

int dbf_file_lock(FILE* f, int64_t offset, int64_t len, int how)
{
    HANDLE h = (HANDLE)_get_osfhandle(_fileno(f));
    DWORD at_low = (DWORD)offset, at_high = (DWORD)((uint64_t)offset >> 32);
    DWORD low = (DWORD)len, high = (DWORD)((uint64_t)len >> 32);
    if (how == 0)
        return UnlockFile(h, at_low, at_high, low, high) ? 0 : -1;
    if (LockFile(h, at_low, at_high, low, high))
        return 0;
    DWORD e = GetLastError();
    return e == ERROR_LOCK_VIOLATION || e == ERROR_SHARING_VIOLATION ? 1 : -1;
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
        r = fcntl(fileno(f), F_SETLK, &fl);
    while (r != 0 && errno == EINTR);
    if (r == 0)
        return 0;
    return how != 0 && (errno == EACCES || errno == EAGAIN) ? 1 : -1;
}
#endif
