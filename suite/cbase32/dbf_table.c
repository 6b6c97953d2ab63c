/* Tables: header, field descriptors, the record cache, append, pack and zap. */
#include "dbf_internal.h"

#include <ctype.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#define DBF_VERSION_PLAIN 0x03
#define DBF_VERSION_MEMO3 0x83
#define DBF_VERSION_MEMO4 0x8B
#define DBF_MAX_RECORD 65535u
#define DBF_READ_AHEAD 65536u

static dbf_status write_pending(dbf_table* t);

static int in_window(const dbf_table* t, uint32_t n);
static int64_t record_offset(const dbf_table* t, uint32_t n);

dbf_status dbf_read_exact(dbf_io* io, int64_t offset, void* buf, size_t n)
{
    int64_t got = io->read(io->ctx, offset, buf, n);
    return got == (int64_t)n ? DBF_OK : DBF_E_IO;
}

dbf_status dbf_write_exact(dbf_io* io, int64_t offset, const void* buf, size_t n)
{
    return io->write(io->ctx, offset, buf, n) == (int64_t)n ? DBF_OK : DBF_E_IO;
}

static int64_t record_offset(const dbf_table* t, uint32_t n)
{
    return (int64_t)t->header_len + (int64_t)(n - 1) * t->record_len;
}

static void release_io(dbf_io* io)
{
    if (io && io->close)
        io->close(io->ctx);
}

static void free_table(dbf_table* t)
{
    release_io(&t->io);
    if (t->has_memo_io)
        release_io(&t->memo_io);
    free(t->fields);
    free(t->record);
    free(t->window);
    free(t);
}

static dbf_table* new_table(dbf_io* io, dbf_io* memo)
{
    dbf_table* t = (dbf_table*)calloc(1, sizeof *t);
    if (!t) {
        release_io(io);
        release_io(memo);
        return NULL;
    }
    t->io = *io;
    if (memo) {
        t->memo_io = *memo;
        t->has_memo_io = 1;
    }
    return t;
}

/* Checks a field definition as it would be stored. */
static int valid_definition(const dbf_field_def* d)
{
    size_t n = strnlen(d->name, sizeof d->name);
    if (n == 0 || n > 10)
        return 0;
    for (size_t i = 0; i < n; i++)
        if (!isalnum((unsigned char)d->name[i]) && d->name[i] != '_')
            return 0;
    switch (d->type) {
    case 'C': return d->len >= 1 && d->dec == 0;
    case 'N': case 'F': return d->len >= 1 && d->len <= 20 && (d->dec == 0 || d->dec + 2u <= d->len);
    case 'D': return d->len == 8 && d->dec == 0;
    case 'L': return d->len == 1 && d->dec == 0;
    case 'M': return d->len == 10 && d->dec == 0;
    default: return 0;
    }
}

/* Reads the field descriptors; unknown types are kept (readable as text),
 * but memo fields must have the dBASE width of 10. */
static dbf_status parse_fields(dbf_table* t, const unsigned char* header)
{
    unsigned max_fields = (t->header_len - DBF_HEADER_SIZE) / DBF_DESCRIPTOR_SIZE;
    t->fields = (dbf_field*)calloc(max_fields ? max_fields : 1, sizeof *t->fields);
    if (!t->fields)
        return DBF_E_NOMEM;
    unsigned offset = 1;
    unsigned pos = DBF_HEADER_SIZE;
    while (pos < t->header_len && header[pos] != DBF_TERMINATOR) {
        if (pos + DBF_DESCRIPTOR_SIZE > t->header_len)
            return DBF_E_FORMAT;
        const unsigned char* d = header + pos;
        dbf_field* f = &t->fields[t->field_count];
        memcpy(f->def.name, d, 10);
        f->def.name[10] = '\0';
        f->def.type = (char)toupper(d[11]);
        f->def.len = d[16];
        f->def.dec = d[17];
        f->offset = offset;
        if (f->def.len == 0 || f->def.name[0] == '\0' || (f->def.type == 'M' && f->def.len != 10))
            return DBF_E_FORMAT;
        offset += f->def.len;
        t->field_count++;
        pos += DBF_DESCRIPTOR_SIZE;
    }
    if (t->field_count == 0)
        return DBF_E_FORMAT;
    /* Wider records than the fields need are tolerated (the tail is never
     * touched); narrower ones would put fields outside the record. */
    if (offset > t->record_len)
        return DBF_E_FORMAT;
    return DBF_OK;
}

static int has_memo_fields(const dbf_table* t)
{
    for (int i = 0; i < t->field_count; i++)
        if (t->fields[i].def.type == 'M')
            return 1;
    return 0;
}

static dbf_status allocate_buffers(dbf_table* t)
{
    t->record = (unsigned char*)malloc(t->record_len);
    t->window_capacity = DBF_READ_AHEAD / t->record_len;
    if (t->window_capacity == 0)
        t->window_capacity = 1;
    t->window = (unsigned char*)malloc((size_t)t->window_capacity * t->record_len);
    if (!t->record || !t->window)
        return DBF_E_NOMEM;
    memset(t->record, ' ', t->record_len);
    return DBF_OK;
}

/* The end of opening or creating: a table that got this far with st OK
 * gets its buffers and goes to the caller; otherwise it is freed. */
static dbf_status hand_over(dbf_table* t, dbf_status st, dbf_table** out)
{
    if (st == DBF_OK)
        st = allocate_buffers(t);
    if (st != DBF_OK) {
        free_table(t);
        return st;
    }
    *out = t;
    return DBF_OK;
}

dbf_status dbf_open(dbf_table** out, dbf_io* io, dbf_io* memo)
{
    if (!out || !io)
        return DBF_E_ARG;
    *out = NULL;
    dbf_table* t = new_table(io, memo);
    if (!t)
        return DBF_E_NOMEM;

    unsigned char head[DBF_HEADER_SIZE];
    unsigned char* header = NULL;
    dbf_status st = dbf_read_exact(&t->io, 0, head, sizeof head);
    if (st != DBF_OK)
        st = DBF_E_FORMAT;
    if (st == DBF_OK) {
        t->version = head[0];
        t->language = head[29];
        t->count = dbf_le32(head + 4);
        t->header_len = dbf_le16(head + 8);
        t->record_len = dbf_le16(head + 10);
        t->unfinished = head[DBF_UNFINISHED_AT] != 0;
        t->generation = dbf_le32(head + DBF_GENERATION_AT);
        if ((t->version & 0x07) != 0x03 || t->header_len < DBF_HEADER_SIZE + DBF_DESCRIPTOR_SIZE ||
            t->record_len < 2)
            st = DBF_E_FORMAT;
    }
    if (st == DBF_OK) {
        header = (unsigned char*)malloc(t->header_len);
        st = header ? dbf_read_exact(&t->io, 0, header, t->header_len) : DBF_E_NOMEM;
        if (st == DBF_E_IO)
            st = DBF_E_FORMAT;
    }
    if (st == DBF_OK)
        st = parse_fields(t, header);
    free(header);
    if (st == DBF_OK) {
        int64_t size = t->io.size(t->io.ctx);
        int64_t room = size > (int64_t)t->header_len ? (size - t->header_len) / t->record_len : 0;
        if (size < 0)
            st = DBF_E_IO;
        else if ((int64_t)t->count > room) {
            t->count = (uint32_t)room;
            t->truncated = 1;
        }
    }
    if (st == DBF_OK && has_memo_fields(t))
        t->memo_style = (t->version & 0x08) ? DBF_MEMO_DBASE4 : DBF_MEMO_DBASE3;
    return hand_over(t, st, out);
}

/* The header's version, date of last update and record count. A flush
 * after rewriting records (keep_count) writes only the version and date:
 * another program holding the append lock may be writing a greater count
 * at the same moment, and a read-modify-write of it here could put an
 * older one back, so that the next append overwrites a record. Bytes
 * 12-31 (the production index flag and the unfinished-change mark among
 * them) are never written here, for the same reason. */
static dbf_status write_header_as(dbf_table* t, int keep_count)
{
    unsigned char head[12];
    memset(head, 0, sizeof head);
    time_t now = time(NULL);
    struct tm* tm = localtime(&now);
    head[0] = t->version;
    if (tm) {
        head[1] = (unsigned char)(tm->tm_year % 256);
        head[2] = (unsigned char)(tm->tm_mon + 1);
        head[3] = (unsigned char)tm->tm_mday;
    }
    dbf_put_le32(head + 4, t->count);
    dbf_put_le16(head + 8, t->header_len);
    dbf_put_le16(head + 10, t->record_len);
    dbf_status st = dbf_write_exact(&t->io, 0, head, keep_count ? 4 : sizeof head);
    if (st == DBF_OK)
        t->header_dirty = 0;
    return st;
}

static dbf_status write_header(dbf_table* t) { return write_header_as(t, 0); }

dbf_status dbf_create(dbf_table** out, dbf_io* io, dbf_io* memo,
                      const dbf_field_def* fields, int count, dbf_memo_style style)
{
    if (!out || !io)
        return DBF_E_ARG;
    *out = NULL;
    dbf_table* t = new_table(io, memo);
    if (!t)
        return DBF_E_NOMEM;
    dbf_status st = (fields && count > 0 && count <= 255) ? DBF_OK : DBF_E_ARG;
    unsigned record_len = 1;
    for (int i = 0; st == DBF_OK && i < count; i++) {
        if (!valid_definition(&fields[i]))
            st = DBF_E_ARG;
        for (int j = 0; st == DBF_OK && j < i; j++)
            if (strncmp(fields[i].name, fields[j].name, 10) == 0)
                st = DBF_E_ARG;
        record_len += fields[i].len;
    }
    if (st == DBF_OK && record_len > DBF_MAX_RECORD)
        st = DBF_E_ARG;
    if (st == DBF_OK) {
        t->fields = (dbf_field*)calloc((size_t)count, sizeof *t->fields);
        st = t->fields ? DBF_OK : DBF_E_NOMEM;
    }
    unsigned char* header = NULL;
    if (st == DBF_OK) {
        t->field_count = count;
        t->record_len = record_len;
        t->header_len = DBF_HEADER_SIZE + DBF_DESCRIPTOR_SIZE * (unsigned)count + 1;
        unsigned offset = 1;
        for (int i = 0; i < count; i++) {
            t->fields[i].def = fields[i];
            t->fields[i].def.name[10] = '\0';
            t->fields[i].offset = offset;
            offset += fields[i].len;
        }
        if (has_memo_fields(t)) {
            if (!memo || (style != DBF_MEMO_DBASE3 && style != DBF_MEMO_DBASE4))
                st = DBF_E_MEMO;
            t->memo_style = style;
            t->version = style == DBF_MEMO_DBASE4 ? DBF_VERSION_MEMO4 : DBF_VERSION_MEMO3;
        } else {
            t->version = DBF_VERSION_PLAIN;
        }
    }
    if (st == DBF_OK) {
        header = (unsigned char*)calloc(1, t->header_len + 1);
        st = header ? DBF_OK : DBF_E_NOMEM;
    }
    if (st == DBF_OK) {
        for (int i = 0; i < count; i++) {
            unsigned char* d = header + DBF_HEADER_SIZE + DBF_DESCRIPTOR_SIZE * i;
            memcpy(d, t->fields[i].def.name, strlen(t->fields[i].def.name));
            d[11] = (unsigned char)t->fields[i].def.type;
            d[16] = t->fields[i].def.len;
            d[17] = t->fields[i].def.dec;
        }
        t->language = dbf_driver_of_code_page(1252);
        header[29] = t->language;
        header[t->header_len - 1] = DBF_TERMINATOR;
        header[t->header_len] = DBF_END_OF_FILE;
        st = t->io.truncate(t->io.ctx, 0) == 0 ? DBF_OK : DBF_E_IO;
    }
    if (st == DBF_OK)
        st = dbf_write_exact(&t->io, 0, header, t->header_len + 1);
    free(header);
    if (st == DBF_OK)
        st = write_header(t);
    if (st == DBF_OK && t->memo_style != DBF_MEMO_NONE)
        st = dbf_memo_create(t);
    return hand_over(t, st, out);
}

dbf_status dbf_flush(dbf_table* t)
{
    if (!t)
        return DBF_E_ARG;
    dbf_status st = write_pending(t);
    if (st == DBF_OK && t->header_dirty)
        st = write_header_as(t, 1);
    if (t->io.flush && t->io.flush(t->io.ctx) != 0 && st == DBF_OK)
        st = DBF_E_IO;
    if (t->has_memo_io && t->memo_io.flush && t->memo_io.flush(t->memo_io.ctx) != 0 && st == DBF_OK)
        st = DBF_E_IO;
    return st;
}

dbf_status dbf_close(dbf_table* t)
{
    if (!t)
        return DBF_OK;
    dbf_status st = dbf_flush(t);
    free_table(t);
    return st;
}

int dbf_field_count(const dbf_table* t) { return t->field_count; }
unsigned dbf_record_length(const dbf_table* t) { return t->record_len; }
uint32_t dbf_record_count(const dbf_table* t) { return t->count; }
dbf_memo_style dbf_memo(const dbf_table* t) { return t->memo_style; }
int dbf_was_truncated(const dbf_table* t) { return t->truncated; }
uint32_t dbf_current(const dbf_table* t) { return t->current; }
unsigned char* dbf_record(dbf_table* t) { return t->record; }
void dbf_touch(dbf_table* t) { t->dirty = 1; }
void dbf_hold(dbf_table* t) { t->dirty = 0; }

const dbf_field* dbf_field_at(const dbf_table* t, int index)
{
    return index >= 0 && index < t->field_count ? &t->fields[index] : NULL;
}

int dbf_field_index(const dbf_table* t, const char* name)
{
    if (!name)
        return -1;
    for (int i = 0; i < t->field_count; i++) {
        const char* a = t->fields[i].def.name;
        const char* b = name;
        while (*a && toupper((unsigned char)*a) == toupper((unsigned char)*b))
            a++, b++;
        if (*a == '\0' && (*b == '\0' || *b == ' '))
            return i;
    }
    return -1;
}

/* Writes the cached record if it was changed; changes made while no record
 * is loaded have nowhere to go and are dropped. */
static dbf_status write_pending(dbf_table* t)
{
    if (t->dirty && t->current)
        return dbf_write(t);
    t->dirty = 0;
    return DBF_OK;
}

dbf_status dbf_unload(dbf_table* t, int keep_changes)
{
    dbf_status st = keep_changes ? write_pending(t) : DBF_OK;
    t->current = 0;
    t->dirty = 0;
    memset(t->record, ' ', t->record_len);
    return st;
}

void dbf_refresh(dbf_table* t) { t->window_records = 0; }

dbf_status dbf_sync(dbf_table* t)
{
    unsigned char head[DBF_HEADER_SIZE];
    dbf_refresh(t);
    dbf_status st = dbf_read_exact(&t->io, 0, head, sizeof head);
    if (st != DBF_OK)
        return st;
    int64_t size = t->io.size(t->io.ctx);
    int64_t room = size > (int64_t)t->header_len ? (size - t->header_len) / t->record_len : 0;
    uint32_t count = dbf_le32(head + 4);
    t->count = (int64_t)count > room ? (uint32_t)room : count;
    t->unfinished = head[DBF_UNFINISHED_AT] != 0;
    return DBF_OK;
}

int dbf_unfinished(const dbf_table* t) { return t->unfinished; }

static dbf_status read_generation(dbf_table* t, uint32_t* gen)
{
    unsigned char b[4];
    dbf_status st = dbf_read_exact(&t->io, DBF_GENERATION_AT, b, sizeof b);
    *gen = st == DBF_OK ? dbf_le32(b) : 0;
    return st;
}

int dbf_index_changed_elsewhere(dbf_table* t)
{
    uint32_t gen;
    return read_generation(t, &gen) != DBF_OK || gen != t->generation;
}

void dbf_index_seen(dbf_table* t)
{
    uint32_t gen;
    if (read_generation(t, &gen) == DBF_OK)
        t->generation = gen;
}

dbf_status dbf_index_written(dbf_table* t)
{
    uint32_t gen;
    unsigned char b[4];
    dbf_status st = read_generation(t, &gen);
    dbf_put_le32(b, gen + 1);
    if (st == DBF_OK)
        st = dbf_write_exact(&t->io, DBF_GENERATION_AT, b, sizeof b);
    if (st == DBF_OK)
        t->generation = gen + 1;
    return st;
}

dbf_status dbf_set_unfinished(dbf_table* t, int on)
{
    unsigned char flag = on ? 1 : 0;
    dbf_status st = DBF_OK;
    /* A mark read earlier may be another program's, cleared since. */
    if (on ? !t->marked_here : t->unfinished) {
        st = dbf_write_exact(&t->io, DBF_UNFINISHED_AT, &flag, 1);
        /* Out of our buffers before anything the mark guards is written. */
        if (st == DBF_OK && t->io.flush && t->io.flush(t->io.ctx) != 0)
            st = DBF_E_IO;
    }
    if (st == DBF_OK)
        t->unfinished = t->marked_here = flag;
    return st;
}

int dbf_marked_here(const dbf_table* t) { return t->marked_here; }

dbf_status dbf_read_stored(dbf_table* t, uint32_t n, void* buf)
{
    if (n < 1 || n > t->count)
        return DBF_E_RANGE;
    if (in_window(t, n)) {
        memcpy(buf, t->window + (size_t)(n - t->window_first) * t->record_len, t->record_len);
        return DBF_OK;
    }
    return dbf_read_exact(&t->io, record_offset(t, n), buf, t->record_len);
}

dbf_status dbf_lock(dbf_table* t, int64_t offset, int64_t len, int how)
{
    if (!t->io.lock)
        return DBF_OK;
    if (how != DBF_UNLOCK && t->io.flush)
        t->io.flush(t->io.ctx);     /* drops read buffers, so reads see the other program */
    int r = t->io.lock(t->io.ctx, offset, len, how);
    return r == 0 ? DBF_OK : r == 1 ? DBF_E_LOCKED : DBF_E_IO;
}

int dbf_production_index(dbf_table* t)
{
    unsigned char flag = 0;
    return dbf_read_exact(&t->io, 28, &flag, 1) == DBF_OK && flag == 1;
}

dbf_status dbf_set_production_index(dbf_table* t, int present)
{
    unsigned char flag = present ? 1 : 0;
    return dbf_write_exact(&t->io, 28, &flag, 1);
}
unsigned dbf_header_length(const dbf_table* t) { return t->header_len; }

int dbf_code_page(const dbf_table* t) { return dbf_code_page_of_driver(t->language); }

dbf_status dbf_set_code_page(dbf_table* t, int code_page)
{
    unsigned char driver = dbf_driver_of_code_page(code_page);
    if (!driver)
        return DBF_E_ARG;
    dbf_status st = dbf_write_exact(&t->io, 29, &driver, 1);
    if (st == DBF_OK)
        t->language = driver;
    return st;
}

static int in_window(const dbf_table* t, uint32_t n)
{
    return t->window_records && n >= t->window_first && n - t->window_first < t->window_records;
}

static dbf_status fill_window(dbf_table* t, uint32_t n)
{
    uint32_t want = t->count - n + 1;
    if (want > t->window_capacity)
        want = t->window_capacity;
    t->window_records = 0;
    size_t bytes = (size_t)want * t->record_len;
    int64_t got = t->io.read(t->io.ctx, record_offset(t, n), t->window, bytes);
    if (got < (int64_t)t->record_len)
        return DBF_E_IO;
    t->window_first = n;
    t->window_records = (uint32_t)(got / t->record_len);
    return DBF_OK;
}

dbf_status dbf_go(dbf_table* t, uint32_t n)
{
    if (n < 1 || n > t->count)
        return DBF_E_RANGE;
    dbf_status st = write_pending(t);
    if (st != DBF_OK)
        return st;
    if (!in_window(t, n)) {
        st = fill_window(t, n);
        if (st != DBF_OK)
            return st;
    }
    memcpy(t->record, t->window + (size_t)(n - t->window_first) * t->record_len, t->record_len);
    t->current = n;
    return DBF_OK;
}

dbf_status dbf_read_record(dbf_table* t, uint32_t n, void* buf)
{
    if (n < 1 || n > t->count)
        return DBF_E_RANGE;
    if (n == t->current) {
        memcpy(buf, t->record, t->record_len);
        return DBF_OK;
    }
    return dbf_read_exact(&t->io, record_offset(t, n), buf, t->record_len);
}

dbf_status dbf_write(dbf_table* t)
{
    if (t->current < 1 || t->current > t->count)
        return DBF_E_RANGE;
    dbf_status st = dbf_write_exact(&t->io, record_offset(t, t->current), t->record, t->record_len);
    if (st != DBF_OK)
        return st;
    if (in_window(t, t->current))
        memcpy(t->window + (size_t)(t->current - t->window_first) * t->record_len, t->record,
               t->record_len);
    t->dirty = 0;
    t->header_dirty = 1;
    return DBF_OK;
}

void dbf_blank(dbf_table* t)
{
    memset(t->record, ' ', t->record_len);
    t->dirty = 1;
}

dbf_status dbf_append(dbf_table* t, int blank)
{
    if (t->count == UINT32_MAX)
        return DBF_E_RANGE;
    if (blank) {
        dbf_status st = write_pending(t);
        if (st != DBF_OK)
            return st;
        memset(t->record, ' ', t->record_len);
    }
    uint32_t n = t->count + 1;
    int64_t at = record_offset(t, n);
    unsigned char eof = DBF_END_OF_FILE;
    dbf_status st = dbf_write_exact(&t->io, at, t->record, t->record_len);
    if (st == DBF_OK)
        st = dbf_write_exact(&t->io, at + t->record_len, &eof, 1);
    if (st != DBF_OK)
        return st;
    t->count = n;
    t->current = n;
    t->dirty = 0;
    return write_header(t);
}

int dbf_deleted(const dbf_table* t) { return t->record[0] == '*'; }

void dbf_set_deleted(dbf_table* t, int deleted)
{
    t->record[0] = deleted ? '*' : ' ';
    t->dirty = 1;
}

/* The kept records cut the file down to them: written over the table from
 * the front, the end mark, the file cut, then the count. */
static dbf_status cut_to(dbf_table* t, uint32_t kept)
{
    t->current = 0;
    t->window_records = 0;
    memset(t->record, ' ', t->record_len);
    unsigned char eof = DBF_END_OF_FILE;
    int64_t end = record_offset(t, kept + 1);
    if (t->io.truncate(t->io.ctx, end) != 0 || dbf_write_exact(&t->io, end, &eof, 1) != DBF_OK)
        return DBF_E_IO;
    t->count = kept;
    return write_header(t);
}

/* A copy holds "DBFCOPY1", the count of its records (all ones until they
 * are all there), the record length, and the records. */
#define COPY_HEAD 16
static const char copy_magic[8] = {'D', 'B', 'F', 'C', 'O', 'P', 'Y', '1'};

static dbf_status copy_back(dbf_table* t, dbf_io* copy, uint32_t kept)
{
    for (uint32_t n = 1; n <= kept; n++) {
        dbf_status st = dbf_read_exact(copy, COPY_HEAD + (int64_t)(n - 1) * t->record_len, t->record, t->record_len);
        if (st == DBF_OK)
            st = dbf_write_exact(&t->io, record_offset(t, n), t->record, t->record_len);
        if (st != DBF_OK)
            return st;
    }
    return cut_to(t, kept);
}

/* Moves the records for which keep() holds to the front and cuts the file.
 * With a copy they are first written there whole, so that a program
 * stopped while writing them back loses nothing: dbf_copy_finish ends the
 * work from the copy. Without one (memory) they move in place. */
static dbf_status compact(dbf_table* t, int (*keep)(const dbf_table*, uint32_t, const unsigned char*, const void*),
                          const void* arg, dbf_io* copy)
{
    dbf_status st = write_pending(t);
    unsigned char head[COPY_HEAD];
    memcpy(head, copy_magic, 8);
    dbf_put_le32(head + 8, UINT32_MAX);
    dbf_put_le32(head + 12, t->record_len);
    if (st == DBF_OK && copy && (copy->truncate(copy->ctx, 0) != 0 ||
                                 dbf_write_exact(copy, 0, head, COPY_HEAD) != DBF_OK))
        st = DBF_E_IO;
    uint32_t kept = 0;
    for (uint32_t n = 1; st == DBF_OK && n <= t->count; n++) {
        st = dbf_read_exact(&t->io, record_offset(t, n), t->record, t->record_len);
        if (st != DBF_OK || !keep(t, n, t->record, arg))
            continue;
        kept++;
        if (copy)
            st = dbf_write_exact(copy, COPY_HEAD + (int64_t)(kept - 1) * t->record_len, t->record, t->record_len);
        else if (kept != n)
            st = dbf_write_exact(&t->io, record_offset(t, kept), t->record, t->record_len);
    }
    if (st != DBF_OK || !copy)
        return st != DBF_OK ? st : cut_to(t, kept);
    dbf_put_le32(head + 8, kept);
    if (copy->flush(copy->ctx) != 0 || dbf_write_exact(copy, 8, head + 8, 4) != DBF_OK ||
        copy->flush(copy->ctx) != 0)
        return DBF_E_IO;
    return copy_back(t, copy, kept);
}

dbf_status dbf_copy_finish(dbf_table* t, dbf_io* copy)
{
    unsigned char head[COPY_HEAD];
    int64_t size = copy->size(copy->ctx);
    if (dbf_read_exact(copy, 0, head, COPY_HEAD) != DBF_OK || memcmp(head, copy_magic, 8) != 0 ||
        dbf_le32(head + 12) != t->record_len)
        return DBF_OK;                  /* nothing written back yet: the table is as it was */
    uint32_t kept = dbf_le32(head + 8);
    if (kept == UINT32_MAX || size < COPY_HEAD + (int64_t)kept * t->record_len)
        return DBF_OK;
    return copy_back(t, copy, kept);
}

static int keep_undeleted(const dbf_table* t, uint32_t n, const unsigned char* rec, const void* arg)
{
    return rec[0] != '*';
}

static int keep_outside(const dbf_table* t, uint32_t n, const unsigned char* rec, const void* arg)
{
    const uint32_t* range = (const uint32_t*)arg;
    return n < range[0] || n > range[1];
}

dbf_status dbf_pack_via(dbf_table* t, dbf_io* copy) { return compact(t, keep_undeleted, NULL, copy); }
dbf_status dbf_pack(dbf_table* t) { return dbf_pack_via(t, NULL); }

dbf_status dbf_zap_via(dbf_table* t, uint32_t first, uint32_t last, dbf_io* copy)
{
    uint32_t range[2] = { first ? first : 1, last };
    return compact(t, keep_outside, range, copy);
}
dbf_status dbf_zap(dbf_table* t, uint32_t first, uint32_t last) { return dbf_zap_via(t, first, last, NULL); }
