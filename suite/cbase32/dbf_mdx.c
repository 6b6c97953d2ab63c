/* dBASE IV .MDX files: the file header and tag table, tag headers, and the
 * B-trees with their cursors. See dbf_mdx.h for the layout. */
#include "dbf_mdx.h"
#include "dbf_internal.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#define PAGE 512u
#define HEADER_PAGES 4u             /* file header and tag table */
#define TAG_TABLE 544u
#define TAG_ENTRY 32u
#define MAX_LEVELS 32               /* deeper is a loop, not a tree */
#define NEW_BLOCK 1024u

#define FLAG_DESCENDING 0x08
#define FLAG_UNIQUE 0x40
/* A reserved byte of the tag header, where this engine keeps a unique
 * tag's rule less DBF_MDX_UNIQUE_SILENT: 0, as dBASE leaves it, is the
 * silent rule dBASE follows. */
#define UNIQUE_RULE 20

typedef struct tag {
    dbf_mdx_tag_info info;
    uint32_t header_page;
    uint32_t root;
    unsigned item;                  /* bytes of one entry */
    unsigned max_keys;              /* keys this engine puts in a node */
    int code_page;                  /* C keys compare in its collation */
} tag;

struct dbf_mdx {
    dbf_io io;
    unsigned char header[HEADER_PAGES * PAGE];
    int header_dirty;
    unsigned block;                 /* bytes of a node */
    uint32_t pages;                 /* pages in the file */
    tag tags[DBF_MDX_MAX_TAGS];
    int tag_count;
    int code_page;
    unsigned char** cache;          /* a node's block by its first page */
    unsigned char* dirty;
    size_t cache_size;
};

typedef struct step {
    uint32_t page;
    int idx;
} step;

struct dbf_mdx_cursor {
    dbf_mdx* m;
    int tag;
    int depth;                      /* level of the leaf in path */
    int level;                      /* the level looked at: depth, or above it */
    int valid;
    step path[MAX_LEVELS];
};

/* ---- key forms ---- */

/* dBASE's numeric keys: byte 0 is 0x34 plus the number of digits before
 * the point, byte 1 the count of digits times four, with 0x80 for a
 * negative number, then up to 20 packed BCD digits. */
void dbf_mdx_number_key(double value, unsigned char key[12])
{
    memset(key, 0, 12);
    /* Past what the exponent byte holds: the largest magnitude it can. */
    if (isfinite(value) && fabs(value) >= 1e60)
        value = value < 0 ? -9.99999999999999e59 : 9.99999999999999e59;
    if (!isfinite(value) || value == 0.0 || fabs(value) < 1e-40) {
        key[0] = 0x34;
        key[1] = 0x04;
        return;
    }
    char text[40];
    snprintf(text, sizeof text, "%.15e", fabs(value));     /* d.ddddddddddddddde+XX */
    char digits[20];
    int n = 0;
    for (const char* p = text; *p && *p != 'e'; p++)
        if (*p >= '0' && *p <= '9')
            digits[n++] = (char)(*p - '0');
    while (n > 1 && digits[n - 1] == 0)
        n--;
    int exponent = atoi(strchr(text, 'e') + 1) + 1;
    key[0] = (unsigned char)(0x34 + exponent);
    key[1] = (unsigned char)(n << 2 | (value < 0 ? 0x80 : 0));
    for (int i = 0; i < n; i++)
        key[2 + i / 2] |= (unsigned char)(i % 2 ? digits[i] : digits[i] << 4);
}

double dbf_mdx_number_of_key(const unsigned char key[12])
{
    int n = (key[1] & 0x7C) >> 2;
    double v = 0;
    for (int i = 0; i < n && i < 20; i++)
        v = v * 10 + ((key[2 + i / 2] >> (i % 2 ? 0 : 4)) & 0x0F);
    v *= pow(10.0, (int)key[0] - 0x34 - n);
    return key[1] & 0x80 ? -v : v;
}

void dbf_mdx_date_key(double julian, unsigned char key[8])
{
    uint64_t bits;
    memcpy(&bits, &julian, 8);
    for (int i = 0; i < 8; i++)
        key[i] = (unsigned char)(bits >> (8 * i));
}

double dbf_mdx_date_of_key(const unsigned char key[8])
{
    uint64_t bits = 0;
    for (int i = 0; i < 8; i++)
        bits |= (uint64_t)key[i] << (8 * i);
    double v;
    memcpy(&v, &bits, 8);
    return v;
}

static int compare_keys(const tag* t, const unsigned char* a, const unsigned char* b, size_t len)
{
    int c;
    if (t->info.key_type == 'N' || t->info.key_type == 'D') {
        double x = t->info.key_type == 'N' ? dbf_mdx_number_of_key(a) : dbf_mdx_date_of_key(a);
        double y = t->info.key_type == 'N' ? dbf_mdx_number_of_key(b) : dbf_mdx_date_of_key(b);
        c = x < y ? -1 : x > y;
    } else {
        c = dbf_text_compare(t->code_page, a, b, len < t->info.key_len ? len : t->info.key_len);
    }
    return t->info.descending ? -c : c;
}

/* ---- nodes ---- */

static uint32_t count_of(const unsigned char* b) { return dbf_le32(b); }
static unsigned char* entry(const tag* t, unsigned char* b, uint32_t i) { return b + 8 + (size_t)i * t->item; }
static uint32_t number_at(const tag* t, unsigned char* b, uint32_t i) { return dbf_le32(entry(t, b, i)); }
static unsigned char* key_at(const tag* t, unsigned char* b, uint32_t i) { return entry(t, b, i) + 4; }
static int is_leaf(const tag* t, unsigned char* b) { return number_at(t, b, count_of(b)) == 0; }

/* Grows the cache so that it has a slot for page. */
static dbf_status reserve(dbf_mdx* m, uint32_t page)
{
    if (page < m->cache_size)
        return DBF_OK;
    size_t size = m->cache_size ? m->cache_size : 64;
    while (size <= page)
        size *= 2;
    unsigned char** cache = (unsigned char**)realloc(m->cache, size * sizeof *cache);
    if (!cache)
        return DBF_E_NOMEM;
    m->cache = cache;
    unsigned char* dirty = (unsigned char*)realloc(m->dirty, size);
    if (!dirty)
        return DBF_E_NOMEM;
    m->dirty = dirty;
    memset(m->cache + m->cache_size, 0, (size - m->cache_size) * sizeof *cache);
    memset(m->dirty + m->cache_size, 0, size - m->cache_size);
    m->cache_size = size;
    return DBF_OK;
}

static dbf_status block_at(dbf_mdx* m, uint32_t page, unsigned char** out)
{
    unsigned per_block = m->block / PAGE;
    if (page < HEADER_PAGES || page > m->pages || m->pages - page < per_block)
        return DBF_E_INDEX;
    dbf_status st = reserve(m, page);
    if (st != DBF_OK)
        return st;
    if (!m->cache[page]) {
        unsigned char* b = (unsigned char*)malloc(m->block);
        if (!b)
            return DBF_E_NOMEM;
        if (dbf_read_exact(&m->io, (int64_t)page * PAGE, b, m->block) != DBF_OK) {
            free(b);
            return DBF_E_INDEX;
        }
        m->cache[page] = b;
    }
    *out = m->cache[page];
    return DBF_OK;
}

/* A tree node, refused when its count does not fit the block. */
static dbf_status node_at(dbf_mdx* m, const tag* t, uint32_t page, unsigned char** out)
{
    dbf_status st = block_at(m, page, out);
    if (st != DBF_OK)
        return st;
    uint32_t n = count_of(*out);
    if (n > (m->block - 12) / t->item)
        return DBF_E_INDEX;
    if (!is_leaf(t, *out) && 8 + ((size_t)n + 1) * t->item > m->block)
        return DBF_E_INDEX;
    return DBF_OK;
}

static void touch(dbf_mdx* m, uint32_t page) { m->dirty[page] = 1; }

static dbf_status new_block(dbf_mdx* m, uint32_t* page, unsigned char** out)
{
    *page = m->pages;
    unsigned char* b = (unsigned char*)calloc(1, m->block);
    if (!b || reserve(m, *page) != DBF_OK) {
        free(b);
        return DBF_E_NOMEM;
    }
    m->pages += m->block / PAGE;
    dbf_put_le32(m->header + 32, m->pages);
    m->header_dirty = 1;
    free(m->cache[*page]);
    m->cache[*page] = b;
    touch(m, *page);
    *out = b;
    return DBF_OK;
}

/* ---- the header and the tags ---- */

static void stamp_date(unsigned char* p)
{
    time_t now = time(NULL);
    struct tm* tm = localtime(&now);
    p[0] = (unsigned char)(tm ? tm->tm_year : 100);
    p[1] = (unsigned char)(tm ? tm->tm_mon + 1 : 1);
    p[2] = (unsigned char)(tm ? tm->tm_mday : 1);
}

static dbf_status write_tag_header(dbf_mdx* m, tag* t)
{
    unsigned char* b;
    dbf_status st = block_at(m, t->header_page, &b);
    if (st != DBF_OK)
        return st;
    memset(b, 0, m->block);
    dbf_put_le32(b, t->root);
    dbf_put_le32(b + 4, m->pages);
    b[8] = (unsigned char)((t->info.descending ? FLAG_DESCENDING : 0) | (t->info.unique ? FLAG_UNIQUE : 0));
    b[9] = (unsigned char)t->info.key_type;
    dbf_put_le16(b + 12, t->info.key_len);
    dbf_put_le16(b + 14, t->max_keys);
    dbf_put_le16(b + 16, t->info.key_type == 'D' ? 1 : 0);
    dbf_put_le16(b + 18, t->item);
    if (t->info.unique)
        b[UNIQUE_RULE] = (unsigned char)(t->info.unique - DBF_MDX_UNIQUE_SILENT);
    b[23] = t->info.unique ? FLAG_UNIQUE : 0;
    memcpy(b + 24, t->info.expression, strlen(t->info.expression));
    memcpy(b + 256, t->info.filter, strlen(t->info.filter));
    touch(m, t->header_page);
    return DBF_OK;
}

static void write_tag_table(dbf_mdx* m)
{
    memset(m->header + TAG_TABLE, 0, sizeof m->header - TAG_TABLE);
    for (int i = 0; i < m->tag_count; i++) {
        const tag* t = &m->tags[i];
        unsigned char* e = m->header + TAG_TABLE + (size_t)i * TAG_ENTRY;
        dbf_put_le32(e, t->header_page);
        memcpy(e + 4, t->info.name, strlen(t->info.name));
        e[15] = (unsigned char)((t->info.descending ? FLAG_DESCENDING : 0) | (t->info.unique ? FLAG_UNIQUE : 0));
        e[20] = (unsigned char)t->info.key_type;
    }
    dbf_put_le16(m->header + 28, (unsigned)m->tag_count);
    stamp_date(m->header + 44);
    m->header_dirty = 1;
}

static int sizes_fit(tag* t, unsigned block)
{
    unsigned len = t->info.key_len;
    if (len < 1 || len > DBF_MDX_MAX_KEY)
        return 0;
    if (t->item < len + 4)
        t->item = (len + 4 + 3) & ~3u;
    if (t->item > block / 4)
        return 0;
    t->max_keys = (block - 8) / t->item - 1;
    return 1;
}

static dbf_status read_tag(dbf_mdx* m, int i)
{
    tag* t = &m->tags[i];
    const unsigned char* e = m->header + TAG_TABLE + (size_t)i * TAG_ENTRY;
    memset(t, 0, sizeof *t);
    t->code_page = m->code_page;
    t->header_page = dbf_le32(e);
    memcpy(t->info.name, e + 4, 10);
    unsigned char* b;
    dbf_status st = block_at(m, t->header_page, &b);
    if (st != DBF_OK)
        return st;
    t->root = dbf_le32(b);
    t->info.descending = (b[8] & FLAG_DESCENDING) != 0;
    if ((b[8] & FLAG_UNIQUE) || b[23])
        t->info.unique = b[UNIQUE_RULE] <= DBF_MDX_UNIQUE_REPORT - DBF_MDX_UNIQUE_SILENT
                             ? DBF_MDX_UNIQUE_SILENT + b[UNIQUE_RULE] : DBF_MDX_UNIQUE_SILENT;
    t->info.key_type = (char)b[9];
    t->info.key_len = dbf_le16(b + 12);
    t->item = dbf_le16(b + 18);
    memcpy(t->info.expression, b + 24, DBF_MDX_MAX_EXPR);
    if (m->block > 256 + DBF_MDX_MAX_EXPR)
        memcpy(t->info.filter, b + 256, DBF_MDX_MAX_EXPR);
    if (!strchr("CND", t->info.key_type) || !t->info.key_type || !sizes_fit(t, m->block) ||
        (t->info.key_type == 'N' && t->info.key_len != 12) ||
        (t->info.key_type == 'D' && t->info.key_len != 8))
        return DBF_E_INDEX;
    /* A damaged tree is found when it is walked; reindex rebuilds it. */
    return DBF_OK;
}

static dbf_mdx* new_handle(dbf_io* io)
{
    dbf_mdx* m = (dbf_mdx*)calloc(1, sizeof *m);
    if (!m) {
        if (io->close)
            io->close(io->ctx);
        return NULL;
    }
    m->io = *io;
    return m;
}

dbf_status dbf_mdx_open(dbf_mdx** out, dbf_io* io)
{
    *out = NULL;
    dbf_mdx* m = new_handle(io);
    if (!m)
        return DBF_E_NOMEM;
    dbf_status st = dbf_read_exact(&m->io, 0, m->header, sizeof m->header);
    int64_t size = m->io.size(m->io.ctx);
    m->block = dbf_le16(m->header + 22);
    m->pages = dbf_le32(m->header + 32);
    m->tag_count = (int)dbf_le16(m->header + 28);
    if (st == DBF_OK &&
        (m->block < NEW_BLOCK || m->block > 32 * PAGE || m->block % PAGE || size < 0 ||
         m->pages < HEADER_PAGES || (int64_t)m->pages * PAGE > size ||
         m->tag_count > DBF_MDX_MAX_TAGS))
        st = DBF_E_INDEX;
    for (int i = 0; st == DBF_OK && i < m->tag_count; i++)
        st = read_tag(m, i);
    if (st != DBF_OK) {
        m->tag_count = 0;
        dbf_mdx_close(m);
        return st == DBF_E_IO ? DBF_E_INDEX : st;
    }
    *out = m;
    return DBF_OK;
}

dbf_status dbf_mdx_create(dbf_mdx** out, dbf_io* io, const char* table_name)
{
    *out = NULL;
    dbf_mdx* m = new_handle(io);
    if (!m)
        return DBF_E_NOMEM;
    m->block = NEW_BLOCK;
    m->pages = HEADER_PAGES;
    unsigned char* h = m->header;
    h[0] = 2;
    stamp_date(h + 1);
    for (int i = 0; i < 16 && table_name && table_name[i]; i++)
        h[4 + i] = (unsigned char)table_name[i];
    dbf_put_le16(h + 20, NEW_BLOCK / PAGE);
    dbf_put_le16(h + 22, NEW_BLOCK);
    h[24] = 1;                      /* the production index */
    h[25] = 48;                     /* tag table entries, as dBASE writes it */
    h[26] = TAG_ENTRY;
    dbf_put_le32(h + 32, m->pages);
    write_tag_table(m);
    if (m->io.truncate && m->io.truncate(m->io.ctx, 0) != 0) {
        dbf_mdx_close(m);
        return DBF_E_IO;
    }
    dbf_status st = dbf_mdx_flush(m);
    if (st != DBF_OK) {
        dbf_mdx_close(m);
        return st;
    }
    *out = m;
    return DBF_OK;
}

dbf_status dbf_mdx_flush(dbf_mdx* m)
{
    dbf_status st = DBF_OK;
    for (size_t p = 0; p < m->cache_size; p++)
        if (m->dirty[p] && m->cache[p]) {
            if (st == DBF_OK)
                st = dbf_write_exact(&m->io, (int64_t)p * PAGE, m->cache[p], m->block);
            m->dirty[p] = 0;
        }
    if (m->header_dirty && st == DBF_OK) {
        st = dbf_write_exact(&m->io, 0, m->header, sizeof m->header);
        m->header_dirty = 0;
    }
    if (st == DBF_OK && m->io.flush && m->io.flush(m->io.ctx) != 0)
        st = DBF_E_IO;
    return st;
}

dbf_status dbf_mdx_forget(dbf_mdx* m)
{
    dbf_status st = dbf_mdx_flush(m);
    for (size_t p = 0; p < m->cache_size; p++) {
        free(m->cache[p]);
        m->cache[p] = NULL;
    }
    if (st != DBF_OK)
        return st;
    /* Re-read the header and tags the other program may have changed. */
    st = dbf_read_exact(&m->io, 0, m->header, sizeof m->header);
    uint32_t pages = dbf_le32(m->header + 32);
    int count = (int)dbf_le16(m->header + 28);
    if (st != DBF_OK || pages < HEADER_PAGES || count > DBF_MDX_MAX_TAGS)
        return DBF_E_INDEX;
    m->pages = pages;
    m->tag_count = count;
    for (int i = 0; i < count; i++)
        if ((st = read_tag(m, i)) != DBF_OK)
            return st;
    return DBF_OK;
}

dbf_status dbf_mdx_close(dbf_mdx* m)
{
    if (!m)
        return DBF_OK;
    dbf_status st = m->block ? dbf_mdx_flush(m) : DBF_OK;
    for (size_t p = 0; p < m->cache_size; p++)
        free(m->cache[p]);
    free(m->cache);
    free(m->dirty);
    if (m->io.close)
        m->io.close(m->io.ctx);
    free(m);
    return st;
}

int dbf_mdx_tag_count(const dbf_mdx* m) { return m->tag_count; }

void dbf_mdx_set_code_page(dbf_mdx* m, int code_page)
{
    m->code_page = code_page;
    for (int i = 0; i < m->tag_count; i++)
        m->tags[i].code_page = code_page;
}

const dbf_mdx_tag_info* dbf_mdx_tag(const dbf_mdx* m, int i)
{
    return i >= 0 && i < m->tag_count ? &m->tags[i].info : NULL;
}

int dbf_mdx_find_tag(const dbf_mdx* m, const char* name)
{
    for (int i = 0; i < m->tag_count; i++) {
        const char* a = m->tags[i].info.name;
        const char* b = name;
        while (*a && (*a & ~0x20) == (*b & ~0x20))
            a++, b++;
        if (!*a && !*b)
            return i;
    }
    return -1;
}

static dbf_status empty_root(dbf_mdx* m, tag* t)
{
    unsigned char* b;
    return new_block(m, &t->root, &b);
}

dbf_status dbf_mdx_add_tag(dbf_mdx* m, const dbf_mdx_tag_info* info)
{
    if (m->tag_count >= DBF_MDX_MAX_TAGS || !info->name[0] || dbf_mdx_find_tag(m, info->name) >= 0)
        return DBF_E_ARG;
    tag* t = &m->tags[m->tag_count];
    memset(t, 0, sizeof *t);
    t->code_page = m->code_page;
    t->info = *info;
    t->info.name[10] = '\0';
    t->info.expression[DBF_MDX_MAX_EXPR] = '\0';
    t->info.filter[DBF_MDX_MAX_EXPR] = '\0';
    if (!strchr("CND", info->key_type) || !info->key_type || !sizes_fit(t, m->block))
        return DBF_E_ARG;
    unsigned char* b;
    dbf_status st = new_block(m, &t->header_page, &b);
    if (st == DBF_OK)
        st = empty_root(m, t);
    if (st != DBF_OK)
        return st;
    m->tag_count++;
    write_tag_table(m);
    return write_tag_header(m, t);
}

dbf_status dbf_mdx_remove_tag(dbf_mdx* m, int i)
{
    if (i < 0 || i >= m->tag_count)
        return DBF_E_ARG;
    memmove(&m->tags[i], &m->tags[i + 1], (size_t)(m->tag_count - i - 1) * sizeof m->tags[0]);
    m->tag_count--;
    write_tag_table(m);
    return DBF_OK;
}

dbf_status dbf_mdx_clear(dbf_mdx* m)
{
    for (size_t p = 0; p < m->cache_size; p++) {
        free(m->cache[p]);
        m->cache[p] = NULL;
        m->dirty[p] = 0;
    }
    /* The tag headers stay where they are and the file keeps its length,
     * so a program stopped before the new trees are all written leaves
     * tags that can still be read, and rebuilt; the trees start after the
     * last header. */
    uint32_t end = HEADER_PAGES;
    for (int i = 0; i < m->tag_count; i++)
        if (m->tags[i].header_page + m->block / PAGE > end)
            end = m->tags[i].header_page + m->block / PAGE;
    m->pages = end;
    dbf_put_le32(m->header + 32, m->pages);
    m->header_dirty = 1;
    dbf_status st = DBF_OK;
    for (int i = 0; i < m->tag_count && st == DBF_OK; i++) {
        st = empty_root(m, &m->tags[i]);
        if (st == DBF_OK)
            st = write_tag_header(m, &m->tags[i]);
    }
    write_tag_table(m);
    return st;
}

/* ---- cursors ---- */

dbf_status dbf_mdx_cursor_new(dbf_mdx* m, int tag_index, dbf_mdx_cursor** out)
{
    *out = NULL;
    if (tag_index < 0 || tag_index >= m->tag_count)
        return DBF_E_ARG;
    dbf_mdx_cursor* c = (dbf_mdx_cursor*)calloc(1, sizeof *c);
    if (!c)
        return DBF_E_NOMEM;
    c->m = m;
    c->tag = tag_index;
    *out = c;
    return DBF_OK;
}

void dbf_mdx_cursor_free(dbf_mdx_cursor* c) { free(c); }

static tag* tag_of(dbf_mdx_cursor* c) { return &c->m->tags[c->tag]; }

/* From path[d], follows the leftmost (or rightmost) children down to a
 * leaf. */
static dbf_status descend_edge(dbf_mdx_cursor* c, int d, int rightmost)
{
    tag* t = tag_of(c);
    for (;;) {
        unsigned char* b;
        dbf_status st = node_at(c->m, t, c->path[d].page, &b);
        if (st != DBF_OK)
            return st;
        if (is_leaf(t, b)) {
            c->depth = d;
            if (rightmost)
                c->path[d].idx = (int)count_of(b) - 1;
            return DBF_OK;
        }
        uint32_t child = number_at(t, b, (uint32_t)c->path[d].idx);
        if (++d >= MAX_LEVELS)
            return DBF_E_INDEX;
        c->path[d].page = child;
        if (rightmost) {
            unsigned char* cb;
            if ((st = node_at(c->m, t, child, &cb)) != DBF_OK)
                return st;
            c->path[d].idx = (int)count_of(cb);
        } else {
            c->path[d].idx = 0;
        }
    }
}

/* Makes the leaf position valid by moving right (forward) or left, over
 * the ends of leaves; DBF_E_RANGE past the end of the tag. */
static dbf_status settle(dbf_mdx_cursor* c, int forward)
{
    tag* t = tag_of(c);
    for (;;) {
        unsigned char* b;
        dbf_status st = node_at(c->m, t, c->path[c->depth].page, &b);
        if (st != DBF_OK)
            return st;
        int idx = c->path[c->depth].idx;
        if (idx >= 0 && (uint32_t)idx < count_of(b)) {
            c->valid = 1;
            c->level = c->depth;
            return DBF_OK;
        }
        int d = c->depth;
        for (;;) {
            if (d == 0) {
                c->valid = 0;
                return DBF_E_RANGE;
            }
            d--;
            if ((st = node_at(c->m, t, c->path[d].page, &b)) != DBF_OK)
                return st;
            if (forward ? (uint32_t)c->path[d].idx < count_of(b) : c->path[d].idx > 0)
                break;
        }
        c->path[d].idx += forward ? 1 : -1;
        if ((st = descend_edge(c, d, !forward)) != DBF_OK)
            return st;
    }
}

static dbf_status start_at_root(dbf_mdx_cursor* c, int rightmost)
{
    tag* t = tag_of(c);
    unsigned char* b;
    dbf_status st = node_at(c->m, t, t->root, &b);
    if (st != DBF_OK)
        return st;
    c->path[0].page = t->root;
    c->path[0].idx = rightmost ? (int)count_of(b) : 0;
    return descend_edge(c, 0, rightmost);
}

dbf_status dbf_mdx_first(dbf_mdx_cursor* c)
{
    c->valid = 0;
    dbf_status st = start_at_root(c, 0);
    return st != DBF_OK ? st : settle(c, 1);
}

dbf_status dbf_mdx_last(dbf_mdx_cursor* c)
{
    c->valid = 0;
    dbf_status st = start_at_root(c, 1);
    return st != DBF_OK ? st : settle(c, 0);
}

/* Along the entries of the inner node the cursor looks at, to the first
 * key under the next or previous child. */
static dbf_status step_in_node(dbf_mdx_cursor* c, int by)
{
    unsigned char* b;
    dbf_status st = node_at(c->m, tag_of(c), c->path[c->level].page, &b);
    if (st != DBF_OK)
        return st;
    int idx = c->path[c->level].idx + by;
    if (idx < 0 || (uint32_t)idx > count_of(b))
        return DBF_E_RANGE;
    c->path[c->level].idx = idx;
    return descend_edge(c, c->level, 0);
}

dbf_status dbf_mdx_next(dbf_mdx_cursor* c)
{
    if (!c->valid)
        return DBF_E_RANGE;
    if (c->level < c->depth)
        return step_in_node(c, 1);
    c->path[c->depth].idx++;
    return settle(c, 1);
}

dbf_status dbf_mdx_prev(dbf_mdx_cursor* c)
{
    if (!c->valid)
        return DBF_E_RANGE;
    if (c->level < c->depth)
        return step_in_node(c, -1);
    c->path[c->depth].idx--;
    return settle(c, 0);
}

int dbf_mdx_valid(const dbf_mdx_cursor* c) { return c->valid; }

/* The leaf under a valid cursor; read again when the cache was dropped. */
static unsigned char* current_leaf(const dbf_mdx_cursor* c)
{
    unsigned char* b;
    return block_at(c->m, c->path[c->depth].page, &b) == DBF_OK ? b : NULL;
}

/* The leaf entry the cursor shows: its own, or above the leaves the last
 * one under the child it looks at. NULL when there is none. */
static unsigned char* shown_entry(const dbf_mdx_cursor* c, uint32_t* idx)
{
    if (!c->valid)
        return NULL;
    dbf_mdx_cursor below;
    if (c->level < c->depth) {
        below = *c;
        if (descend_edge(&below, c->level, 1) != DBF_OK)
            return NULL;
        c = &below;
    }
    unsigned char* b = current_leaf(c);
    *idx = (uint32_t)c->path[c->depth].idx;
    return b && *idx < count_of(b) ? b : NULL;
}

const unsigned char* dbf_mdx_key(const dbf_mdx_cursor* c)
{
    uint32_t idx;
    unsigned char* b = shown_entry(c, &idx);
    return b ? key_at(&c->m->tags[c->tag], b, idx) : NULL;
}

uint32_t dbf_mdx_recno(const dbf_mdx_cursor* c)
{
    uint32_t idx;
    unsigned char* b = shown_entry(c, &idx);
    return b ? number_at(&c->m->tags[c->tag], b, idx) : 0;
}

int dbf_mdx_level(const dbf_mdx_cursor* c) { return c->level; }

dbf_status dbf_mdx_down(dbf_mdx_cursor* c)
{
    if (!c->valid || c->level >= c->depth)
        return DBF_E_RANGE;
    c->path[++c->level].idx = 0;
    return descend_edge(c, c->level, 0);
}

dbf_status dbf_mdx_up(dbf_mdx_cursor* c)
{
    if (!c->valid || c->level == 0)
        return DBF_E_RANGE;
    c->level--;
    return DBF_OK;
}

dbf_status dbf_mdx_up_to_root(dbf_mdx_cursor* c)
{
    dbf_status st = c->valid ? DBF_OK : dbf_mdx_first(c);
    if (st == DBF_OK)
        c->level = 0;
    return st;
}

/* ---- positions ---- */

/* Each key owns a slice of [0, 1): a node splits its slice evenly among
 * its entries, and a key stands in the middle of its own. Slices follow
 * key order, and descending by a key's value leads back to that key. */
static double slice_of(const dbf_mdx_cursor* c)
{
    const tag* t = &c->m->tags[c->tag];
    double at = 0, width = 1;
    for (int d = 0; d <= c->depth; d++) {
        unsigned char* b;
        if (node_at(c->m, t, c->path[d].page, &b) != DBF_OK)
            break;
        uint32_t slots = count_of(b) + (d < c->depth ? 1 : 0);
        if (slots == 0)
            break;
        width /= slots;
        at += width * (c->path[d].idx + (d < c->depth ? 0.0 : 0.5));
    }
    return at;
}

/* The slices of the first and the last key: positions 0.0 and 1.0. */
static dbf_status end_slices(const dbf_mdx_cursor* c, double* first, double* last)
{
    dbf_mdx_cursor e = *c;
    dbf_status st = dbf_mdx_first(&e);
    if (st == DBF_OK)
        *first = slice_of(&e);
    if (st == DBF_OK && (st = dbf_mdx_last(&e)) == DBF_OK)
        *last = slice_of(&e);
    return st;
}

double dbf_mdx_position(const dbf_mdx_cursor* c)
{
    double first, last;
    if (!c->valid || end_slices(c, &first, &last) != DBF_OK)
        return 1.0;
    double pos = last > first ? (slice_of(c) - first) / (last - first) : 0.0;
    return pos < 0.0 ? 0.0 : pos > 1.0 ? 1.0 : pos;
}

dbf_status dbf_mdx_position_set(dbf_mdx_cursor* c, double pos)
{
    double first, last;
    c->valid = 0;
    dbf_status st = end_slices(c, &first, &last);
    if (st != DBF_OK)
        return st;
    double at = first + pos * (last - first);
    tag* t = tag_of(c);
    uint32_t page = t->root;
    for (int d = 0;; d++) {
        unsigned char* b;
        if (d >= MAX_LEVELS)
            return DBF_E_INDEX;
        if ((st = node_at(c->m, t, page, &b)) != DBF_OK)
            return st;
        int leaf = is_leaf(t, b);
        uint32_t slots = count_of(b) + (leaf ? 0 : 1);
        double scaled = at * slots;
        uint32_t idx = scaled <= 0 || slots == 0 ? 0 : scaled >= slots ? slots - 1 : (uint32_t)scaled;
        at = scaled - idx;
        c->path[d].page = page;
        c->path[d].idx = (int)idx;
        if (leaf) {
            c->depth = d;
            return settle(c, 1);
        }
        page = number_at(t, b, idx);
    }
}

/* Compares the entry at the cursor with (key, rec); rec 0 matches any. */
static int compare_here(dbf_mdx_cursor* c, const unsigned char* key, size_t len, uint32_t rec)
{
    int r = compare_keys(tag_of(c), dbf_mdx_key(c), key, len);
    if (r == 0 && rec) {
        uint32_t here = dbf_mdx_recno(c);
        r = here < rec ? -1 : here > rec;
    }
    return r;
}

dbf_status dbf_mdx_seek(dbf_mdx_cursor* c, const unsigned char* key, size_t len, uint32_t rec,
                        int* exact)
{
    tag* t = tag_of(c);
    if (exact)
        *exact = 0;
    c->valid = 0;
    uint32_t page = t->root;
    for (int d = 0;; d++) {
        if (d >= MAX_LEVELS)
            return DBF_E_INDEX;
        unsigned char* b;
        dbf_status st = node_at(c->m, t, page, &b);
        if (st != DBF_OK)
            return st;
        uint32_t lo = 0, hi = count_of(b);
        int leaf = is_leaf(t, b);
        while (lo < hi) {       /* first entry not before the key */
            uint32_t mid = lo + (hi - lo) / 2;
            int r = compare_keys(t, key_at(t, b, mid), key, len);
            if (leaf && r == 0 && rec) {
                uint32_t here = number_at(t, b, mid);
                r = here < rec ? -1 : here > rec;
            }
            if (r < 0)
                lo = mid + 1;
            else
                hi = mid;
        }
        c->path[d].page = page;
        c->path[d].idx = (int)lo;
        if (leaf) {
            c->depth = d;
            break;
        }
        page = number_at(t, b, lo);
    }
    dbf_status st = settle(c, 1);
    /* Equal keys may continue from earlier children: walk to the record. */
    while (st == DBF_OK && compare_here(c, key, len, rec) < 0)
        st = dbf_mdx_next(c);
    if (st == DBF_OK && exact)
        *exact = compare_keys(t, dbf_mdx_key(c), key, len) == 0;
    return st;
}

/* ---- changes ---- */

static void write_node(const tag* t, unsigned char* b, unsigned block, const unsigned char* entries,
                       uint32_t count, int leaf)
{
    memset(b, 0, block);
    dbf_put_le32(b, count);
    memcpy(b + 8, entries, (size_t)(count + (leaf ? 0 : 1)) * t->item);
}

/* Inserts (number, key) as entry idx of the node at path level d, splitting
 * nodes up to the root as they fill. */
static dbf_status insert_at(dbf_mdx_cursor* c, int d, int idx, uint32_t number, const unsigned char* key)
{
    dbf_mdx* m = c->m;
    tag* t = tag_of(c);
    unsigned char* b;
    dbf_status st = node_at(m, t, c->path[d].page, &b);
    if (st != DBF_OK)
        return st;
    uint32_t n = count_of(b);
    int leaf = is_leaf(t, b);
    uint32_t slots = n + (leaf ? 0 : 1);
    if (idx < 0 || (uint32_t)idx > slots)
        return DBF_E_INDEX;
    unsigned char* tmp = (unsigned char*)malloc((size_t)(slots + 1) * t->item);
    if (!tmp)
        return DBF_E_NOMEM;
    size_t at = (size_t)idx * t->item;
    memcpy(tmp, b + 8, at);
    memset(tmp + at, 0, t->item);
    dbf_put_le32(tmp + at, number);
    memcpy(tmp + at + 4, key, t->info.key_len);
    memcpy(tmp + at + t->item, b + 8 + at, (size_t)slots * t->item - at);
    n++;
    if (n <= t->max_keys) {
        write_node(t, b, m->block, tmp, n, leaf);
        touch(m, c->path[d].page);
        free(tmp);
        return DBF_OK;
    }
    /* Split: the lower half moves to a new node, the upper half stays, so
     * the parent's entry for this node keeps its key. */
    uint32_t left_count = n / 2, left_page;
    unsigned char* left;
    unsigned char sep[DBF_MDX_MAX_KEY];
    if ((st = new_block(m, &left_page, &left)) != DBF_OK) {
        free(tmp);
        return st;
    }
    uint32_t left_slots = leaf ? left_count : left_count + 1;
    memcpy(sep, tmp + (size_t)(left_slots - 1) * t->item + 4, t->info.key_len);
    write_node(t, left, m->block, tmp, left_slots - (leaf ? 0 : 1), leaf);
    write_node(t, b, m->block, tmp + (size_t)left_slots * t->item, n - left_slots, leaf);
    touch(m, c->path[d].page);
    free(tmp);
    if (d > 0)
        return insert_at(c, d - 1, c->path[d - 1].idx, left_page, sep);
    /* A new root over the two halves. */
    uint32_t root_page;
    unsigned char* root;
    if ((st = new_block(m, &root_page, &root)) != DBF_OK)
        return st;
    dbf_put_le32(root, 1);
    dbf_put_le32(root + 8, left_page);
    memcpy(root + 12, sep, t->info.key_len);
    dbf_put_le32(root + 8 + t->item, c->path[0].page);
    t->root = root_page;
    return write_tag_header(m, t);
}

dbf_status dbf_mdx_insert(dbf_mdx* m, int tag_index, const unsigned char* key, uint32_t rec)
{
    if (tag_index < 0 || tag_index >= m->tag_count || rec == 0)
        return DBF_E_ARG;
    dbf_mdx_cursor c = {.m = m, .tag = tag_index};
    tag* t = &m->tags[tag_index];
    dbf_status st;
    if (t->info.unique) {
        int exact;
        st = dbf_mdx_seek(&c, key, t->info.key_len, 0, &exact);
        if (st == DBF_OK && exact)
            return DBF_E_UNIQUE;
        if (st != DBF_OK && st != DBF_E_RANGE)
            return st;
    }
    st = dbf_mdx_seek(&c, key, t->info.key_len, rec, NULL);
    if (st == DBF_E_RANGE) {        /* after every key: the end of the last leaf */
        if ((st = start_at_root(&c, 1)) != DBF_OK)
            return st;
        c.path[c.depth].idx++;
    } else if (st != DBF_OK) {
        return st;
    }
    return insert_at(&c, c.depth, c.path[c.depth].idx, rec, key);
}

/* Takes the entry for child path[d].idx out of the node at level d. */
static dbf_status remove_child(dbf_mdx_cursor* c, int d)
{
    dbf_mdx* m = c->m;
    tag* t = tag_of(c);
    unsigned char* b;
    dbf_status st = node_at(m, t, c->path[d].page, &b);
    if (st != DBF_OK)
        return st;
    uint32_t n = count_of(b), i = (uint32_t)c->path[d].idx;
    if (n == 0) {               /* its only child: the node goes too */
        if (d > 0)
            return remove_child(c, d - 1);
        memset(b, 0, m->block);
        touch(m, c->path[d].page);
        return DBF_OK;
    }
    /* Without its rightmost child, the one before becomes the rightmost:
     * its key, now unused, stays an upper bound for the parent. */
    if (i < n)
        memmove(entry(t, b, i), entry(t, b, i + 1), (size_t)(n - i) * t->item);
    memset(entry(t, b, n), 0, t->item);
    dbf_put_le32(b, n - 1);
    touch(m, c->path[d].page);
    return DBF_OK;
}

dbf_status dbf_mdx_delete(dbf_mdx* m, int tag_index, const unsigned char* key, uint32_t rec)
{
    if (tag_index < 0 || tag_index >= m->tag_count)
        return DBF_E_ARG;
    dbf_mdx_cursor c = {.m = m, .tag = tag_index};
    tag* t = &m->tags[tag_index];
    dbf_status st = dbf_mdx_seek(&c, key, t->info.key_len, rec, NULL);
    if (st != DBF_OK)
        return st;
    if (compare_here(&c, key, t->info.key_len, rec) != 0)
        return DBF_E_RANGE;
    unsigned char* b = current_leaf(&c);
    if (!b)
        return DBF_E_INDEX;
    uint32_t n = count_of(b), i = (uint32_t)c.path[c.depth].idx;
    memmove(entry(t, b, i), entry(t, b, i + 1), (size_t)(n - i - 1) * t->item);
    memset(entry(t, b, n - 1), 0, t->item);
    dbf_put_le32(b, n - 1);
    touch(m, c.path[c.depth].page);
    if (n - 1 == 0 && c.depth > 0)
        return remove_child(&c, c.depth - 1);
    return DBF_OK;
}

/* ---- bulk build ---- */

static void merge_sort(const tag* t, dbf_mdx_entry* a, dbf_mdx_entry* tmp, size_t n)
{
    if (n < 2)
        return;
    size_t h = n / 2;
    merge_sort(t, a, tmp, h);
    merge_sort(t, a + h, tmp, n - h);
    size_t i = 0, j = h, k = 0;
    while (i < h && j < n) {
        int r = compare_keys(t, a[j].key, a[i].key, t->info.key_len);
        if (r < 0 || (r == 0 && a[j].rec < a[i].rec))
            tmp[k++] = a[j++];
        else
            tmp[k++] = a[i++];
    }
    while (i < h)
        tmp[k++] = a[i++];
    while (j < n)
        tmp[k++] = a[j++];
    memcpy(a, tmp, n * sizeof *a);
}

typedef struct built {
    uint32_t page;
    const unsigned char* max_key;
} built;

dbf_status dbf_mdx_build(dbf_mdx* m, int tag_index, dbf_mdx_entry* entries, size_t count)
{
    if (tag_index < 0 || tag_index >= m->tag_count)
        return DBF_E_ARG;
    tag* t = &m->tags[tag_index];
    dbf_mdx_entry* tmp = (dbf_mdx_entry*)malloc((count ? count : 1) * sizeof *tmp);
    size_t per = t->max_keys;
    built* level = (built*)malloc((count / per + 2) * sizeof *level);
    if (!tmp || !level) {
        free(tmp);
        free(level);
        return DBF_E_NOMEM;
    }
    merge_sort(t, entries, tmp, count);
    free(tmp);
    if (t->info.unique && count) {
        size_t kept = 1;
        for (size_t i = 1; i < count; i++)
            if (compare_keys(t, entries[i].key, entries[kept - 1].key, t->info.key_len) != 0)
                entries[kept++] = entries[i];
        count = kept;
    }
    dbf_status st = DBF_OK;
    size_t nodes = 0;
    for (size_t i = 0; st == DBF_OK && (i < count || (count == 0 && nodes == 0)); i += per) {
        unsigned char* b;
        st = new_block(m, &level[nodes].page, &b);
        size_t k = 0;
        for (; st == DBF_OK && k < per && i + k < count; k++) {
            dbf_put_le32(entry(t, b, (uint32_t)k), entries[i + k].rec);
            memcpy(key_at(t, b, (uint32_t)k), entries[i + k].key, t->info.key_len);
        }
        dbf_put_le32(b, (uint32_t)k);
        level[nodes++].max_key = k ? entries[i + k - 1].key : NULL;
        if (count == 0)
            break;
    }
    /* Inner levels: up to max_keys + 1 children a node. */
    while (st == DBF_OK && nodes > 1) {
        size_t up = 0;
        for (size_t i = 0; st == DBF_OK && i < nodes; i += per + 1) {
            size_t k = nodes - i < per + 1 ? nodes - i : per + 1;
            unsigned char* b;
            uint32_t page;
            st = new_block(m, &page, &b);
            for (size_t j = 0; st == DBF_OK && j < k; j++) {
                dbf_put_le32(entry(t, b, (uint32_t)j), level[i + j].page);
                if (j + 1 < k)
                    memcpy(key_at(t, b, (uint32_t)j), level[i + j].max_key, t->info.key_len);
            }
            dbf_put_le32(b, (uint32_t)(k - 1));
            level[up].page = page;
            level[up++].max_key = level[i + k - 1].max_key;
        }
        nodes = up;
    }
    if (st == DBF_OK) {
        t->root = level[0].page;
        st = write_tag_header(m, t);
    }
    free(level);
    return st;
}
