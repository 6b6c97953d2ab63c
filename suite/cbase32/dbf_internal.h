/* What the engine's source files share about a table handle. */
#ifndef DBF_INTERNAL_H
#define DBF_INTERNAL_H

#include "dbf.h"

struct dbf_table {
    dbf_io io;
    dbf_io memo_io;
    int has_memo_io;

    unsigned char version;
    unsigned char language;     /* the language driver byte */
    unsigned header_len, record_len;
    uint32_t count;
    int truncated;
    int field_count;
    dbf_field* fields;

    unsigned char* record;      /* the cached record */
    uint32_t current;           /* its number, 0 for none */
    int dirty;                  /* the cached record differs from the file */
    int header_dirty;           /* count or date to be written */
    int unfinished;             /* the header's mark of an unfinished change, as last read or written */
    int marked_here;            /* the mark is this handle's own change */
    uint32_t generation;        /* the index changes the cached pages include */

    /* Records read ahead of the cursor, so a sequential scan costs one read
     * per window rather than one per record. */
    unsigned char* window;
    uint32_t window_first, window_records, window_capacity;

    dbf_memo_style memo_style;
    int memo_ready;             /* memo header read */
    unsigned memo_block;
    uint32_t memo_next;         /* first free block */
};

#define DBF_HEADER_SIZE 32
#define DBF_DESCRIPTOR_SIZE 32
#define DBF_TERMINATOR 0x0D
#define DBF_END_OF_FILE 0x1A
/* dBASE IV's flag of an incomplete transaction: set while the table's
 * indexes are being changed, so that a crash leaves it behind. */
#define DBF_UNFINISHED_AT 14
/* Reserved for multi-user use by dBASE III PLUS: a count of the changes
 * of the table's index pages, which programs sharing it add to. */
#define DBF_GENERATION_AT 16

static inline uint32_t dbf_le32(const unsigned char* p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}
static inline unsigned dbf_le16(const unsigned char* p) { return (unsigned)p[0] | (unsigned)p[1] << 8; }
static inline void dbf_put_le32(unsigned char* p, uint32_t v)
{
    p[0] = (unsigned char)v; p[1] = (unsigned char)(v >> 8);
    p[2] = (unsigned char)(v >> 16); p[3] = (unsigned char)(v >> 24);
}
static inline void dbf_put_le16(unsigned char* p, unsigned v)
{
    p[0] = (unsigned char)v; p[1] = (unsigned char)(v >> 8);
}

/* Reads exactly n bytes or fails. */
dbf_status dbf_read_exact(dbf_io* io, int64_t offset, void* buf, size_t n);
dbf_status dbf_write_exact(dbf_io* io, int64_t offset, const void* buf, size_t n);

/* Memo files: set up the header of a new one, forget cached state. */
dbf_status dbf_memo_create(dbf_table* t);

#endif
