/* Index files: the production .MDX of a table, its tags, building their
 * keys, and keeping them current as records are written. */
#include "cbase4.h"
#include "dbf_mdx.h"

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* The file's name without its folder, in the spellings of both systems. */
static const char* base_name(const char* path)
{
    const char* base = path;
    for (const char* p = path; *p; p++)
        if (*p == '/' || *p == '\\' || *p == ':')
            base = p + 1;
    return base;
}

/* The .MDX beside the table (or name with .MDX when it has no extension),
 * in the letter case of the table's extension. */
static void index_path(DATA4* d, const char* name, char* out, size_t size)
{
    const char* from = name ? name : d->fileName;
    const char* dot = strrchr(base_name(from), '.');
    if (name && dot) {
        snprintf(out, size, "%s", name);
        return;
    }
    int lower = dot && islower((unsigned char)dot[1]);
    int stem = dot ? (int)(dot - from) : (int)strlen(from);
    snprintf(out, size, "%.*s%s", stem, from, lower ? ".mdx" : ".MDX");
}

static void free_tag(TAG4* t)
{
    if (t->index && t->index->data && t->index->data->tagSelected == t)
        t->index->data->tagSelected = NULL;
    expr4free(t->expr);
    expr4free(t->filter);
    dbf_mdx_cursor_free(t->cursor);
    free(t);
}

static void free_index(INDEX4* i)
{
    while (i->tags) {
        TAG4* t = i->tags;
        i->tags = t->next;
        free_tag(t);
    }
    dbf_mdx_close(i->file);
    free(i);
}

/* TAG4INFO.unique and the rule the file keeps for it, so that a tag
 * opened again treats duplicates as it did when it was created. */
static const struct { int uniqueError, rule; } unique_rules[] = {
    {e4unique, DBF_MDX_UNIQUE_REFUSE},
    {r4unique, DBF_MDX_UNIQUE_REPORT},
    {r4unique_continue, DBF_MDX_UNIQUE_SILENT},
};

static int unique_rule(int uniqueError)
{
    for (size_t k = 0; k < sizeof unique_rules / sizeof unique_rules[0]; k++)
        if (unique_rules[k].uniqueError == uniqueError)
            return unique_rules[k].rule;
    return uniqueError ? DBF_MDX_UNIQUE_SILENT : 0;
}

static int unique_error(int rule)
{
    for (size_t k = 0; k < sizeof unique_rules / sizeof unique_rules[0]; k++)
        if (unique_rules[k].rule == rule)
            return unique_rules[k].uniqueError;
    return 0;
}

/* A TAG4 for tag k of the file, with its expressions compiled. */
/* How a tag stores the keys of an expression. */
static void stored_form(EXPR4* e, char* type, unsigned* len)
{
    int t = expr4type(e);
    *type = t == 'N' || t == 'D' ? (char)t : 'C';
    *len = (unsigned)expr4key_len(e);
}

/* A tag written for other fields (or by a program that forms keys
 * otherwise) holds keys of another type or width than its expression
 * gives: reading or writing them would run past the keys. */
static int form_fits(const dbf_mdx_tag_info* info, EXPR4* e)
{
    char type;
    unsigned len;
    stored_form(e, &type, &len);
    return type == info->key_type && len == info->key_len;
}

static TAG4* make_tag(INDEX4* i, int k)
{
    const dbf_mdx_tag_info* info = dbf_mdx_tag(i->file, k);
    TAG4* t = (TAG4*)calloc(1, sizeof *t);
    if (!t) {
        cb4_fail(i->data, e4memory, "tag");
        return NULL;
    }
    t->index = i;
    t->number = k;
    t->uniqueError = unique_error(info->unique);
    memcpy(t->alias, info->name, sizeof t->alias);
    t->expr = expr4parse(i->data, info->expression);
    if (info->filter[0] && t->expr)
        t->filter = expr4parse(i->data, info->filter);
    int fits = t->expr && form_fits(info, t->expr);
    if (!fits || (info->filter[0] && !t->filter) || dbf_mdx_cursor_new(i->file, k, &t->cursor) != DBF_OK) {
        e4describe(i->data->code4, e4index, t->expr && !fits ? "tag key does not fit its expression" : "tag expression",
                   info->name, i->fileName);
        free_tag(t);
        return NULL;
    }
    return t;
}

static TAG4** tail_of(INDEX4* i)
{
    TAG4** p = &i->tags;
    while (*p)
        p = &(*p)->next;
    return p;
}

static int attach_tags(INDEX4* i)
{
    TAG4** tail = tail_of(i);
    for (int k = 0; k < dbf_mdx_tag_count(i->file); k++) {
        TAG4* t = make_tag(i, k);
        if (!t)
            return e4index;
        *tail = t;
        tail = &t->next;
    }
    return r4success;
}

static INDEX4* new_index(DATA4* d, const char* path, dbf_mdx* file)
{
    INDEX4* i = (INDEX4*)calloc(1, sizeof *i);
    if (!i) {
        dbf_mdx_close(file);
        cb4_fail(d, e4memory, "index");
        return NULL;
    }
    i->data = d;
    i->file = file;
    dbf_mdx_set_code_page(file, dbf_code_page(d->table));
    snprintf(i->fileName, sizeof i->fileName, "%s", path);
    return i;
}

static void link_index(DATA4* d, INDEX4* i)
{
    INDEX4** p = &d->indexes;
    while (*p)
        p = &(*p)->next;
    *p = i;
}

INDEX4* i4open(DATA4* d, const char* name)
{
    if (!d) {
        cb4_fail(d, e4parm, "i4open");
        return NULL;
    }
    char path[260];
    index_path(d, name, path, sizeof path);
    /* A second INDEX4 of the same file would cache pages of its own, and
     * whichever wrote last would put back keys the other had changed. */
    for (INDEX4* had = d->indexes; had; had = had->next)
        if (dbf_same_file(had->fileName, path)) {
            e4describe(d->code4, e4instance, "i4open: the table has this index open already", path, NULL);
            return NULL;
        }
    dbf_io io;
    if (dbf_io_file(&io, path, d->readOnly ? 'r' : 'w') != DBF_OK) {
        /* An index we may only read makes the table one we may only read. */
        if (d->readOnly || dbf_io_file(&io, path, 'r') != DBF_OK) {
            e4describe(d->code4, e4open, "i4open", path, NULL);
            return NULL;
        }
        d->readOnly = 1;
        e4describe(d->code4, e4readOnly, "i4open: the index is read only, so is the table", path, NULL);
    }
    dbf_mdx* file;
    dbf_status st = dbf_mdx_open(&file, &io);
    if (st != DBF_OK) {
        cb4_index_error(d, st, "i4open");
        return NULL;
    }
    INDEX4* i = new_index(d, path, file);
    if (!i)
        return NULL;
    i->isProduction = name == NULL;
    if (attach_tags(i) != r4success) {
        free_index(i);
        return NULL;
    }
    link_index(d, i);
    return i;
}

int cb4_index_open(DATA4* d)
{
    if (!dbf_production_index(d->table))
        return r4success;
    /* Read under the index lock, so not while another program rebuilds
     * it; records are not written while their keys cannot be kept. A file
     * open only for reading takes no locks. */
    int lock = d->readOnly ? e4readOnly : cb4_lock_index(d, DBF_LOCK_WAIT);
    INDEX4* opened = i4open(d, NULL);
    dbf_index_seen(d->table);
    int rc = opened ? cb4_index_check_mark(d, lock) : e4index;
    if (lock == r4success)
        cb4_unlock_index(d);
    if (!opened) {
        d->indexState = DATA4_INDEX_UNREADABLE;
        return e4describe(d->code4, e4index, "the production index cannot be read; records are not written",
                          d->fileName, NULL);
    }
    return rc;
}

void cb4_index_close_all(DATA4* d)
{
    while (d->indexes)
        i4close(d->indexes);
}

int i4close(INDEX4* i)
{
    if (!i)
        return e4parm;
    DATA4* d = i->data;
    int rc = cb4_flush_record(d);
    for (INDEX4** p = &d->indexes; *p; p = &(*p)->next)
        if (*p == i) {
            *p = i->next;
            break;
        }
    dbf_mdx* file = i->file;
    i->file = NULL;
    dbf_status st = dbf_mdx_close(file);
    free_index(i);
    return rc < 0 ? rc : st != DBF_OK ? cb4_index_error(d, st, "i4close") : r4success;
}

/* ---- building keys ---- */

typedef struct build {
    TAG4* tag;
    unsigned char* keys;
    dbf_mdx_entry* entries;
    size_t count;
    int len;
} build;

/* Computes the keys of every record for the tags from first on and builds
 * their trees, which must be empty. */
static int build_tags(INDEX4* i, TAG4* first)
{
    DATA4* d = i->data;
    int rc = r4success;
    size_t records = (size_t)dbf_record_count(d->table), tags = 0;
    for (TAG4* t = first; t; t = t->next)
        tags++;
    build* b = (build*)calloc(tags ? tags : 1, sizeof *b);
    if (!b)
        return cb4_fail(d, e4memory, "reindex");
    size_t k = 0;
    for (TAG4* t = first; t; t = t->next, k++) {
        b[k].tag = t;
        b[k].len = expr4key_len(t->expr);
        /* A 32-bit size_t overflows long before the record count does. */
        if (b[k].len < 1 || records > (SIZE_MAX - 1) / (size_t)b[k].len
            || records >= SIZE_MAX / sizeof(dbf_mdx_entry) - 1) {
            rc = cb4_fail(d, e4memory, "reindex");
            break;
        }
        b[k].keys = (unsigned char*)malloc(records * (size_t)b[k].len + 1);
        b[k].entries = (dbf_mdx_entry*)malloc((records + 1) * sizeof *b[k].entries);
        if (!b[k].keys || !b[k].entries)
            rc = cb4_fail(d, e4memory, "reindex");
    }
    for (uint32_t n = 1; rc >= 0 && n <= records; n++) {
        dbf_status st = dbf_go(d->table, n);
        if (st != DBF_OK) {
            rc = cb4_status(d, st, "reindex");
            break;
        }
        const unsigned char* rec = dbf_record(d->table);
        for (k = 0; k < tags && rc >= 0; k++) {
            build* t = &b[k];
            if (t->tag->filter && (rc = cb4_true(t->tag->filter, rec, n)) <= 0)
                continue;
            unsigned char* key = t->keys + t->count * (size_t)t->len;
            if ((rc = cb4_key(t->tag->expr, rec, n, key)) < 0)
                break;
            t->entries[t->count].key = key;
            t->entries[t->count++].rec = n;
        }
    }
    for (k = 0; k < tags; k++) {
        if (rc >= 0) {
            dbf_status st = dbf_mdx_build(i->file, b[k].tag->number, b[k].entries, b[k].count);
            if (st != DBF_OK)
                rc = cb4_index_error(d, st, "reindex");
        }
        free(b[k].keys);
        free(b[k].entries);
    }
    free(b);
    /* Back to the record the table was on. */
    dbf_status st = d->eof || d->recNo < 1 || d->recNo > (long)dbf_record_count(d->table)
                        ? dbf_unload(d->table, 0) : dbf_go(d->table, (uint32_t)d->recNo);
    if (rc >= 0 && st != DBF_OK)
        rc = cb4_status(d, st, "reindex");
    cb4_tags_moved(d);
    if (rc >= 0 && (st = dbf_mdx_flush(i->file)) != DBF_OK)
        rc = cb4_index_error(d, st, "reindex");
    return rc < 0 ? rc : r4success;
}

/* The tag's stored form of an expression's result type. */
static int describe_tag(DATA4* d, const TAG4INFO* info, dbf_mdx_tag_info* out)
{
    memset(out, 0, sizeof *out);
    if (!info->name || !info->expression || strlen(info->expression) > DBF_MDX_MAX_EXPR ||
        (info->filter && strlen(info->filter) > DBF_MDX_MAX_EXPR))
        return cb4_fail(d, e4parm, "tag: name or expression");
    EXPR4* e = expr4parse(d, info->expression);
    EXPR4* f = info->filter && *info->filter ? expr4parse(d, info->filter) : NULL;
    int rc = r4success;
    if (!e || (info->filter && *info->filter && !f))
        rc = e4expr;
    else if (f && expr4type(f) != 'L')
        rc = e4describe(d->code4, e4expr, "tag filter is not logical", info->filter, NULL);
    if (rc == r4success)
        stored_form(e, &out->key_type, &out->key_len);
    expr4free(e);
    expr4free(f);
    if (rc != r4success)
        return rc;
    for (size_t k = 0; k < 10 && info->name[k]; k++)
        out->name[k] = (char)toupper((unsigned char)info->name[k]);
    out->descending = info->descending != 0;
    out->unique = unique_rule(info->unique);
    strcpy(out->expression, info->expression);
    if (info->filter)
        strcpy(out->filter, info->filter);
    return r4success;
}

static int add_tags(INDEX4* i, const TAG4INFO* tags)
{
    DATA4* d = i->data;
    int from = dbf_mdx_tag_count(i->file), taken = 0;
    int rc = d->indexState ? r4success : cb4_flush_record(d);
    if (rc == r4success)
        rc = cb4_own_lock(d, 1, &taken);
    if (rc == r4success)
        rc = cb4_index_begin(d, 1);
    TAG4** tail = tail_of(i);
    TAG4* first = NULL;
    for (const TAG4INFO* t = tags; rc == r4success && t && t->name; t++) {
        dbf_mdx_tag_info info;
        if ((rc = describe_tag(d, t, &info)) != r4success)
            break;
        dbf_status st = dbf_mdx_add_tag(i->file, &info);
        if (st == DBF_E_ARG)
            rc = e4describe(d->code4, e4tagName, "tag exists or too many tags", t->name, NULL);
        else if (st != DBF_OK)
            rc = cb4_index_error(d, st, "i4add_tag");
        TAG4* made = rc == r4success ? make_tag(i, from++) : NULL;
        if (rc == r4success && !made)
            rc = e4index;
        if (made) {
            *tail = made;
            tail = &made->next;
            if (!first)
                first = made;
        }
    }
    if (first) {
        int built = build_tags(i, first);
        if (rc == r4success)
            rc = built;
    }
    if (rc == r4success)
        rc = cb4_index_write(d);
    cb4_index_end(d);
    cb4_own_unlock(d, 1, taken);
    return rc;
}

static INDEX4* create_index(DATA4* d, const char* name, const TAG4INFO* tags)
{
    char path[260];
    index_path(d, name, path, sizeof path);
    int production = !name;
    for (INDEX4* i = d->indexes; i; i = i->next)
        if (strcmp(i->fileName, path) == 0 || dbf_same_file(i->fileName, path)) {
            i4close(i);
            break;
        }
    dbf_io io;
    dbf_mdx* file;
    if (dbf_io_file(&io, path, 'c') != DBF_OK) {
        e4describe(d->code4, e4create, "i4create", path, NULL);
        return NULL;
    }
    char stem[17] = "";
    const char* base = base_name(path);
    for (size_t k = 0; k < 16 && base[k] && base[k] != '.'; k++)
        stem[k] = base[k];
    dbf_status st = dbf_mdx_create(&file, &io, stem);
    if (st != DBF_OK) {
        cb4_index_error(d, st, "i4create");
        return NULL;
    }
    INDEX4* i = new_index(d, path, file);
    if (!i)
        return NULL;
    i->isProduction = production;
    link_index(d, i);
    if (add_tags(i, tags) < 0) {
        i4close(i);
        remove(path);
        return NULL;
    }
    if (production && dbf_set_production_index(d->table, 1) != DBF_OK)
        cb4_fail(d, e4write, "i4create");
    if (production && d->indexState) {      /* a new index replaces the one we could not use */
        d->indexState = 0;
        cb4_index_write(d);
    }
    return i;
}


INDEX4* i4create(DATA4* d, const char* name, const TAG4INFO* tags)
{
    if (!d || d->readOnly) {
        cb4_fail(d, d ? e4readOnly : e4parm, "i4create");
        return NULL;
    }
    int taken = 0;
    if (cb4_own_lock(d, 1, &taken) != r4success)
        return NULL;
    INDEX4* made = create_index(d, name, tags);
    cb4_own_unlock(d, 1, taken);
    return made;
}

int i4add_tag(INDEX4* i, const TAG4INFO* tags)
{
    if (!i || !tags)
        return e4parm;
    if (i->data->readOnly)
        return cb4_fail(i->data, e4readOnly, "i4add_tag");
    return add_tags(i, tags);
}

int i4tag_remove(INDEX4* i, const char* name)
{
    if (!i || !name)
        return e4parm;
    int k = dbf_mdx_find_tag(i->file, name);
    if (k < 0)
        return e4describe(i->data->code4, e4tagName, "i4tag_remove", name, NULL);
    dbf_status st = dbf_mdx_remove_tag(i->file, k);
    if (st != DBF_OK)
        return cb4_index_error(i->data, st, "i4tag_remove");
    for (TAG4** p = &i->tags; *p;) {
        TAG4* t = *p;
        if (t->number == k) {
            *p = t->next;
            free_tag(t);
            continue;
        }
        if (t->number > k) {        /* its cursor follows the tag's new place */
            t->number--;
            dbf_mdx_cursor_free(t->cursor);
            t->cursor = NULL;
            dbf_mdx_cursor_new(i->file, t->number, &t->cursor);
        }
        p = &t->next;
    }
    return st == DBF_OK ? r4success : cb4_index_error(i->data, st, "i4tag_remove");
}

int i4reindex(INDEX4* i)
{
    if (!i)
        return e4parm;
    DATA4* d = i->data;
    if (d->readOnly)
        return cb4_fail(d, e4readOnly, "i4reindex");
    /* A change refused while the index is stale waits for the rebuild. */
    int rc = d->indexState ? r4success : cb4_flush_record(d), taken = 0;
    if (rc == r4success)
        rc = cb4_own_lock(d, 1, &taken);
    if (rc == r4success)
        rc = cb4_index_begin(d, 1);
    if (rc == r4success) {
        dbf_status st = dbf_mdx_clear(i->file);
        rc = st == DBF_OK ? build_tags(i, i->tags) : cb4_index_error(d, st, "i4reindex");
    }
    if (rc == r4success)
        rc = cb4_index_write(d);
    cb4_index_end(d);
    cb4_own_unlock(d, 1, taken);
    return rc;
}

int i4is_production(INDEX4* i) { return i ? i->isProduction : e4parm; }

TAG4* i4tag(INDEX4* i, const char* name)
{
    for (TAG4* t = i ? i->tags : NULL; t && name; t = t->next) {
        size_t k = 0;
        while (t->alias[k] && t->alias[k] == toupper((unsigned char)name[k]))
            k++;
        if (!t->alias[k] && !name[k])
            return t;
    }
    if (i)
        e4describe(i->data->code4, e4tagName, "i4tag", name, NULL);
    return NULL;
}

/* ---- the table's calls ---- */

INDEX4* d4index(DATA4* d, const char* name)
{
    if (!d)
        return NULL;
    if (!name)
        return d->indexes;
    char path[260];
    index_path(d, name, path, sizeof path);
    for (INDEX4* i = d->indexes; i; i = i->next) {
        const char* a = i->fileName;
        const char* b = path;
        while (*a && toupper((unsigned char)*a) == toupper((unsigned char)*b))
            a++, b++;
        if (!*a && !*b)
            return i;
    }
    return NULL;
}

TAG4* d4tag(DATA4* d, const char* name)
{
    if (!d || !name) {
        cb4_fail(d, e4parm, "d4tag");
        return NULL;
    }
    int off = d->code4->errOff;
    d->code4->errOff = 1;        /* a miss in one index is no error yet */
    TAG4* found = NULL;
    for (INDEX4* i = d->indexes; i && !found; i = i->next)
        found = i4tag(i, name);
    d->code4->errOff = off;
    if (found)
        d->code4->errorCode = 0;
    else
        e4describe(d->code4, e4tagName, "d4tag", name, d->fileName);
    return found;
}

TAG4* d4tag_next(DATA4* d, TAG4* tag)
{
    if (!d)
        return NULL;
    if (!tag) {
        for (INDEX4* i = d->indexes; i; i = i->next)
            if (i->tags)
                return i->tags;
        return NULL;
    }
    if (tag->next)
        return tag->next;
    for (INDEX4* i = tag->index->next; i; i = i->next)
        if (i->tags)
            return i->tags;
    return NULL;
}

TAG4* d4tag_prev(DATA4* d, TAG4* tag)
{
    TAG4* prev = NULL;
    for (TAG4* t = d4tag_next(d, NULL); t && t != tag; t = d4tag_next(d, t))
        prev = t;
    return prev;
}

TAG4* d4tag_default(DATA4* d)
{
    return !d ? NULL : d->tagSelected ? d->tagSelected : d4tag_next(d, NULL);
}

TAG4* d4tag_selected(DATA4* d) { return d ? d->tagSelected : NULL; }

void d4tag_select(DATA4* d, TAG4* tag)
{
    if (d && (!tag || tag->index->data == d))
        d->tagSelected = tag;
}

int d4reindex(DATA4* d)
{
    if (!d)
        return e4parm;
    if (d->indexState == DATA4_INDEX_UNREADABLE)
        return e4describe(d->code4, e4index, "d4reindex: the production index cannot be read (i4create)",
                          d->fileName, NULL);
    int rc = r4success;
    for (INDEX4* i = d->indexes; i && rc == r4success; i = i->next)
        rc = i4reindex(i);
    if (rc == r4success && d->indexState == DATA4_INDEX_STALE) {
        d->indexState = 0;
        rc = cb4_index_write(d);
    }
    return rc;
}

int cb4_index_rebuild(DATA4* d) { return d->indexes ? d4reindex(d) : r4success; }

int d4write_keys(DATA4* d)
{
    if (!d)
        return e4parm;
    int rc = cb4_flush_record(d);
    int written = cb4_index_write(d);
    return rc < 0 ? rc : written < 0 ? written : r4success;
}

/* Every tag against the table: each key belongs to an existing record that
 * passes the filter and has that key, and (tags that keep duplicates)
 * every such record has its key. */
int d4check(DATA4* d)
{
    if (!d)
        return e4parm;
    int rc = cb4_flush_record(d);
    unsigned char* rec = (unsigned char*)malloc(dbf_record_length(d->table));
    uint32_t records = dbf_record_count(d->table);
    for (INDEX4* i = d->indexes; i && rc >= 0 && rec; i = i->next)
        for (TAG4* t = i->tags; t && rc >= 0; t = t->next) {
            uint32_t keys = 0, expected = 0;
            dbf_status st = dbf_mdx_first(t->cursor);
            for (; st == DBF_OK && rc >= 0; st = dbf_mdx_next(t->cursor), keys++) {
                uint32_t n = dbf_mdx_recno(t->cursor);
                unsigned char key[DBF_MDX_MAX_KEY];
                if (n < 1 || n > records || dbf_read_stored(d->table, n, rec) != DBF_OK ||
                    (t->filter && cb4_true(t->filter, rec, n) != 1) ||
                    cb4_key(t->expr, rec, n, key) < 0 ||
                    memcmp(key, dbf_mdx_key(t->cursor), (size_t)expr4key_len(t->expr)) != 0)
                    rc = e4describe(d->code4, e4index, "tag disagrees with its table", t->alias, d->fileName);
            }
            if (rc >= 0 && st != DBF_E_RANGE)
                rc = cb4_index_error(d, st, "d4check");
            for (uint32_t n = 1; rc >= 0 && !t->uniqueError && n <= records; n++)
                if (dbf_read_stored(d->table, n, rec) == DBF_OK && (!t->filter || cb4_true(t->filter, rec, n) == 1))
                    expected++;
            if (rc >= 0 && !t->uniqueError && !dbf_mdx_tag(i->file, t->number)->unique && keys != expected)
                rc = e4describe(d->code4, e4index, "tag misses records", t->alias, d->fileName);
            t->recNo = 0;
        }
    free(rec);
    return rc < 0 ? rc : r4success;
}
