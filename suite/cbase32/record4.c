/* The table's current record on its way to the file: its memos, its keys
 * in every tag, then its bytes. The entry points move and write records
 * only through here. */
#include "cbase4.h"
#include "dbf_mdx.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int cb4_index_error(DATA4* d, dbf_status st, const char* what)
{
    if (st == DBF_E_INDEX || st == DBF_E_IO || st == DBF_E_RANGE)
        return e4describe(d->code4, e4index, what, d->fileName, NULL);
    return cb4_status(d, st, what);
}

int cb4_may_write(DATA4* d, const char* what)
{
    if (d->readOnly)
        return cb4_fail(d, e4readOnly, what);
    if (d->indexState)
        return e4describe(d->code4, e4index,
                          d->indexState == DATA4_INDEX_STALE ? "the index must be rebuilt first (d4reindex)"
                                                             : "the production index cannot be read (i4create)",
                          d->fileName, NULL);
    return r4success;
}

int cb4_write_memos(DATA4* d)
{
    int rc = r4success, taken = 0;
    for (int i = 0; i < d->numFields && rc == r4success; i++) {
        FIELD4* f = &d->fields[i];
        if (!f->memoChanged)
            continue;
        if (!taken && (rc = cb4_memo_begin(d, &taken)) != r4success)
            break;
        rc = cb4_status(d, dbf_memo_write(d->table, i, f->memo, f->memoLen), "memo");
        if (rc == r4success)
            f->memoChanged = 0;
    }
    cb4_memo_end(d, taken);
    return rc;
}

static int write_record(DATA4* d);

int cb4_flush_record(DATA4* d)
{
    int rc = write_record(d);
    /* A refused change stays with the table, unwritten: no later move or
     * flush of the engine writes it behind the refusal. */
    if (rc < 0)
        dbf_hold(d->table);
    return rc;
}

static int write_record(DATA4* d)
{
    if (d->appending) {
        d->appending = 0;
        d->recordChanged = 0;
        cb4_forget_memos(d);
        return cb4_status(d, dbf_unload(d->table, 0), "append abandoned");
    }
    int memos = 0;
    for (int i = 0; i < d->numFields; i++)
        memos |= d->fields[i].memoChanged;
    if (!d->recordChanged && !memos)
        return r4success;
    if (d->eof) {
        cb4_forget_memos(d);
        d->recordChanged = 0;
        return r4success;
    }
    int rc = cb4_may_write(d, "write");
    if (rc == r4success)
        rc = cb4_write_memos(d);
    if (rc == r4success)
        rc = cb4_store(d, d->recNo, 0);
    if (rc >= 0)
        d->recordChanged = 0;
    return rc;
}

/* Keys and record go to the files inside one change of the indexes: the
 * table's mark is set before the first of them and cleared once both are
 * written, so a program stopped in between leaves the index reported
 * stale. A record whose keys could not all be moved is not written; one
 * appended whose keys could not be added leaves the index stale. */
int cb4_store(DATA4* d, long rec, int blank)
{
    int rc = d->indexes ? cb4_index_begin(d, 0) : r4success, keys = r4success, keys_moving = 0;
    if (rc >= 0 && !blank)
        rc = cb4_index_check_unique(d, rec);
    if (rc >= 0 && rec) {
        keys_moving = 1;
        keys = rc = cb4_index_update(d, rec);
        if (rc >= 0) {
            dbf_touch(d->table);
            rc = cb4_status(d, dbf_write(d->table), "write");
        }
    } else if (rc >= 0) {
        rc = cb4_status(d, dbf_append(d->table, blank), "append");
        keys_moving = rc >= 0;
        if (rc >= 0)
            keys = rc = cb4_index_add(d, (long)dbf_record_count(d->table));
    }
    if (keys_moving && rc < 0 && d->indexes)
        d->indexState = DATA4_INDEX_STALE;
    if (d->indexes)
        cb4_index_end(d);
    return rc < 0 ? rc : keys;
}

/* Puts the cursor after the last record, with a blank buffer. */
int cb4_at_end(DATA4* d)
{
    int rc = cb4_status(d, dbf_unload(d->table, 1), "d4go_eof");
    cb4_forget_memos(d);
    d->eof = 1;
    d->recNo = (long)dbf_record_count(d->table) + 1;
    return rc < 0 ? rc : r4eof;
}

int cb4_load(DATA4* d, long rec)
{
    int rc = cb4_flush_record(d);
    if (rc < 0)
        return rc;
    rc = cb4_status(d, dbf_go(d->table, (uint32_t)rec), "d4go");
    if (rc != r4success)
        return rc;
    cb4_forget_memos(d);
    d->recNo = rec;
    d->bof = d->eof = 0;
    return r4success;
}

void cb4_tags_moved(DATA4* d)
{
    for (INDEX4* i = d->indexes; i; i = i->next)
        for (TAG4* t = i->tags; t; t = t->next)
            t->recNo = 0;
}


unsigned char* cb4_stored_record(DATA4* d, long rec)
{
    if (!d->oldRecord && !(d->oldRecord = (unsigned char*)malloc(dbf_record_length(d->table))))
        return NULL;
    return dbf_read_stored(d->table, (uint32_t)rec, d->oldRecord) == DBF_OK ? d->oldRecord : NULL;
}

int cb4_index_check_unique(DATA4* d, long rec)
{
    const unsigned char* now = dbf_record(d->table);
    uint32_t n = rec ? (uint32_t)rec : dbf_record_count(d->table) + 1;
    for (INDEX4* i = d->indexes; i; i = i->next)
        for (TAG4* t = i->tags; t; t = t->next) {
            if (t->uniqueError != e4unique)
                continue;
            int in = t->filter ? cb4_true(t->filter, now, n) : 1;
            unsigned char key[DBF_MDX_MAX_KEY];
            int len = in > 0 ? cb4_key(t->expr, now, n, key) : in;
            if (len < 0)
                return len;
            if (!in)
                continue;
            int exact = 0;
            dbf_status st = dbf_mdx_seek(t->cursor, key, (size_t)len, 0, &exact);
            t->recNo = 0;
            if (st == DBF_OK && exact && dbf_mdx_recno(t->cursor) != n)
                return e4describe(d->code4, e4unique, "unique key exists", t->alias, d->fileName);
            if (st != DBF_OK && st != DBF_E_RANGE)
                return cb4_index_error(d, st, "unique key");
        }
    return r4success;
}

/* Moves one tag's key for record rec from the old record bytes (NULL: it
 * had none) to the new ones. */
static int move_key(DATA4* d, TAG4* t, const unsigned char* old, const unsigned char* now, uint32_t rec)
{
    unsigned char before[DBF_MDX_MAX_KEY], after[DBF_MDX_MAX_KEY];
    int in_old = old ? (t->filter ? cb4_true(t->filter, old, rec) : 1) : 0;
    int in_new = t->filter ? cb4_true(t->filter, now, rec) : 1;
    if (in_old < 0 || in_new < 0)
        return in_old < 0 ? in_old : in_new;
    int len = in_old ? cb4_key(t->expr, old, rec, before) : 0;
    if (len >= 0 && in_new)
        len = cb4_key(t->expr, now, rec, after);
    if (len < 0)
        return len;
    if (in_old && in_new && memcmp(before, after, (size_t)len) == 0)
        return r4success;
    dbf_status st = DBF_OK;
    if (in_old) {
        st = dbf_mdx_delete(t->index->file, t->number, before, rec);
        if (st == DBF_E_RANGE)  /* a unique tag may have left it out */
            st = DBF_OK;
    }
    if (st == DBF_OK && in_new) {
        st = dbf_mdx_insert(t->index->file, t->number, after, rec);
        if (st == DBF_E_UNIQUE)
            return t->uniqueError == r4unique ? r4unique : r4success;
    }
    return st == DBF_OK ? r4success : cb4_index_error(d, st, "index update");
}

static int move_keys(DATA4* d, const unsigned char* old, long rec)
{
    if (!d->indexes)
        return r4success;
    int rc = r4success, result = r4success;
    const unsigned char* now = dbf_record(d->table);
    for (INDEX4* i = d->indexes; i && rc >= 0; i = i->next)
        for (TAG4* t = i->tags; t && rc >= 0; t = t->next) {
            rc = move_key(d, t, old, now, (uint32_t)rec);
            if (rc > 0)
                result = rc;
        }
    cb4_tags_moved(d);
    return rc < 0 ? rc : result;
}

int cb4_index_update(DATA4* d, long rec)
{
    if (!d->indexes)
        return r4success;
    const unsigned char* old = cb4_stored_record(d, rec);
    if (!old)
        return cb4_fail(d, e4read, "index update");
    if (memcmp(old, dbf_record(d->table), dbf_record_length(d->table)) == 0)
        return r4success;
    return move_keys(d, old, rec);
}

int cb4_index_add(DATA4* d, long rec) { return move_keys(d, NULL, rec); }


/* ---- pack and zap through a copy ---- */

/* The copy beside the table: its name with the extension .PK~ (.pk~ for
 * a lower-case one). */
static void copy_path(DATA4* d, char* out, size_t size)
{
    const char* name = d->fileName;
    const char* dot = strrchr(name, '.');
    const char* slash = strrchr(name, '/');
    const char* back = strrchr(name, '\\');
    if (!dot || (slash && slash > dot) || (back && back > dot))
        dot = name + strlen(name);
    int lower = *dot && dot[1] >= 'a' && dot[1] <= 'z';
    snprintf(out, size, "%.*s%s", (int)(dot - name), name, lower ? ".pk~" : ".PK~");
}

int cb4_compact(DATA4* d, long first, long last)
{
    char path[270];
    copy_path(d, path, sizeof path);
    dbf_io copy;
    if (dbf_io_file(&copy, path, 'c') != DBF_OK)
        return e4describe(d->code4, e4create, "pack: the copy", path, NULL);
    dbf_status st = first ? dbf_zap_via(d->table, (uint32_t)first, (uint32_t)last, &copy)
                          : dbf_pack_via(d->table, &copy);
    copy.close(copy.ctx);
    if (st == DBF_OK)
        remove(path);
    return cb4_status(d, st, first ? "d4zap" : "d4pack");
}

int cb4_compact_finish(DATA4* d)
{
    char path[270];
    copy_path(d, path, sizeof path);
    dbf_io copy;
    if (d->readOnly || dbf_io_file(&copy, path, 'w') != DBF_OK)
        return r4success;
    int taken = 0;
    int rc = cb4_own_lock(d, 1, &taken);
    if (rc == r4success)
        rc = cb4_status(d, dbf_copy_finish(d->table, &copy), "an unfinished pack");
    copy.close(copy.ctx);
    if (rc == r4success)
        remove(path);
    cb4_own_unlock(d, 1, taken);
    return rc;
}
