/* Moving in key order: the table's top, bottom, skip and seek through the
 * selected tag, and the t4* cursor of a tag on its own. */
#include "cbase4.h"
#include "dbf_expr.h"
#include "dbf_mdx.h"

#include <stdlib.h>
#include <string.h>

static int tag_error(TAG4* t, dbf_status st, const char* what)
{
    DATA4* d = t->index->data;
    if (st == DBF_E_INDEX || st == DBF_E_IO)
        return e4describe(d->code4, e4index, what, t->alias, d->fileName);
    return cb4_status(d, st, what);
}

/* Loads the record under the tag's cursor, or the end of the table. */
static int follow(DATA4* d, TAG4* t, dbf_status st, int past)
{
    if (st == DBF_E_RANGE) {
        t->recNo = 0;
        int rc = cb4_at_end(d);
        return rc < 0 ? rc : past;
    }
    if (st != DBF_OK)
        return tag_error(t, st, "tag");
    long rec = (long)dbf_mdx_recno(t->cursor);
    int rc = cb4_load(d, rec);
    t->recNo = rec;
    return rc;
}

int cb4_tag_top(DATA4* d)
{
    TAG4* t = d->tagSelected;
    int rc = cb4_flush_record(d);
    if (rc < 0)
        return rc;
    rc = follow(d, t, dbf_mdx_first(t->cursor), r4eof);
    if (rc == r4eof)
        d->bof = 1;
    return rc;
}

int cb4_tag_bottom(DATA4* d)
{
    TAG4* t = d->tagSelected;
    int rc = cb4_flush_record(d);
    if (rc < 0)
        return rc;
    dbf_status st = dbf_mdx_last(t->cursor);
    if (st == DBF_E_RANGE)
        return cb4_tag_top(d);
    return follow(d, t, st, r4eof);
}

/* Puts the tag's cursor on the table's current record (or, for a record
 * the tag leaves out, on the key after it). */
static dbf_status place(DATA4* d, TAG4* t, int* on_record)
{
    *on_record = 1;
    if (t->recNo == d->recNo && dbf_mdx_valid(t->cursor))
        return DBF_OK;
    unsigned char key[DBF_MDX_MAX_KEY];
    const unsigned char* rec = dbf_record(d->table);
    int len = cb4_key(t->expr, rec, (uint32_t)d->recNo, key);
    if (len < 0)
        return DBF_E_EXPR;
    dbf_status st = dbf_mdx_seek(t->cursor, key, (size_t)len, (uint32_t)d->recNo, NULL);
    *on_record = st == DBF_OK && dbf_mdx_recno(t->cursor) == (uint32_t)d->recNo;
    t->recNo = *on_record ? d->recNo : 0;
    return st;
}

int cb4_tag_skip(DATA4* d, long n)
{
    TAG4* t = d->tagSelected;
    int rc = cb4_flush_record(d);
    if (rc < 0)
        return rc;
    dbf_status st;
    if (d->eof) {
        if (n >= 0)
            return r4eof;
        st = dbf_mdx_last(t->cursor);
        n++;
    } else {
        int on_record;
        st = place(d, t, &on_record);
        if (st == DBF_E_RANGE && n < 0) {
            st = dbf_mdx_last(t->cursor);
            n++;
        } else if (!on_record && n > 0) {
            n--;        /* the key after a left-out record is one step on */
        }
    }
    for (; st == DBF_OK && n > 0; n--)
        st = dbf_mdx_next(t->cursor);
    for (; st == DBF_OK && n < 0; n++)
        st = dbf_mdx_prev(t->cursor);
    if (st == DBF_E_RANGE && n < 0) {
        rc = cb4_tag_top(d);
        d->bof = 1;
        return rc < 0 ? rc : r4bof;
    }
    return follow(d, t, st, r4eof);
}

double cb4_tag_position(DATA4* d)
{
    TAG4* t = d->tagSelected;
    int on_record;
    return place(d, t, &on_record) == DBF_OK ? dbf_mdx_position(t->cursor) : 1.0;
}

int cb4_tag_position_set(DATA4* d, double pos)
{
    TAG4* t = d->tagSelected;
    int rc = cb4_flush_record(d);
    if (rc < 0)
        return rc;
    dbf_status st = dbf_mdx_position_set(t->cursor, pos);
    return st == DBF_E_RANGE ? cb4_tag_top(d) : follow(d, t, st, r4eof);
}

/* ---- seeking ---- */

static TAG4* seek_tag(DATA4* d)
{
    TAG4* t = d4tag_default(d);
    if (!t)
        e4describe(d->code4, e4tagName, "seek: the table has no tag", d->fileName, NULL);
    return t;
}

static int seek_key(DATA4* d, TAG4* t, const unsigned char* key, size_t len)
{
    int rc = cb4_flush_record(d);
    if (rc < 0)
        return rc;
    int exact = 0;
    dbf_status st = dbf_mdx_seek(t->cursor, key, len, 0, &exact);
    rc = follow(d, t, st, r4eof);
    return rc != r4success ? rc : exact ? r4success : r4after;
}

/* A number or date key from a double. */
static size_t number_key(TAG4* t, double value, unsigned char* key)
{
    if (dbf_mdx_tag(t->index->file, t->number)->key_type == 'D') {
        dbf_mdx_date_key(value, key);
        return 8;
    }
    dbf_mdx_number_key(value, key);
    return 12;
}

int d4seek_n(DATA4* d, const char* text, int len)
{
    if (!d || !text || len < 0)
        return cb4_fail(d, e4parm, "d4seek");
    TAG4* t = seek_tag(d);
    if (!t)
        return e4tagName;
    char type = dbf_mdx_tag(t->index->file, t->number)->key_type;
    unsigned char key[DBF_MDX_MAX_KEY];
    if (type == 'C') {
        int max = expr4key_len(t->expr);
        return seek_key(d, t, (const unsigned char*)text, (size_t)(len < max ? len : max));
    }
    char tmp[64];
    size_t n = (size_t)len < sizeof tmp - 1 ? (size_t)len : sizeof tmp - 1;
    memcpy(tmp, text, n);
    tmp[n] = '\0';
    double value = type == 'D' && n == 8 ? (double)dbf_julian_from_text(tmp) : strtod(tmp, NULL);
    return seek_key(d, t, key, number_key(t, value, key));
}

int d4seek(DATA4* d, const char* key) { return d4seek_n(d, key, key ? (int)strlen(key) : -1); }

int d4seek_double(DATA4* d, double value)
{
    if (!d)
        return e4parm;
    TAG4* t = seek_tag(d);
    if (!t)
        return e4tagName;
    if (dbf_mdx_tag(t->index->file, t->number)->key_type == 'C')
        return cb4_fail(d, e4parm, "d4seek_double: a character tag");
    unsigned char key[12];
    return seek_key(d, t, key, number_key(t, value, key));
}

/* ---- a tag's own cursor ---- */

static int cursor_result(TAG4* t, dbf_status st)
{
    t->recNo = st == DBF_OK ? (long)dbf_mdx_recno(t->cursor) : 0;
    return st == DBF_OK ? r4success : st == DBF_E_RANGE ? r4eof : tag_error(t, st, "tag");
}

int t4top(TAG4* t) { return t ? cursor_result(t, dbf_mdx_first(t->cursor)) : e4parm; }
int t4bottom(TAG4* t) { return t ? cursor_result(t, dbf_mdx_last(t->cursor)) : e4parm; }
int t4eof(TAG4* t) { return t ? !dbf_mdx_valid(t->cursor) : e4parm; }
long t4recno(TAG4* t) { return t && dbf_mdx_valid(t->cursor) ? (long)dbf_mdx_recno(t->cursor) : 0; }
char* t4key(TAG4* t) { return t ? (char*)dbf_mdx_key(t->cursor) : NULL; }
int t4unique(TAG4* t) { return t ? t->uniqueError : e4parm; }

int t4is_descending(TAG4* t)
{
    return t ? dbf_mdx_tag(t->index->file, t->number)->descending : e4parm;
}

long t4skip(TAG4* t, long n)
{
    if (!t || !dbf_mdx_valid(t->cursor))
        return 0;
    long moved = 0;
    for (; moved < n && dbf_mdx_next(t->cursor) == DBF_OK; moved++)
        ;
    for (; moved > n && dbf_mdx_prev(t->cursor) == DBF_OK; moved--)
        ;
    if (!dbf_mdx_valid(t->cursor))     /* stop on the last key, not past it */
        n > 0 ? dbf_mdx_last(t->cursor) : dbf_mdx_first(t->cursor);
    t->recNo = 0;
    return moved;
}

int t4seek(TAG4* t, const void* key, int len)
{
    if (!t || !key || len < 0)
        return e4parm;
    int exact = 0;
    int rc = cursor_result(t, dbf_mdx_seek(t->cursor, (const unsigned char*)key, (size_t)len, 0, &exact));
    return rc == r4success && !exact ? r4after : rc;
}

int t4go(TAG4* t, const char* key, long rec)
{
    if (!t || !key || rec < 1)
        return e4parm;
    int exact = 0;
    size_t len = (size_t)expr4key_len(t->expr);
    int rc = cursor_result(t, dbf_mdx_seek(t->cursor, (const unsigned char*)key, len, (uint32_t)rec, &exact));
    return rc == r4success && (!exact || t4recno(t) != rec) ? r4entry : rc;
}

double t4position(TAG4* t) { return t ? dbf_mdx_position(t->cursor) : 0.0; }

int t4position_set(TAG4* t, double pos)
{
    if (!t || !(pos >= 0.0 && pos <= 1.0))
        return e4parm;
    return cursor_result(t, dbf_mdx_position_set(t->cursor, pos));
}

/* The key of record rec as stored, or 0 when the filter leaves it out. */
static int stored_key(TAG4* t, long rec, unsigned char* key)
{
    DATA4* d = t->index->data;
    unsigned char* buf = (unsigned char*)malloc(dbf_record_length(d->table));
    int rc = buf ? cb4_status(d, dbf_read_stored(d->table, (uint32_t)rec, buf), "tag key") : e4memory;
    if (rc == r4success && t->filter)
        rc = cb4_true(t->filter, buf, (uint32_t)rec) == 1 ? r4success : r4entry;
    if (rc == r4success)
        rc = cb4_key(t->expr, buf, (uint32_t)rec, key) < 0 ? e4expr : r4success;
    free(buf);
    return rc;
}

int t4add(TAG4* t, const unsigned char* key, long rec)
{
    if (!t || !key || rec < 1)
        return e4parm;
    dbf_status st = dbf_mdx_insert(t->index->file, t->number, key, (uint32_t)rec);
    cb4_tags_moved(t->index->data);
    if (st == DBF_E_UNIQUE)
        return t->uniqueError == e4unique ? cb4_fail(t->index->data, e4unique, t->alias) : r4unique;
    return st == DBF_OK ? r4success : tag_error(t, st, "t4add");
}

int t4remove(TAG4* t, const char* key, long rec)
{
    if (!t || !key || rec < 1)
        return e4parm;
    dbf_status st = dbf_mdx_delete(t->index->file, t->number, (const unsigned char*)key, (uint32_t)rec);
    cb4_tags_moved(t->index->data);
    return st == DBF_OK ? r4success : st == DBF_E_RANGE ? r4entry : tag_error(t, st, "t4remove");
}

int t4add_calc(TAG4* t, long rec)
{
    unsigned char key[DBF_MDX_MAX_KEY];
    int rc = t ? stored_key(t, rec, key) : e4parm;
    return rc == r4success ? t4add(t, key, rec) : rc;
}

int t4remove_calc(TAG4* t, long rec)
{
    unsigned char key[DBF_MDX_MAX_KEY];
    int rc = t ? stored_key(t, rec, key) : e4parm;
    return rc == r4success ? t4remove(t, (const char*)key, rec) : rc;
}

int t4free_all(TAG4* t)
{
    if (!t)
        return e4parm;
    cb4_tags_moved(t->index->data);
    dbf_status st = dbf_mdx_build(t->index->file, t->number, NULL, 0);
    return st == DBF_OK ? r4success : tag_error(t, st, "t4free_all");
}

/* The page-level walk. The cursor leaves the key the table's record had,
 * so the table finds its place again before its next move in tag order. */
static int level_result(TAG4* t, dbf_status st)
{
    t->recNo = 0;
    return st == DBF_OK ? r4success : st == DBF_E_RANGE ? 1 : tag_error(t, st, "tag");
}

int t4down(TAG4* t) { return t ? level_result(t, dbf_mdx_down(t->cursor)) : e4parm; }
int t4up(TAG4* t) { return t ? level_result(t, dbf_mdx_up(t->cursor)) : e4parm; }

void t4up_to_root(TAG4* t)
{
    if (t)
        level_result(t, dbf_mdx_up_to_root(t->cursor));
}
