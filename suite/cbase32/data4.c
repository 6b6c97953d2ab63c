/* The context and table entry points: opening, creating, moving, changing. */
#include "cbase4.h"

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int d4init(CODE4* cb)
{
    if (!cb)
        return e4parm;
    memset(cb, 0, sizeof *cb);
    cb->safety = 1;
    cb->memoStyle = DBF_MEMO_DBASE3;
    cb->lockWait = 10000;
    cb->initialised = 1;
    return r4success;
}

int d4close_all(CODE4* cb)
{
    int result = r4success;
    while (cb && cb->dataList) {
        int rc = d4close(cb->dataList);
        if (rc < 0 && result == r4success)
            result = rc;
    }
    return result;
}

int d4init_undo(CODE4* cb)
{
    int rc = d4close_all(cb);
    expr4calc_reset(cb);
    if (cb)
        cb->initialised = 0;
    return rc;
}

void e4exit(CODE4* cb)
{
    d4init_undo(cb);
    exit(1);
}

void e4exit_test(CODE4* cb)
{
    if (cb && cb->errorCode < 0)
        e4exit(cb);
}

DATA4* d4data(CODE4* cb, const char* alias)
{
    for (DATA4* d = cb ? cb->dataList : NULL; d && alias; d = d->next) {
        const char* a = d->alias;
        const char* b = alias;
        while (*a && toupper((unsigned char)*a) == toupper((unsigned char)*b))
            a++, b++;
        if (*a == '\0' && *b == '\0')
            return d;
    }
    return NULL;
}

int d4flush_files(CODE4* cb)
{
    int result = r4success;
    for (DATA4* d = cb ? cb->dataList : NULL; d; d = d->next) {
        int rc = d4flush(d);
        if (rc < 0 && result == r4success)
            result = rc;
    }
    return result;
}

/* Reads and writes are already buffered; there is nothing more to switch. */
int d4opt_start(CODE4* cb) { return r4success; }
int d4opt_suspend(CODE4* cb) { return r4success; }

/* ---- opening and creating ---- */

/* The table's path with .DBF when the name has no extension, and the memo
 * file's path beside it, in the same letter case. */
static int make_paths(const char* name, char* table, char* memo, size_t size)
{
    size_t len = strlen(name);
    const char* base = name;
    for (const char* p = name; *p; p++)
        if (*p == '/' || *p == '\\' || *p == ':')
            base = p + 1;
    const char* dot = strrchr(base, '.');
    int lower = dot ? islower((unsigned char)dot[1]) : 0;
    size_t stem = dot ? (size_t)(dot - name) : len;
    if (stem + 5 > size || len + 5 > size)
        return 0;
    if (dot)
        memcpy(table, name, len + 1);
    else
        snprintf(table, size, "%s.DBF", name);
    snprintf(memo, size, "%.*s%s", (int)stem, name, lower ? ".dbt" : ".DBT");
    return 1;
}

static void make_alias(DATA4* d)
{
    const char* base = d->fileName;
    for (const char* p = d->fileName; *p; p++)
        if (*p == '/' || *p == '\\' || *p == ':')
            base = p + 1;
    size_t i = 0;
    for (; base[i] && base[i] != '.' && i < sizeof d->alias - 1; i++)
        d->alias[i] = (char)toupper((unsigned char)base[i]);
    d->alias[i] = '\0';
}

static DATA4* attach(CODE4* cb, dbf_table* t, const char* path, int readOnly)
{
    DATA4* d = (DATA4*)calloc(1, sizeof *d);
    int n = dbf_field_count(t);
    FIELD4* fields = d ? (FIELD4*)calloc((size_t)n, sizeof *fields) : NULL;
    if (!fields) {
        free(d);
        dbf_close(t);
        e4describe(cb, e4memory, "d4open", path, NULL);
        return NULL;
    }
    d->code4 = cb;
    d->table = t;
    d->readOnly = readOnly;
    d->numFields = n;
    d->fields = fields;
    snprintf(d->fileName, sizeof d->fileName, "%s", path);
    make_alias(d);
    for (int i = 0; i < n; i++) {
        const dbf_field* f = dbf_field_at(t, i);
        fields[i].data = d;
        fields[i].number = i;
        memcpy(fields[i].name, f->def.name, sizeof fields[i].name);
        fields[i].type = f->def.type;
        fields[i].len = f->def.len;
        fields[i].dec = f->def.dec;
        fields[i].memoRecNo = -1;
    }
    d->next = cb->dataList;
    cb->dataList = d;
    d4top(d);
    return d;
}

DATA4* d4open(CODE4* cb, const char* name)
{
    char path[260], memo_path[260];
    if (!cb || !name || !make_paths(name, path, memo_path, sizeof path)) {
        e4describe(cb, e4parm, "d4open", name, NULL);
        return NULL;
    }
    int readOnly = cb->readOnly;
    dbf_io io, memo;
    if (readOnly || dbf_io_file(&io, path, 'w') != DBF_OK) {
        readOnly = 1;
        if (dbf_io_file(&io, path, 'r') != DBF_OK) {
            e4describe(cb, e4open, "d4open", path, NULL);
            return NULL;
        }
    }
    /* The memo file is opened only when the table has memo fields; without
     * it the table is still usable, and memo access reports e4memo. */
    int with_memo = dbf_io_file(&memo, memo_path, readOnly ? 'r' : 'w') == DBF_OK ||
                    (!readOnly && dbf_io_file(&memo, memo_path, 'r') == DBF_OK);
    dbf_table* t;
    dbf_status st = dbf_open(&t, &io, with_memo ? &memo : NULL);
    if (st != DBF_OK) {
        e4describe(cb, st == DBF_E_NOMEM ? e4memory : e4data, "d4open", path, NULL);
        return NULL;
    }
    DATA4* d = attach(cb, t, path, readOnly);
    /* A damaged or stale index is reported; the table stays readable,
     * and is not written until the index is rebuilt or made anew. */
    if (d) {
        /* A pack another program left half-done is finished first. */
        if (cb4_compact_finish(d) != r4success)
            d->readOnly = 1;
        cb4_index_open(d);
        d4top(d);
    }
    return d;
}

DATA4* d4create(CODE4* cb, const char* name, const FIELD4INFO* info, const TAG4INFO* tags)
{
    char path[260], memo_path[260];
    if (!cb || !name || !info || !make_paths(name, path, memo_path, sizeof path)) {
        e4describe(cb, e4parm, "d4create", name, NULL);
        return NULL;
    }
    int count = 0, memo_fields = 0;
    while (info[count].name)
        count++;
    dbf_field_def* defs = (dbf_field_def*)calloc(count ? (size_t)count : 1, sizeof *defs);
    if (!defs) {
        e4describe(cb, e4memory, "d4create", path, NULL);
        return NULL;
    }
    for (int i = 0; i < count; i++) {
        for (size_t k = 0; k < 10 && info[i].name[k]; k++)
            defs[i].name[k] = (char)toupper((unsigned char)info[i].name[k]);
        defs[i].type = (char)toupper(info[i].type);
        int len = info[i].len;
        switch (defs[i].type) {       /* these types have one width in dBASE */
        case 'D': len = 8; break;
        case 'L': len = 1; break;
        case 'M': len = 10; memo_fields++; break;
        }
        defs[i].len = (unsigned char)(len > 0 && len < 256 ? len : 0);
        defs[i].dec = (unsigned char)(info[i].dec > 0 && info[i].dec < 256 ? info[i].dec : 0);
    }
    FILE* existing = cb->safety ? fopen(path, "rb") : NULL;
    if (existing) {
        fclose(existing);
        free(defs);
        e4describe(cb, e4create, "d4create", "file exists", path);
        return NULL;
    }
    dbf_io io, memo;
    if (dbf_io_file(&io, path, 'c') != DBF_OK) {
        free(defs);
        e4describe(cb, e4create, "d4create", path, NULL);
        return NULL;
    }
    if (memo_fields && dbf_io_file(&memo, memo_path, 'c') != DBF_OK) {
        io.close(io.ctx);
        free(defs);
        e4describe(cb, e4create, "d4create", memo_path, NULL);
        return NULL;
    }
    dbf_table* t;
    dbf_status st = dbf_create(&t, &io, memo_fields ? &memo : NULL, defs, count,
                               cb->memoStyle == 4 ? DBF_MEMO_DBASE4 : DBF_MEMO_DBASE3);
    free(defs);
    if (st != DBF_OK) {
        e4describe(cb, st == DBF_E_ARG ? e4parm : e4create, "d4create", path, NULL);
        return NULL;
    }
    DATA4* d = attach(cb, t, path, 0);
    if (d && tags && tags->name && !i4create(d, NULL, tags)) {
        d4close(d);
        remove(path);
        return NULL;
    }
    return d;
}

int d4close(DATA4* d)
{
    if (!d)
        return e4parm;
    int rc = cb4_flush_record(d);
    cb4_index_close_all(d);
    int unlocked = d4unlock(d);
    if (rc == r4success && unlocked < 0)
        rc = unlocked;
    dbf_status st = dbf_close(d->table);
    if (rc == r4success && st != DBF_OK)
        rc = cb4_status(d, st, "d4close");
    for (DATA4** p = &d->code4->dataList; *p; p = &(*p)->next)
        if (*p == d) {
            *p = d->next;
            break;
        }
    for (int i = 0; i < d->numFields; i++)
        free(d->fields[i].memo);
    free(d->fields);
    free(d->text);
    free(d->oldRecord);
    free(d->lockedRecs);
    free(d);
    return rc;
}

int d4flush(DATA4* d)
{
    if (!d)
        return e4parm;
    int rc = cb4_flush_record(d);
    if (rc < 0)
        return rc;
    int flushed = cb4_status(d, dbf_flush(d->table), "d4flush");
    int keys = d->readOnly ? r4success : cb4_index_write(d);
    if (flushed == r4success)
        flushed = keys;
    return flushed != r4success ? flushed : rc;     /* r4unique: a key was left out */
}

int d4flush_data(DATA4* d) { return d4flush(d); }

const char* d4alias(DATA4* d) { return d ? d->alias : ""; }

void d4alias_set(DATA4* d, const char* alias)
{
    if (d && alias)
        snprintf(d->alias, sizeof d->alias, "%s", alias);
}

int d4num_fields(DATA4* d) { return d ? d->numFields : e4parm; }

FIELD4* d4field(DATA4* d, const char* name)
{
    int i = d ? dbf_field_index(d->table, name) : -1;
    if (i < 0) {
        cb4_fail(d, e4fieldName, name);
        return NULL;
    }
    return &d->fields[i];
}

FIELD4* d4field_j(DATA4* d, int j)
{
    if (!d || j < 1 || j > d->numFields) {
        cb4_fail(d, e4parm, "d4field_j");
        return NULL;
    }
    return &d->fields[j - 1];
}

int d4field_number(DATA4* d, const char* name)
{
    int i = d ? dbf_field_index(d->table, name) : -1;
    return i < 0 ? cb4_fail(d, e4fieldName, name) : i + 1;
}

unsigned d4record_width(DATA4* d) { return d ? dbf_record_length(d->table) : 0; }
char* d4record(DATA4* d) { return d ? (char*)dbf_record(d->table) : NULL; }

long d4record_position(DATA4* d, long rec)
{
    if (!d || rec < 1)
        return e4parm;
    return (long)dbf_header_length(d->table) + (rec - 1) * (long)dbf_record_length(d->table);
}
