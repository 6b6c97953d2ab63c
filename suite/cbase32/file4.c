/* Plain files by handle: the file4 calls and sequential reading and
 * writing through a caller's buffer. */
#define _FILE_OFFSET_BITS 64
#include "cbase4.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#define O_FLAGS O_BINARY
#define sys_open _open
#define sys_close _close
#define sys_read _read
#define sys_write _write
#define sys_lseek _lseeki64
#define sys_truncate(h, n) (_chsize_s((h), (n)) == 0 ? 0 : -1)
#define sys_sync _commit
#else
#include <unistd.h>
#define O_FLAGS 0
#define sys_open open
#define sys_close close
#define sys_read read
#define sys_write write
#define sys_lseek lseek
#define sys_truncate ftruncate
#define sys_sync fsync
#endif

static int fail(FILE4* f, int code, const char* what)
{
    if (f && f->code4) {
        f->code4->errorCode = code;
        if (!f->code4->errOff)
            e4describe(f->code4, code, what, f->name, NULL);
    }
    return code;
}

static int open_as(FILE4* f, CODE4* cb, const char* name, int flags, int failCode, const char* what)
{
    if (!f || !name || strlen(name) >= sizeof f->name)
        return e4parm;
    memset(f, 0, sizeof *f);
    f->code4 = cb;
    f->hand = -1;
    strcpy(f->name, name);
    f->isReadOnly = cb && cb->readOnly && !(flags & O_CREAT);
    int h = sys_open(name, (f->isReadOnly ? O_RDONLY : O_RDWR) | flags | O_FLAGS, 0666);
    if (h < 0)
        return fail(f, failCode, what);
    f->hand = h;
    return r4success;
}

int file4open(FILE4* f, CODE4* cb, const char* name, int doAlloc)
{
    return open_as(f, cb, name, 0, e4open, "file4open");
}

int file4create(FILE4* f, CODE4* cb, const char* name, int doAlloc)
{
    int flags = O_CREAT | O_TRUNC | (cb && cb->safety ? O_EXCL : 0);
    return open_as(f, cb, name, flags, e4create, "file4create");
}

int file4temp(FILE4* f, CODE4* cb, char* name, int autoRemove)
{
    char path[260];
    static unsigned serial;
#ifdef _WIN32
    char dir[MAX_PATH];
    if (!GetTempPathA(sizeof dir, dir))
        strcpy(dir, ".\\");
    unsigned id = (unsigned)GetCurrentProcessId();
#else
    const char* env = getenv("TMPDIR");
    char dir[200];
    snprintf(dir, sizeof dir, "%s/", env && *env ? env : "/tmp");
    unsigned id = (unsigned)getpid();
#endif
    int rc = e4create;
    /* O_EXCL makes a name another program took at the same moment fail, so
     * the next one is tried. */
    for (int tries = 0; tries < 100 && rc != r4success; tries++) {
        snprintf(path, sizeof path, "%sT4%05X%03X.TMP", dir, id & 0xFFFFF, ++serial & 0xFFF);
        rc = open_as(f, NULL, path, O_CREAT | O_EXCL, e4create, "file4temp");
    }
    if (rc != r4success)
        return cb ? (cb->errorCode = e4create) : e4create;
    f->code4 = cb;
    f->isTemp = autoRemove;
    if (name)
        strcpy(name, path);
    return r4success;
}

int file4close(FILE4* f)
{
    if (!f || f->hand < 0)
        return f ? r4success : e4parm;
    int rc = sys_close(f->hand) == 0 ? r4success : fail(f, e4write, "file4close");
    f->hand = -1;
    if (f->isTemp)
        remove(f->name);
    return rc;
}

int file4flush(FILE4* f)
{
    if (!f || f->hand < 0)
        return e4parm;
    return f->isReadOnly || sys_sync(f->hand) == 0 ? r4success : fail(f, e4write, "file4flush");
}

int file4refresh(FILE4* f) { return f && f->hand >= 0 ? r4success : e4parm; }

long file4len(FILE4* f)
{
    if (!f || f->hand < 0)
        return e4parm;
    long long end = sys_lseek(f->hand, 0, SEEK_END);
    return end < 0 ? fail(f, e4read, "file4len") : (long)end;
}

int file4len_set(FILE4* f, long len)
{
    if (!f || f->hand < 0 || len < 0)
        return e4parm;
    if (f->isReadOnly)
        return fail(f, e4readOnly, "file4len_set");
    return sys_truncate(f->hand, len) == 0 ? r4success : fail(f, e4write, "file4len_set");
}

unsigned file4read(FILE4* f, long pos, void* buf, unsigned len)
{
    if (!f || f->hand < 0 || (!buf && len))
        return 0;
    if (pos < 0 || sys_lseek(f->hand, pos, SEEK_SET) < 0) {
        fail(f, e4seek, "file4read");
        return 0;
    }
    unsigned done = 0;
    while (done < len) {
        int n = sys_read(f->hand, (char*)buf + done, len - done);
        if (n < 0) {
            fail(f, e4read, "file4read");
            break;
        }
        if (n == 0)
            break;
        done += (unsigned)n;
    }
    return done;
}

int file4read_all(FILE4* f, long pos, void* buf, unsigned len)
{
    if (!f || f->hand < 0)
        return e4parm;
    return file4read(f, pos, buf, len) == len ? r4success : fail(f, e4read, "file4read_all");
}

int file4write(FILE4* f, long pos, const void* buf, unsigned len)
{
    if (!f || f->hand < 0 || (!buf && len))
        return e4parm;
    if (f->isReadOnly)
        return fail(f, e4readOnly, "file4write");
    if (pos < 0 || sys_lseek(f->hand, pos, SEEK_SET) < 0)
        return fail(f, e4seek, "file4write");
    unsigned done = 0;
    while (done < len) {
        int n = sys_write(f->hand, (const char*)buf + done, len - done);
        if (n <= 0)
            return fail(f, e4write, "file4write");
        done += (unsigned)n;
    }
    return r4success;
}

int file4replace(FILE4* keep, FILE4* other)
{
    if (!keep || !other || keep->hand < 0 || other->hand < 0)
        return e4parm;
    long len = file4len(other);
    if (len < 0)
        return (int)len;
    char buf[16384];
    int rc = file4len_set(keep, 0);
    for (long pos = 0; rc == r4success && pos < len; pos += (long)sizeof buf) {
        unsigned n = len - pos < (long)sizeof buf ? (unsigned)(len - pos) : (unsigned)sizeof buf;
        rc = file4read_all(other, pos, buf, n);
        if (rc == r4success)
            rc = file4write(keep, pos, buf, n);
    }
    other->isTemp = 1;
    file4close(other);
    return rc;
}

/* Locks the dBASE way: byte ranges that every program asks for before it
 * writes, refused at once when someone else holds part of the range. */
static int lock_range(FILE4* f, long pos, long len, int take)
{
    if (!f || f->hand < 0 || pos < 0 || len <= 0)
        return e4parm;
#ifdef _WIN32
    HANDLE h = (HANDLE)_get_osfhandle(f->hand);
    BOOL ok = take ? LockFile(h, (DWORD)pos, 0, (DWORD)len, 0) : UnlockFile(h, (DWORD)pos, 0, (DWORD)len, 0);
    if (ok)
        return r4success;
    return take && GetLastError() == ERROR_LOCK_VIOLATION ? r4locked : fail(f, e4lock, "file4lock");
#else
    struct flock fl;
    memset(&fl, 0, sizeof fl);
    fl.l_type = take ? (f->isReadOnly ? F_RDLCK : F_WRLCK) : F_UNLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = pos;
    fl.l_len = len;
    if (fcntl(f->hand, F_SETLK, &fl) == 0)
        return r4success;
    return take && (errno == EACCES || errno == EAGAIN) ? r4locked : fail(f, e4lock, "file4lock");
#endif
}

int file4lock(FILE4* f, long pos, long len) { return lock_range(f, pos, len, 1); }
int file4unlock(FILE4* f, long pos, long len) { return lock_range(f, pos, len, 0); }

int file4optimize(FILE4* f, int optFlag, int fileType) { return f ? r4success : e4parm; }
int file4optimize_write(FILE4* f, int optFlag) { return f ? r4success : e4parm; }

/* ---- sequential reading ---- */

enum { SEQ_MIN_BUFFER = 512 };

int file4seq_read_init(FILE4SEQ_READ* r, FILE4* f, long start, void* buffer, unsigned size)
{
    if (!r || !f || start < 0)
        return e4parm;
    memset(r, 0, sizeof *r);
    r->file = f;
    r->pos = start;
    if (buffer && size >= SEQ_MIN_BUFFER) {
        r->buffer = (char*)buffer;
        r->size = size;
    }
    return r4success;
}

unsigned file4seq_read(FILE4SEQ_READ* r, void* out, unsigned len)
{
    if (!r || (!out && len))
        return 0;
    char* to = (char*)out;
    unsigned done = 0;
    while (done < len) {
        if (r->next < r->avail) {
            unsigned n = r->avail - r->next < len - done ? r->avail - r->next : len - done;
            memcpy(to + done, r->buffer + r->next, n);
            r->next += n;
            done += n;
            continue;
        }
        r->pos += r->avail;
        r->avail = r->next = 0;
        if (!r->buffer || len - done >= r->size) {
            unsigned n = file4read(r->file, r->pos, to + done, len - done);
            r->pos += n;
            return done + n;
        }
        r->avail = file4read(r->file, r->pos, r->buffer, r->size);
        if (r->avail == 0)
            break;
    }
    return done;
}

int file4seq_read_all(FILE4SEQ_READ* r, void* out, unsigned len)
{
    if (!r)
        return e4parm;
    return file4seq_read(r, out, len) == len ? r4success : fail(r->file, e4read, "file4seq_read_all");
}

/* ---- sequential writing ---- */

int file4seq_write_init(FILE4SEQ_WRITE* w, FILE4* f, long start, void* buffer, unsigned size)
{
    if (!w || !f || start < 0)
        return e4parm;
    memset(w, 0, sizeof *w);
    w->file = f;
    w->pos = start;
    if (buffer && size >= SEQ_MIN_BUFFER) {
        w->buffer = (char*)buffer;
        w->size = size;
    }
    return r4success;
}

int file4seq_write_flush(FILE4SEQ_WRITE* w)
{
    if (!w)
        return e4parm;
    if (!w->used)
        return r4success;
    int rc = file4write(w->file, w->pos, w->buffer, w->used);
    if (rc == r4success) {
        w->pos += w->used;
        w->used = 0;
    }
    return rc;
}

int file4seq_write(FILE4SEQ_WRITE* w, const void* data, unsigned len)
{
    if (!w || (!data && len))
        return e4parm;
    const char* from = (const char*)data;
    while (len) {
        if (!w->buffer || (w->used == 0 && len >= w->size)) {
            int rc = file4write(w->file, w->pos, from, len);
            if (rc == r4success)
                w->pos += len;
            return rc;
        }
        unsigned n = w->size - w->used < len ? w->size - w->used : len;
        memcpy(w->buffer + w->used, from, n);
        w->used += n;
        from += n;
        len -= n;
        if (w->used == w->size) {
            int rc = file4seq_write_flush(w);
            if (rc != r4success)
                return rc;
        }
    }
    return r4success;
}

int file4seq_write_repeat(FILE4SEQ_WRITE* w, long count, char c)
{
    char run[256];
    memset(run, c, sizeof run);
    int rc = w ? r4success : e4parm;
    while (rc == r4success && count > 0) {
        unsigned n = count < (long)sizeof run ? (unsigned)count : (unsigned)sizeof run;
        rc = file4seq_write(w, run, n);
        count -= n;
    }
    return rc;
}
