/* Moving through a table and changing its records. */
#include "cbase4.h"

#include <stdlib.h>
#include <string.h>

int d4go(DATA4* d, long rec)
{
    if (!d)
        return e4parm;
    if (rec < 1 || rec > d4reccount(d))
        return r4entry;
    return cb4_load(d, rec);
}

int d4go_data(DATA4* d, long rec) { return d4go(d, rec); }

int d4go_eof(DATA4* d)
{
    if (!d)
        return e4parm;
    int rc = cb4_flush_record(d);
    return rc < 0 ? rc : cb4_at_end(d);
}

int d4top(DATA4* d)
{
    if (!d)
        return e4parm;
    if (d->tagSelected)
        return cb4_tag_top(d);
    if (d4reccount(d) == 0) {
        int rc = d4go_eof(d);
        d->bof = 1;
        return rc;
    }
    return cb4_load(d, 1);
}

int d4bottom(DATA4* d)
{
    if (!d)
        return e4parm;
    if (d->tagSelected)
        return cb4_tag_bottom(d);
    long count = d4reccount(d);
    if (count == 0)
        return d4top(d);
    return cb4_load(d, count);
}

int d4skip(DATA4* d, long n)
{
    if (!d)
        return e4parm;
    if (d->tagSelected)
        return cb4_tag_skip(d, n);
    long count = d4reccount(d);
    long long target = (long long)d->recNo + n;
    if (target > count)
        return d4go_eof(d);
    if (target < 1) {
        int rc = d4top(d);
        d->bof = 1;
        return rc < 0 ? rc : r4bof;
    }
    return cb4_load(d, (long)target);
}

int d4bof(DATA4* d) { return d ? d->bof : e4parm; }
int d4eof(DATA4* d) { return d ? d->eof : e4parm; }
long d4recno(DATA4* d) { return d ? d->recNo : e4parm; }
long d4reccount(DATA4* d) { return d ? (long)dbf_record_count(d->table) : e4parm; }

double d4position(DATA4* d)
{
    if (!d || d->eof)
        return d ? 1.0 : 0.0;
    if (d->tagSelected)
        return cb4_tag_position(d);
    long count = d4reccount(d);
    return count <= 1 ? 0.0 : (double)(d->recNo - 1) / (double)(count - 1);
}

int d4position_set(DATA4* d, double pos)
{
    if (!d || !(pos >= 0.0 && pos <= 1.0))
        return cb4_fail(d, e4parm, "d4position_set");
    if (d->tagSelected)
        return cb4_tag_position_set(d, pos);
    long count = d4reccount(d);
    if (count == 0)
        return d4top(d);
    return d4go(d, 1 + (long)(pos * (double)(count - 1) + 0.5));
}

int d4refresh(DATA4* d)
{
    if (!d)
        return e4parm;
    dbf_refresh(d->table);
    return r4success;
}

int d4refresh_record(DATA4* d)
{
    if (!d)
        return e4parm;
    d->recordChanged = 0;
    d->appending = 0;
    cb4_forget_memos(d);
    dbf_unload(d->table, 0);
    dbf_refresh(d->table);
    return d->eof ? cb4_at_end(d) : cb4_load(d, d->recNo);
}

int d4free_blocks(DATA4* d) { return d4refresh(d); }

int d4read(DATA4* d, long rec, char* buffer)
{
    if (!d || !buffer)
        return e4parm;
    if (rec < 1 || rec > d4reccount(d))
        return r4entry;
    int rc = cb4_flush_record(d);
    return rc < 0 ? rc : cb4_status(d, dbf_read_record(d->table, (uint32_t)rec, buffer), "d4read");
}

/* Leaves the current record, changed or not, as it is: the old bytes are
 * what a write compares the new ones against. */
int d4read_old(DATA4* d, long rec)
{
    if (!d)
        return e4parm;
    if (rec < 1 || rec > d4reccount(d))
        return r4entry;
    return cb4_stored_record(d, rec) ? r4success : cb4_fail(d, e4read, "d4read_old");
}

int d4optimize(DATA4* d, int flag) { return d ? r4success : e4parm; }
int d4optimize_write(DATA4* d, int flag) { return d ? r4success : e4parm; }

/* ---- changing ---- */

static int writable(DATA4* d, const char* what)
{
    return d ? cb4_may_write(d, what) : e4parm;
}

/* The cursor on a record just appended. */
static void added(DATA4* d)
{
    cb4_forget_memos(d);
    d->recNo = d4reccount(d);
    d->bof = d->eof = 0;
}

int d4append_blank(DATA4* d)
{
    int rc = writable(d, "d4append_blank"), taken = 0;
    if (rc == r4success)
        rc = cb4_flush_record(d);
    if (rc == r4success)
        rc = cb4_own_lock(d, 0, &taken);
    if (rc == r4success)
        rc = cb4_store(d, 0, 1);
    if (rc >= 0)
        added(d);
    cb4_own_unlock(d, 0, taken);
    return rc;
}

int d4append_start(DATA4* d, int useMemoEntries)
{
    int rc = writable(d, "d4append_start");
    if (rc == r4success)
        rc = cb4_flush_record(d);
    if (rc != r4success)
        return rc;
    d->appending = 1;
    for (int i = 0; i < d->numFields; i++) {
        FIELD4* f = &d->fields[i];
        if (f->type != 'M' || useMemoEntries)
            continue;
        /* The new record starts with empty memos of its own. */
        memset(f4ptr(f), ' ', f->len);
        cb4_memo_empty(f);
    }
    return r4success;
}

int d4append(DATA4* d)
{
    int rc = writable(d, "d4append"), taken = 0;
    /* Under the append lock the count is read afresh, so the record goes
     * after another program's last one. */
    if (rc == r4success)
        rc = cb4_own_lock(d, 0, &taken);
    if (rc == r4success)
        rc = cb4_write_memos(d);
    if (rc == r4success) {
        long before = d4reccount(d);
        d->appending = 0;
        rc = cb4_store(d, 0, 0);
        if (rc < 0 && d4reccount(d) == before)
            d->appending = 1;       /* refused: the record may be corrected and appended */
    }
    if (rc >= 0) {
        d->recordChanged = 0;
        added(d);
    }
    cb4_own_unlock(d, 0, taken);
    return rc;
}

int d4append_data(DATA4* d) { return d4append(d); }

void d4blank(DATA4* d)
{
    if (!d)
        return;
    dbf_blank(d->table);
    for (int i = 0; i < d->numFields; i++)
        if (d->fields[i].type == 'M')
            cb4_memo_empty(&d->fields[i]);
    d->recordChanged = 1;
}

int d4changed(DATA4* d, int flag)
{
    if (!d)
        return e4parm;
    int old = d->recordChanged;
    if (flag >= 0)
        d->recordChanged = flag != 0;
    return old;
}

void d4delete(DATA4* d)
{
    if (d && !d->eof && writable(d, "d4delete") == r4success) {
        dbf_set_deleted(d->table, 1);
        d->recordChanged = 1;
    }
}

void d4recall(DATA4* d)
{
    if (d && !d->eof && writable(d, "d4recall") == r4success) {
        dbf_set_deleted(d->table, 0);
        d->recordChanged = 1;
    }
}

int d4deleted(DATA4* d) { return d && !d->eof ? dbf_deleted(d->table) : 0; }

int d4write(DATA4* d, long rec)
{
    int rc = writable(d, "d4write");
    if (rc != r4success)
        return rc;
    if (rec != -1 && rec != d->recNo)
        return cb4_fail(d, e4parm, "d4write: only the current record");
    if (d->eof)
        return r4entry;
    /* The record may have been changed through f4ptr, which no flag
     * tells: its keys are compared with the stored record's. */
    d->recordChanged = 1;
    return cb4_flush_record(d);
}

int d4write_data(DATA4* d, long rec) { return d4write(d, rec); }

int d4pack(DATA4* d)
{
    int rc = writable(d, "d4pack"), taken = 0;
    if (rc == r4success)
        rc = cb4_flush_record(d);
    if (rc == r4success)
        rc = cb4_own_lock(d, 1, &taken);
    /* The index counts as stale from before the first record moves until
     * it is rebuilt. */
    if (rc == r4success && d->indexes)
        rc = cb4_index_begin(d, 1);
    if (rc == r4success) {
        long total = d4reccount(d);
        cb4_pack_progress(0, total);
        rc = cb4_compact(d, 0, 0);
        cb4_pack_progress(total, total);
    }
    if (rc == r4success)
        rc = cb4_index_rebuild(d);
    if (d->indexes)
        cb4_index_end(d);
    cb4_own_unlock(d, 1, taken);
    if (rc != r4success)
        return rc;
    rc = d4top(d);
    return rc < 0 ? rc : r4success;
}

int d4pack_data(DATA4* d) { return d4pack(d); }

int d4zap(DATA4* d, long first, long last)
{
    int rc = writable(d, "d4zap"), taken = 0;
    if (rc == r4success && (first < 1 || last < first))
        rc = cb4_fail(d, e4parm, "d4zap");
    if (rc == r4success)
        rc = cb4_flush_record(d);
    if (rc == r4success)
        rc = cb4_own_lock(d, 1, &taken);
    if (rc == r4success && d->indexes)
        rc = cb4_index_begin(d, 1);
    if (rc == r4success)
        rc = cb4_compact(d, first, last);
    if (rc == r4success)
        rc = cb4_index_rebuild(d);
    if (d->indexes)
        cb4_index_end(d);
    cb4_own_unlock(d, 1, taken);
    if (rc != r4success)
        return rc;
    rc = d4top(d);
    return rc < 0 ? rc : r4success;
}

int d4zap_data(DATA4* d, long first, long last) { return d4zap(d, first, last); }

int d4validate_memo_ids(DATA4* d)
{
    if (!d)
        return e4parm;
    int rc = cb4_flush_record(d);
    for (long n = 1; rc == r4success && n <= d4reccount(d); n++) {
        if ((rc = d4go(d, n)) != r4success)
            break;
        for (int i = 0; i < d->numFields && rc == r4success; i++) {
            if (d->fields[i].type != 'M')
                continue;
            char* text;
            size_t len;
            rc = cb4_status(d, dbf_memo_read(d->table, i, &text, &len), "d4validate_memo_ids");
            free(text);
        }
    }
    return rc;
}

