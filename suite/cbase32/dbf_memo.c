/* Memo files (.DBT). Block 0 is the header; its first four bytes hold the
 * next free block. dBASE III memos are 512-byte blocks of text ended by
 * 0x1A; dBASE IV memos start with FF FF 08 00 and their length (header
 * included), in blocks of the size stored at bytes 20-21 of the header. */
#include "dbf_internal.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define MEMO_DBASE3_BLOCK 512u
#define MEMO_HEADER_SIZE 512u
#define MEMO_DBASE4_SIGNATURE 0x0008FFFFu
#define MEMO_DBASE4_PREFIX 8u

static dbf_status memo_ready(dbf_table* t)
{
    if (t->memo_style == DBF_MEMO_NONE || !t->has_memo_io)
        return DBF_E_MEMO;
    if (t->memo_ready)
        return DBF_OK;
    unsigned char head[24];
    if (dbf_read_exact(&t->memo_io, 0, head, sizeof head) != DBF_OK)
        return DBF_E_MEMO;
    t->memo_next = dbf_le32(head);
    t->memo_block = MEMO_DBASE3_BLOCK;
    if (t->memo_style == DBF_MEMO_DBASE4) {
        /* 0 is what some writers leave for the dBASE III size; any other
         * size is one we do not know how to place memos in. */
        unsigned size = dbf_le16(head + 20);
        if (size != 0 && (size < 64 || size % 64 != 0))
            return DBF_E_MEMO;
        if (size)
            t->memo_block = size;
    }
    int64_t size = t->memo_io.size(t->memo_io.ctx);
    if (t->memo_next == 0 || size < 0)
        return DBF_E_MEMO;
    /* New memos go to the end of the file, whatever the header says: a
     * damaged header could point far past the end, or back over memos in
     * use. The header is rewritten with the true value on the next write. */
    uint64_t blocks_in_file = ((uint64_t)size + t->memo_block - 1) / t->memo_block;
    if (blocks_in_file < 1)
        blocks_in_file = 1;
    if (blocks_in_file > UINT32_MAX)
        return DBF_E_MEMO;
    t->memo_next = (uint32_t)blocks_in_file;
    t->memo_ready = 1;
    return DBF_OK;
}

dbf_status dbf_memo_create(dbf_table* t)
{
    unsigned char head[MEMO_HEADER_SIZE];
    memset(head, 0, sizeof head);
    dbf_put_le32(head, 1);
    if (t->memo_style == DBF_MEMO_DBASE4)
        dbf_put_le16(head + 20, MEMO_DBASE3_BLOCK);
    else
        head[16] = 0x03;
    if (t->memo_io.truncate(t->memo_io.ctx, 0) != 0 ||
        dbf_write_exact(&t->memo_io, 0, head, sizeof head) != DBF_OK)
        return DBF_E_IO;
    t->memo_ready = 0;
    return memo_ready(t);
}

void dbf_memo_sync(dbf_table* t)
{
    if (t->has_memo_io && t->memo_io.flush)
        t->memo_io.flush(t->memo_io.ctx);
    t->memo_ready = 0;
}

/* The block number stored in a memo field: 0 for none, -1 when damaged. */
static int64_t block_of(const dbf_table* t, const dbf_field* f)
{
    const unsigned char* p = t->record + f->offset;
    int64_t block = 0;
    int digits = 0;
    for (unsigned i = 0; i < f->def.len; i++) {
        if (p[i] == ' ' || p[i] == '\0') {
            if (digits)
                break;
            continue;
        }
        if (p[i] < '0' || p[i] > '9')
            return -1;
        block = block * 10 + (p[i] - '0');
        digits++;
    }
    return block;
}

static dbf_status read_dbase3(dbf_table* t, int64_t at, int64_t limit, char** text, size_t* len)
{
    size_t cap = MEMO_DBASE3_BLOCK, n = 0;
    char* buf = (char*)malloc(cap + 1);
    if (!buf)
        return DBF_E_NOMEM;
    for (;;) {
        if (n + MEMO_DBASE3_BLOCK > cap) {
            char* more = (char*)realloc(buf, cap * 2 + 1);
            if (!more) {
                free(buf);
                return DBF_E_NOMEM;
            }
            buf = more;
            cap *= 2;
        }
        int64_t got = t->memo_io.read(t->memo_io.ctx, at + (int64_t)n, buf + n, MEMO_DBASE3_BLOCK);
        if (got < 0) {
            free(buf);
            return DBF_E_IO;
        }
        char* end = (char*)memchr(buf + n, DBF_END_OF_FILE, (size_t)got);
        if (end) {
            n = (size_t)(end - buf);
            break;
        }
        n += (size_t)got;
        /* A memo that runs to the end of the file is taken as it is. */
        if (got < (int64_t)MEMO_DBASE3_BLOCK || at + (int64_t)n >= limit)
            break;
    }
    buf[n] = '\0';
    *text = buf;
    *len = n;
    return DBF_OK;
}

static dbf_status read_dbase4(dbf_table* t, int64_t at, int64_t limit, char** text, size_t* len)
{
    unsigned char prefix[MEMO_DBASE4_PREFIX];
    if (dbf_read_exact(&t->memo_io, at, prefix, sizeof prefix) != DBF_OK ||
        dbf_le32(prefix) != MEMO_DBASE4_SIGNATURE)
        return DBF_E_MEMO;
    uint32_t total = dbf_le32(prefix + 4);
    if (total < MEMO_DBASE4_PREFIX || at + (int64_t)total > limit)
        return DBF_E_MEMO;
    size_t n = total - MEMO_DBASE4_PREFIX;
    char* buf = (char*)malloc(n + 1);
    if (!buf)
        return DBF_E_NOMEM;
    if (dbf_read_exact(&t->memo_io, at + MEMO_DBASE4_PREFIX, buf, n) != DBF_OK) {
        free(buf);
        return DBF_E_MEMO;
    }
    buf[n] = '\0';
    *text = buf;
    *len = n;
    return DBF_OK;
}

dbf_status dbf_memo_read(dbf_table* t, int field, char** text, size_t* len)
{
    const dbf_field* f = t ? dbf_field_at(t, field) : NULL;
    if (!text || !len)
        return DBF_E_ARG;
    *text = NULL;
    *len = 0;
    if (!f || f->def.type != 'M')
        return DBF_E_FIELD;
    int64_t block = block_of(t, f);
    if (block < 0)
        return DBF_E_MEMO;
    if (block == 0) {
        *text = (char*)calloc(1, 1);
        return *text ? DBF_OK : DBF_E_NOMEM;
    }
    dbf_status st = memo_ready(t);
    if (st != DBF_OK)
        return st;
    int64_t limit = t->memo_io.size(t->memo_io.ctx);
    int64_t at = block * (int64_t)t->memo_block;
    if (block >= t->memo_next || at >= limit)
        return DBF_E_MEMO;
    return t->memo_style == DBF_MEMO_DBASE4 ? read_dbase4(t, at, limit, text, len)
                                            : read_dbase3(t, at, limit, text, len);
}

dbf_status dbf_memo_write(dbf_table* t, int field, const char* text, size_t len)
{
    const dbf_field* f = t ? dbf_field_at(t, field) : NULL;
    if (!f || f->def.type != 'M')
        return DBF_E_FIELD;
    if (len == 0) {
        memset(t->record + f->offset, ' ', f->def.len);
        t->dirty = 1;
        return DBF_OK;
    }
    dbf_status st = memo_ready(t);
    if (st != DBF_OK)
        return st;
    int dbase4 = t->memo_style == DBF_MEMO_DBASE4;
    size_t extra = dbase4 ? MEMO_DBASE4_PREFIX : 2;
    if (len > UINT32_MAX - extra - t->memo_block)
        return DBF_E_VALUE;
    size_t used = len + extra;
    size_t blocks = (used + t->memo_block - 1) / t->memo_block;
    if (blocks > UINT32_MAX - t->memo_next)
        return DBF_E_VALUE;
    size_t padded = blocks * t->memo_block;
    unsigned char* buf = (unsigned char*)calloc(1, padded);
    if (!buf)
        return DBF_E_NOMEM;
    if (dbase4) {
        dbf_put_le32(buf, MEMO_DBASE4_SIGNATURE);
        dbf_put_le32(buf + 4, (uint32_t)used);
        memcpy(buf + MEMO_DBASE4_PREFIX, text, len);
    } else {
        memcpy(buf, text, len);
        buf[len] = buf[len + 1] = DBF_END_OF_FILE;
    }
    uint32_t block = t->memo_next;
    st = dbf_write_exact(&t->memo_io, (int64_t)block * t->memo_block, buf, padded);
    free(buf);
    unsigned char next[4];
    dbf_put_le32(next, block + (uint32_t)blocks);
    if (st == DBF_OK)
        st = dbf_write_exact(&t->memo_io, 0, next, sizeof next);
    if (st != DBF_OK)
        return st;
    t->memo_next = block + (uint32_t)blocks;
    char digits[16];
    snprintf(digits, sizeof digits, "%10u", (unsigned)block);
    memcpy(t->record + f->offset, digits, 10);
    t->dirty = 1;
    return DBF_OK;
}
