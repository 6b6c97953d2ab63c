/* A table among the programs that share its files: the locks it holds,
 * waiting for them within CODE4.lockWait, and what becomes visible once one
 * is had. Every lock of a table is taken and given back here, so this is
 * the one place that knows what the table holds.
 *
 * The locks are byte ranges far beyond the table's data, where
 * dBASE-compatible engines place them, so reading is never blocked: record
 * n locks byte BASE + n, the append lock is byte BASE (the record count),
 * the file lock covers both, the index lock (BASE - 1) guards changes of
 * index pages and the memo lock (BASE - 2) the memo file's next block. */
#include "cbase4.h"
#include "dbf_mdx.h"

#include <stdlib.h>
#include <string.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <time.h>
#endif

#define LOCK_BASE 1000000000LL
#define LOCK_FILE_LEN 1000000000LL
#define LOCK_INDEX (LOCK_BASE - 1)
#define LOCK_MEMO (LOCK_BASE - 2)

#ifdef _WIN32
/* A range may not overlap one the same handle holds. */
#define OWN_LOCKS_OVERLAP 0
static unsigned long now_ms(void) { return GetTickCount(); }
static void pause_ms(long ms) { Sleep((DWORD)ms); }
#else
#define OWN_LOCKS_OVERLAP 1
static unsigned long now_ms(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (unsigned long)ts.tv_sec * 1000 + (unsigned long)ts.tv_nsec / 1000000;
}
static void pause_ms(long ms)
{
    struct timespec ts = {ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&ts, NULL);
}
#endif

/* r4success; r4locked when a try finds the range taken or a wait runs out
 * of time; e4lock when the file refuses locks. */
static int take(DATA4* d, int64_t offset, int64_t len, int how)
{
    /* Unsigned differences stay right when the millisecond count wraps. */
    unsigned long limit = how == DBF_LOCK_WAIT && d->code4->lockWait > 0 ? (unsigned long)d->code4->lockWait : 0;
    unsigned long start = now_ms();
    long delay = 1;
    for (;;) {
        dbf_status st = dbf_lock(d->table, offset, len, DBF_LOCK_TRY);
        if (st == DBF_OK)
            return r4success;
        if (st != DBF_E_LOCKED)
            return cb4_fail(d, e4lock, "lock");
        if (now_ms() - start >= limit)
            return r4locked;
        pause_ms(delay);
        if (delay < 32)
            delay *= 2;
    }
}

static void give_back(DATA4* d, int64_t offset, int64_t len)
{
    dbf_lock(d->table, offset, len, DBF_UNLOCK);
}

void cb4_forget_memos(DATA4* d)
{
    for (int i = 0; i < d->numFields; i++) {
        d->fields[i].memoRecNo = -1;
        d->fields[i].memoChanged = 0;
    }
}

/* Cached index pages go when another program changed the index since
 * they were read. */
static int forget_pages(DATA4* d)
{
    if (!d->indexes || !dbf_index_changed_elsewhere(d->table))
        return r4success;
    for (INDEX4* i = d->indexes; i; i = i->next)
        if (dbf_mdx_forget(i->file) != DBF_OK)
            return e4describe(d->code4, e4index, "index", i->fileName, NULL);
    for (INDEX4* i = d->indexes; i; i = i->next)
        for (TAG4* t = i->tags; t; t = t->next)
            t->recNo = 0;
    dbf_index_seen(d->table);
    return r4success;
}

/* What another program wrote before we held the lock becomes visible: the
 * record count, records, index pages and the memo file's end. */
static int refresh(DATA4* d)
{
    int rc = cb4_status(d, dbf_sync(d->table), "lock");
    dbf_memo_sync(d->table);
    if (rc == r4success)
        rc = forget_pages(d);
    long rec = d->recNo;
    if (rc == r4success && !d->eof && !d->recordChanged && !d->appending &&
        rec >= 1 && rec <= (long)dbf_record_count(d->table)) {
        dbf_unload(d->table, 0);
        rc = cb4_status(d, dbf_go(d->table, (uint32_t)rec), "lock");
        cb4_forget_memos(d);
    }
    return rc;
}

int cb4_holds_lock(DATA4* d)
{
    return d->lockedFile || d->lockedAppend || d->numLocked || d->lockedIndex;
}

static int holds_record(DATA4* d, long rec)
{
    for (int i = 0; i < d->numLocked; i++)
        if (d->lockedRecs[i] == rec)
            return 1;
    return 0;
}

static int remember_record(DATA4* d, long rec)
{
    if (d->numLocked == d->lockCapacity) {
        int cap = d->lockCapacity ? d->lockCapacity * 2 : 8;
        long* recs = (long*)realloc(d->lockedRecs, (size_t)cap * sizeof *recs);
        if (!recs)
            return cb4_fail(d, e4memory, "d4lock");
        d->lockedRecs = recs;
        d->lockCapacity = cap;
    }
    d->lockedRecs[d->numLocked++] = rec;
    return r4success;
}

int cb4_lock_record(DATA4* d, long rec, int how)
{
    if (rec < 1)
        return cb4_fail(d, e4parm, "d4lock");
    if (d->lockedFile || holds_record(d, rec))
        return r4success;
    int rc = remember_record(d, rec);
    if (rc == r4success && (rc = take(d, LOCK_BASE + rec, 1, how)) != r4success)
        d->numLocked--;
    return rc == r4success ? refresh(d) : rc;
}

int cb4_lock_append(DATA4* d, int how)
{
    if (d->lockedFile || d->lockedAppend)
        return r4success;
    int rc = take(d, LOCK_BASE, 1, how);
    if (rc != r4success)
        return rc;
    d->lockedAppend = 1;
    return refresh(d);
}

static void release_records(DATA4* d)
{
    for (int i = 0; i < d->numLocked; i++)
        give_back(d, LOCK_BASE + d->lockedRecs[i], 1);
    d->numLocked = 0;
    if (d->lockedAppend)
        give_back(d, LOCK_BASE, 1);
    d->lockedAppend = 0;
}

/* Where our own record and append locks may not overlap the file lock,
 * they give way for the try and are taken back when it fails; one that
 * another program took in between is reported, and no longer counted as
 * held. */
static int retake(DATA4* d, const long* recs, int count, int append)
{
    int rc = r4success;
    if (append && take(d, LOCK_BASE, 1, DBF_LOCK_WAIT) == r4success)
        d->lockedAppend = 1;
    else if (append)
        rc = e4describe(d->code4, e4lock, "lock given up for the file lock is taken", d->fileName, NULL);
    for (int i = 0; i < count; i++) {
        if (take(d, LOCK_BASE + recs[i], 1, DBF_LOCK_WAIT) == r4success)
            d->lockedRecs[d->numLocked++] = recs[i];
        else
            rc = e4describe(d->code4, e4lock, "lock given up for the file lock is taken", d->fileName, NULL);
    }
    return rc;
}

int cb4_lock_file(DATA4* d, int how)
{
    if (d->lockedFile)
        return r4success;
    int count = d->numLocked, append = d->lockedAppend;
    long* held = NULL;
    if (!OWN_LOCKS_OVERLAP && count) {
        if (!(held = (long*)malloc((size_t)count * sizeof *held)))
            return cb4_fail(d, e4memory, "d4lock_file");
        memcpy(held, d->lockedRecs, (size_t)count * sizeof *held);
    }
    if (!OWN_LOCKS_OVERLAP)
        release_records(d);
    int rc = take(d, LOCK_BASE, LOCK_FILE_LEN, how);
    if (rc == r4success) {
        d->lockedFile = 1;
        d->numLocked = 0;       /* the file lock covers them */
        d->lockedAppend = 0;
        rc = refresh(d);
    } else if (!OWN_LOCKS_OVERLAP) {
        int back = retake(d, held, count, append);
        if (back < 0)
            rc = back;
    }
    free(held);
    return rc;
}

int cb4_lock_index(DATA4* d, int how)
{
    if (d->lockedIndex)
        return r4success;
    int rc = take(d, LOCK_INDEX, 1, how);
    if (rc != r4success)
        return rc;
    d->lockedIndex = 1;
    return refresh(d);
}

void cb4_unlock_index(DATA4* d)
{
    if (d->lockedIndex)
        give_back(d, LOCK_INDEX, 1);
    d->lockedIndex = 0;
}

void cb4_unlock_all(DATA4* d)
{
    dbf_flush(d->table);        /* out of our buffers before anyone may look */
    release_records(d);
    if (d->lockedFile)
        give_back(d, LOCK_BASE, LOCK_FILE_LEN);
    d->lockedFile = 0;
    cb4_unlock_index(d);
}

/* ---- locks an operation takes for itself ---- */

int cb4_own_lock(DATA4* d, int file, int* taken)
{
    *taken = 0;
    if (d->lockedFile || (!file && d->lockedAppend))
        return r4success;
    int rc = file ? cb4_lock_file(d, DBF_LOCK_WAIT) : cb4_lock_append(d, DBF_LOCK_WAIT);
    if (rc == r4locked)
        return e4describe(d->code4, e4lock, file ? "the file lock is held by another program"
                                                    : "the append lock is held by another program",
                          d->fileName, NULL);
    *taken = rc == r4success;
    return rc;
}

void cb4_own_unlock(DATA4* d, int file, int taken)
{
    if (!taken)
        return;
    dbf_flush(d->table);
    if (file) {
        give_back(d, LOCK_BASE, LOCK_FILE_LEN);
        d->lockedFile = 0;
    } else {
        give_back(d, LOCK_BASE, 1);
        d->lockedAppend = 0;
    }
}

/* ---- index pages and memo blocks among programs ---- */

/* A table that takes locks shares its files: its index changes happen
 * under the index lock, on pages read afresh. */
static int shared(DATA4* d)
{
    return !d->lockedIndex && (d->lockedFile || d->lockedAppend || d->numLocked);
}

int cb4_index_write(DATA4* d)
{
    int rc = r4success;
    for (INDEX4* i = d->indexes; i; i = i->next)
        if (dbf_mdx_flush(i->file) != DBF_OK && rc == r4success)
            rc = e4describe(d->code4, e4index, "index write", i->fileName, NULL);
    /* Pages were changed (the mark says so): others sharing the table
     * read theirs afresh. */
    if (rc == r4success && d->indexes && dbf_marked_here(d->table))
        rc = cb4_status(d, dbf_index_written(d->table), "index write");
    /* The mark stays while the pages do not match the table, and another
     * program's stays for it to clear. */
    if (rc == r4success && !d->indexState && dbf_marked_here(d->table))
        rc = cb4_status(d, dbf_set_unfinished(d->table, 0), "index write");
    return rc;
}

/* Marked in the table before any page changes: a program that stops
 * before the pages are written leaves the mark, and whoever opens the
 * table next knows the index is stale. */
static int index_mark(DATA4* d)
{
    return d->indexes ? cb4_status(d, dbf_set_unfinished(d->table, 1), "index") : r4success;
}

int cb4_index_begin(DATA4* d, int rebuild)
{
    if (d->indexState && !rebuild)
        return e4describe(d->code4, e4index, "the index must be rebuilt first (d4reindex)",
                          d->fileName, NULL);
    if (shared(d)) {
        int rc = take(d, LOCK_INDEX, 1, DBF_LOCK_WAIT);
        if (rc != r4success)
            return rc < 0 ? rc : e4describe(d->code4, e4lock, "index lock", d->fileName, NULL);
        d->lockedIndex = 2;         /* taken here, released by cb4_index_end */
        rc = forget_pages(d);
        if (rc != r4success)
            return rc;
    }
    return index_mark(d);
}

void cb4_index_end(DATA4* d)
{
    if (d->lockedIndex != 2)
        return;
    cb4_index_write(d);
    cb4_unlock_index(d);
}

/* A memo goes after whatever another program added to the memo file:
 * the next free block is found afresh under the memo lock. */
int cb4_memo_begin(DATA4* d, int* taken)
{
    *taken = 0;
    int rc = take(d, LOCK_MEMO, 1, DBF_LOCK_WAIT);
    if (rc != r4success)
        return rc < 0 ? rc : e4describe(d->code4, e4lock, "memo lock", d->fileName, NULL);
    *taken = 1;
    dbf_memo_sync(d->table);
    return r4success;
}

void cb4_memo_end(DATA4* d, int taken)
{
    if (!taken)
        return;
    dbf_memo_sync(d->table);
    give_back(d, LOCK_MEMO, 1);
}

/* Before the index is trusted: the mark of a change that never finished,
 * seen while we hold the index lock (so with nobody changing the index),
 * makes it stale. Under another program's lock the mark is that program's
 * change in progress (a long rebuild), not a crash. */
int cb4_index_check_mark(DATA4* d, int lock)
{
    if (!dbf_unfinished(d->table))
        return r4success;
    if (lock == r4locked)
        return r4locked;
    d->indexState = DATA4_INDEX_STALE;
    return e4describe(d->code4, e4index, "a change of the index did not finish; d4reindex repairs it",
                      d->fileName, NULL);
}
