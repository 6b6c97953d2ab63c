/* The two I/O seams: files on disk and growable memory blocks. */
#define _FILE_OFFSET_BITS 64
#include "dbf.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#ifdef _WIN32
#include <windows.h>
#include <io.h>
#define dbf_fseek _fseeki64
#define dbf_ftell _ftelli64
static int truncate_stream(FILE* f, int64_t size) { return _chsize_s(_fileno(f), size) == 0 ? 0 : -1; }
#else
#include <sys/stat.h>
#include <unistd.h>
#define dbf_fseek fseeko
#define dbf_ftell ftello
static int truncate_stream(FILE* f, int64_t size) { return ftruncate(fileno(f), (off_t)size); }
#endif

/* ---- files ---- */

static int64_t file_read(void* ctx, int64_t offset, void* buf, size_t n)
{
    FILE* f = (FILE*)ctx;
    if (offset < 0 || dbf_fseek(f, offset, SEEK_SET) != 0)
        return -1;
    size_t got = fread(buf, 1, n, f);
    if (got < n && ferror(f))
        return -1;
    return (int64_t)got;
}

static int64_t file_write(void* ctx, int64_t offset, const void* buf, size_t n)
{
    FILE* f = (FILE*)ctx;
    if (offset < 0 || dbf_fseek(f, offset, SEEK_SET) != 0)
        return -1;
    return fwrite(buf, 1, n, f) == n ? (int64_t)n : -1;
}

static int64_t file_size(void* ctx)
{
    FILE* f = (FILE*)ctx;
    if (dbf_fseek(f, 0, SEEK_END) != 0)
        return -1;
    return dbf_ftell(f);
}

static int file_truncate(void* ctx, int64_t size)
{
    FILE* f = (FILE*)ctx;
    if (fflush(f) != 0)
        return -1;
    return truncate_stream(f, size);
}

int dbf_file_lock(FILE* f, int64_t offset, int64_t len, int how);
static int file_lock(void* ctx, int64_t offset, int64_t len, int how)
{
    return dbf_file_lock((FILE*)ctx, offset, len, how);
}

static int file_flush(void* ctx) { return fflush((FILE*)ctx) == 0 ? 0 : -1; }
static void file_close(void* ctx) { fclose((FILE*)ctx); }

dbf_status dbf_io_file(dbf_io* io, const char* path, char mode)
{
    const char* how = mode == 'r' ? "rb" : mode == 'w' ? "r+b" : mode == 'c' ? "w+b" : NULL;
    if (!io || !path || !how)
        return DBF_E_ARG;
    FILE* f = fopen(path, how);
    if (!f)
        return DBF_E_IO;
    static const dbf_io file_calls = {
        NULL, file_read, file_write, file_size, file_truncate, file_flush, file_close, file_lock};
    *io = file_calls;
    io->ctx = f;
    return DBF_OK;
}

#ifdef _WIN32
/* The volume and file index, which 8.3 names, letter case and relative
 * spellings all share; Windows 95 has them too. */
static int file_identity(const char* path, BY_HANDLE_FILE_INFORMATION* info)
{
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    BOOL ok = GetFileInformationByHandle(h, info);
    CloseHandle(h);
    return ok != FALSE;
}

int dbf_same_file(const char* a, const char* b)
{
    BY_HANDLE_FILE_INFORMATION x, y;
    return file_identity(a, &x) && file_identity(b, &y) && x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
           x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}
#else
int dbf_same_file(const char* a, const char* b)
{
    struct stat x, y;
    return stat(a, &x) == 0 && stat(b, &y) == 0 && x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}
#endif

/* ---- memory ---- */

typedef dbf_memory memory_block;

static int64_t memory_read(void* ctx, int64_t offset, void* buf, size_t n)
{
    memory_block* m = (memory_block*)ctx;
    if (offset < 0)
        return -1;
    if ((uint64_t)offset >= m->size)
        return 0;
    size_t avail = m->size - (size_t)offset;
    if (n > avail)
        n = avail;
    memcpy(buf, m->data + offset, n);
    return (int64_t)n;
}

static int memory_reserve(memory_block* m, size_t size)
{
    if (size <= m->capacity)
        return 0;
    size_t cap = m->capacity ? m->capacity : 256;
    while (cap < size)
        cap *= 2;
    unsigned char* p = (unsigned char*)realloc(m->data, cap);
    if (!p)
        return -1;
    m->data = p;
    m->capacity = cap;
    return 0;
}

/* Growing fills the new bytes with zeros, as a file grows with a hole. */
static int memory_resize(memory_block* m, size_t size)
{
    if (size > m->size) {
        if (memory_reserve(m, size))
            return -1;
        memset(m->data + m->size, 0, size - m->size);
    }
    m->size = size;
    return 0;
}

static int64_t memory_write(void* ctx, int64_t offset, const void* buf, size_t n)
{
    memory_block* m = (memory_block*)ctx;
    if (offset < 0 || (uint64_t)offset > SIZE_MAX - n)
        return -1;
    size_t end = (size_t)offset + n;
    if (end > m->size && memory_resize(m, end))
        return -1;
    memcpy(m->data + offset, buf, n);
    return (int64_t)n;
}

static int64_t memory_size(void* ctx) { return (int64_t)((memory_block*)ctx)->size; }

static int memory_truncate(void* ctx, int64_t size)
{
    if (size < 0)
        return -1;
    return memory_resize((memory_block*)ctx, (size_t)size);
}

static int memory_flush(void* ctx) { return 0; }

static void memory_close(void* ctx) {}

dbf_status dbf_memory_assign(dbf_memory* m, const void* data, size_t size)
{
    m->size = 0;
    if (size && memory_reserve(m, size))
        return DBF_E_NOMEM;
    if (size)
        memcpy(m->data, data, size);
    m->size = size;
    return DBF_OK;
}

void dbf_memory_free(dbf_memory* m)
{
    free(m->data);
    m->data = NULL;
    m->size = m->capacity = 0;
}

void dbf_io_memory(dbf_io* io, dbf_memory* m)
{
    static const dbf_io memory_calls = {
        NULL, memory_read, memory_write, memory_size, memory_truncate, memory_flush, memory_close, NULL};
    *io = memory_calls;
    io->ctx = m;
}
