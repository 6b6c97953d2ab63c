/* The lock entry points; what a table holds and how locks are taken is
 * share4.c's. */
#include "cbase4.h"

int d4lock(DATA4* d, long rec) { return d ? cb4_lock_record(d, rec, DBF_LOCK_WAIT) : e4parm; }
int d4lock_test(DATA4* d, long rec) { return d ? cb4_lock_record(d, rec, DBF_LOCK_TRY) : e4parm; }
int d4lock_append(DATA4* d) { return d ? cb4_lock_append(d, DBF_LOCK_WAIT) : e4parm; }
int d4lock_test_append(DATA4* d) { return d ? cb4_lock_append(d, DBF_LOCK_TRY) : e4parm; }
int d4lock_file(DATA4* d) { return d ? cb4_lock_file(d, DBF_LOCK_WAIT) : e4parm; }
int d4lock_test_file(DATA4* d) { return d ? cb4_lock_file(d, DBF_LOCK_TRY) : e4parm; }
int d4lock_all(DATA4* d) { return d4lock_file(d); }
int d4lock_index(DATA4* d) { return d ? cb4_lock_index(d, DBF_LOCK_WAIT) : e4parm; }
int d4lock_test_index(DATA4* d) { return d ? cb4_lock_index(d, DBF_LOCK_TRY) : e4parm; }
int i4lock(INDEX4* i) { return i ? d4lock_index(i->data) : e4parm; }

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

int i4unlock(INDEX4* i)
{
    if (!i)
        return e4parm;
    int rc = cb4_flush_record(i->data);
    int keys = cb4_index_write(i->data);
    cb4_unlock_index(i->data);
    return rc < 0 ? rc : keys < 0 ? keys : r4success;
}

/* Everything written before anyone else may look. */
int d4unlock(DATA4* d)
{
    if (!d)
        return e4parm;
    int rc = cb4_flush_record(d);
    if (rc >= 0 && !d->readOnly)
        rc = cb4_status(d, dbf_flush(d->table), "d4unlock");
    int keys = cb4_index_write(d);
    cb4_unlock_all(d);
    return rc < 0 ? rc : keys < 0 ? keys : r4success;
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
