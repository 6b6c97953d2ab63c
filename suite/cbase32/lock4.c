/* Locks other programs sharing the table respect: byte ranges far beyond
 * the table's data, where dBASE-compatible engines place them, so that
 * reading is never blocked. Record n locks byte BASE + n, the append lock
 * is byte BASE (the record count), the file lock covers both, and the
 * index lock, byte BASE - 1, guards changes of index pages. */
#include "cbase4.h"
#include "dbf_mdx.h"

#include <stdlib.h>

#define LOCK_BASE 1000000000LL
#define LOCK_FILE_LEN 1000000000LL
#define LOCK_INDEX (LOCK_BASE - 1)

static int take(DATA4* d, int64_t offset, int64_t len, int how, const char* what)
{
    dbf_status st = dbf_lock(d->table, offset, len, how);
    if (st == DBF_E_LOCKED)
        return r4locked;
    return st == DBF_OK ? r4success : cb4_fail(d, e4lock, what);
}

/* What another program wrote before we held the lock becomes visible. */
static int refresh_after_lock(DATA4* d)
{
    int rc = cb4_status(d, dbf_sync(d->table), "lock");
    for (INDEX4* i = d->indexes; i && rc == r4success; i = i->next)
        if (dbf_mdx_forget(i->file) != DBF_OK)
            rc = e4describe(d->codeBase, e4index, "lock: index", i->fileName, NULL);
    cb4_tags_moved(d);
    if (rc == r4success && !d->eof && !d->recordChanged && !d->appending &&
        d->recNo >= 1 && d->recNo <= d4reccount(d)) {
        dbf_unload(d->table, 0);
        rc = cb4_load(d, d->recNo);
    }
    return rc;
}

static int holds_record(DATA4* d, long rec)
{
    for (int i = 0; i < d->numLocked; i++)
        if (d->lockedRecs[i] == rec)
            return 1;
    return 0;
}

static int lock_record(DATA4* d, long rec, int how)
{
    if (!d || rec < 1)
        return cb4_fail(d, e4parm, "d4lock");
    if (d->lockedFile || holds_record(d, rec))
        return r4success;
    if (d->numLocked == d->lockCapacity) {
        int cap = d->lockCapacity ? d->lockCapacity * 2 : 8;
        long* recs = (long*)realloc(d->lockedRecs, (size_t)cap * sizeof *recs);
        if (!recs)
            return cb4_fail(d, e4memory, "d4lock");
        d->lockedRecs = recs;
        d->lockCapacity = cap;
    }
    int rc = take(d, LOCK_BASE + rec, 1, how, "d4lock");
    if (rc != r4success)
        return rc;
    d->lockedRecs[d->numLocked++] = rec;
    return refresh_after_lock(d);
}

int d4lock(DATA4* d, long rec) { return lock_record(d, rec, DBF_LOCK_WAIT); }
int d4lock_test(DATA4* d, long rec) { return lock_record(d, rec, DBF_LOCK_TRY); }

static int lock_append(DATA4* d, int how)
{
    if (!d)
        return e4parm;
    if (d->lockedFile || d->lockedAppend)
        return r4success;
    int rc = take(d, LOCK_BASE, 1, how, "d4lock_append");
    if (rc != r4success)
        return rc;
    d->lockedAppend = 1;
    return refresh_after_lock(d);
}

int d4lock_append(DATA4* d) { return lock_append(d, DBF_LOCK_WAIT); }
int d4lock_test_append(DATA4* d) { return lock_append(d, DBF_LOCK_TRY); }

static void release_records(DATA4* d)
{
    for (int i = 0; i < d->numLocked; i++)
        dbf_lock(d->table, LOCK_BASE + d->lockedRecs[i], 1, DBF_UNLOCK);
    d->numLocked = 0;
    if (d->lockedAppend)
        dbf_lock(d->table, LOCK_BASE, 1, DBF_UNLOCK);
    d->lockedAppend = 0;
}

static int lock_file(DATA4* d, int how)
{
    if (!d)
        return e4parm;
    if (d->lockedFile)
        return r4success;
    /* The range covers our own record and append locks: give them up. */
    release_records(d);
    int rc = take(d, LOCK_BASE, LOCK_FILE_LEN, how, "d4lock_file");
    if (rc != r4success)
        return rc;
    d->lockedFile = 1;
    return refresh_after_lock(d);
}

int d4lock_file(DATA4* d) { return lock_file(d, DBF_LOCK_WAIT); }
int d4lock_test_file(DATA4* d) { return lock_file(d, DBF_LOCK_TRY); }
int d4lock_all(DATA4* d) { return lock_file(d, DBF_LOCK_WAIT); }

int d4lock_group(DATA4* d, const long* recs, int count)
{
    if (!d || (!recs && count > 0))
        return e4parm;
    for (int i = 0; i < count; i++) {
        int rc = d4lock(d, recs[i]);
        if (rc != r4success)
            return rc;
    }
    return r4success;
}

static int lock_index(DATA4* d, int how)
{
    if (!d)
        return e4parm;
    if (d->lockedIndex)
        return r4success;
    int rc = take(d, LOCK_INDEX, 1, how, "d4lock_index");
    if (rc != r4success)
        return rc;
    d->lockedIndex = 1;
    return refresh_after_lock(d);
}

int d4lock_index(DATA4* d) { return lock_index(d, DBF_LOCK_WAIT); }
int d4lock_test_index(DATA4* d) { return lock_index(d, DBF_LOCK_TRY); }
int i4lock(INDEX4* i) { return i ? d4lock_index(i->data) : e4parm; }

static void release_index(DATA4* d)
{
    if (d->lockedIndex)
        dbf_lock(d->table, LOCK_INDEX, 1, DBF_UNLOCK);
    d->lockedIndex = 0;
}

int i4unlock(INDEX4* i)
{
    if (!i)
        return e4parm;
    int rc = d4write_keys(i->data);
    release_index(i->data);
    return rc;
}

int d4unlock(DATA4* d)
{
    if (!d)
        return e4parm;
    /* Everything written before anyone else may look. */
    int rc = d->readOnly ? r4success : d4flush(d);
    if (rc >= 0)
        rc = d4write_keys(d);
    release_records(d);
    if (d->lockedFile)
        dbf_lock(d->table, LOCK_BASE, LOCK_FILE_LEN, DBF_UNLOCK);
    d->lockedFile = 0;
    release_index(d);
    return rc < 0 ? rc : r4success;
}

int d4unlock_files(CODE4* cb)
{
    int result = r4success;
    for (DATA4* d = cb ? cb->dataList : NULL; d; d = d->next) {
        int rc = d4unlock(d);
        if (rc < 0 && result == r4success)
            result = rc;
    }
    return result;
}

/* A table that takes locks shares its files: its index changes happen
 * under the index lock, on pages read afresh. */
static int shared(DATA4* d)
{
    return !d->lockedIndex && (d->lockedFile || d->lockedAppend || d->numLocked);
}

int cb4_index_begin(DATA4* d)
{
    if (!shared(d))
        return r4success;
    if (take(d, LOCK_INDEX, 1, DBF_LOCK_WAIT, "index lock") != r4success)
        return e4lock;
    d->lockedIndex = 2;         /* taken here, released by cb4_index_end */
    for (INDEX4* i = d->indexes; i; i = i->next)
        if (dbf_mdx_forget(i->file) != DBF_OK)
            return e4describe(d->codeBase, e4index, "index", i->fileName, NULL);
    return r4success;
}

void cb4_index_end(DATA4* d)
{
    if (d->lockedIndex != 2)
        return;
    for (INDEX4* i = d->indexes; i; i = i->next)
        dbf_mdx_flush(i->file);
    release_index(d);
}
