/* A small dBASE III/IV table engine: .DBF tables with .DBT memo files.
 *
 * Portable C: the engine reads and writes through a dbf_io, so the same code
 * runs on files (dbf_io_file) and on memory (dbf_io_memory, for tests and
 * fuzzing). A table handle keeps one record cached; every call reports
 * failure as a negative dbf_status, never by aborting. */
#ifndef DBF_H
#define DBF_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef enum dbf_status {
    DBF_OK = 0,
    DBF_E_IO = -1,          /* the I/O seam failed or the file is shorter than it claims */
    DBF_E_FORMAT = -2,      /* not a dBASE table, or a damaged header */
    DBF_E_NOMEM = -3,
    DBF_E_RANGE = -4,       /* no such record */
    DBF_E_FIELD = -5,       /* no such field, or the field's type does not fit the call */
    DBF_E_MEMO = -6,        /* memo file missing or damaged */
    DBF_E_ARG = -7,         /* bad argument (field definitions, sizes) */
    DBF_E_VALUE = -8,       /* the value does not fit the field */
    DBF_E_EXPR = -9,        /* an expression that does not parse, or the wrong type */
    DBF_E_INDEX = -10,      /* an index file that is damaged or does not fit its table */
    DBF_E_UNIQUE = -11,     /* a unique tag already holds the key */
    DBF_E_LOCKED = -12      /* another program holds the lock */
} dbf_status;

/* The I/O seam. Offsets are absolute; read returns the number of bytes read
 * (short at end of data) or -1; write returns n or -1. */
typedef struct dbf_io {
    void* ctx;
    int64_t (*read)(void* ctx, int64_t offset, void* buf, size_t n);
    int64_t (*write)(void* ctx, int64_t offset, const void* buf, size_t n);
    int64_t (*size)(void* ctx);
    int (*truncate)(void* ctx, int64_t size);
    int (*flush)(void* ctx);
    void (*close)(void* ctx);       /* releases ctx; may be NULL */
    /* Byte-range locks other programs on the file respect; may be NULL
     * (memory has no other users). how: DBF_LOCK_TRY or DBF_UNLOCK (the
     * seam never blocks: callers that wait poll); returns 0, 1 when the
     * range is locked by another, or -1. */
    int (*lock)(void* ctx, int64_t offset, int64_t len, int how);
} dbf_io;

enum { DBF_UNLOCK = 0, DBF_LOCK_WAIT = 1, DBF_LOCK_TRY = 2 };

/* A file on disk. mode: 'r' read only, 'w' read and write, 'c' create (truncates). */
dbf_status dbf_io_file(dbf_io* io, const char* path, char mode);
/* Whether two paths name one existing file, however they are spelt. */
int dbf_same_file(const char* a, const char* b);

/* A growable memory block owned by the caller; it outlives the io that
 * works on it, so its bytes can be looked at after the table is closed.
 * Start from a zeroed struct; dbf_memory_free releases the bytes. */
typedef struct dbf_memory {
    unsigned char* data;
    size_t size, capacity;
} dbf_memory;

void dbf_io_memory(dbf_io* io, dbf_memory* m);
dbf_status dbf_memory_assign(dbf_memory* m, const void* data, size_t size);
void dbf_memory_free(dbf_memory* m);

typedef enum dbf_memo_style {
    DBF_MEMO_NONE = 0,
    DBF_MEMO_DBASE3 = 3,    /* 512-byte blocks, text ended by 0x1A 0x1A */
    DBF_MEMO_DBASE4 = 4     /* blocks of the size in the memo header, each memo with a length */
} dbf_memo_style;

typedef struct dbf_field_def {
    char name[11];          /* up to 10 characters */
    char type;              /* C N F D L M */
    unsigned char len;
    unsigned char dec;
} dbf_field_def;

typedef struct dbf_field {
    dbf_field_def def;
    unsigned offset;        /* in the record, after the deletion flag */
} dbf_field;

typedef struct dbf_table dbf_table;

/* Opens a table. memo may be NULL when the table has no memo fields; with
 * memo fields and no memo file, memo access fails with DBF_E_MEMO. The table
 * owns both io's from then on, also when opening fails. */
dbf_status dbf_open(dbf_table** out, dbf_io* table, dbf_io* memo);

/* Creates an empty table (and its memo file when fields include M: memo must
 * then be given and style says which kind). Takes ownership as dbf_open. */
dbf_status dbf_create(dbf_table** out, dbf_io* table, dbf_io* memo,
                      const dbf_field_def* fields, int count, dbf_memo_style style);

/* Writes what is pending and releases the table. NULL is allowed. */
dbf_status dbf_close(dbf_table* t);
dbf_status dbf_flush(dbf_table* t);

int dbf_field_count(const dbf_table* t);
const dbf_field* dbf_field_at(const dbf_table* t, int index);   /* NULL when out of range */
int dbf_field_index(const dbf_table* t, const char* name);      /* case-insensitive; -1 if none */
unsigned dbf_record_length(const dbf_table* t);
uint32_t dbf_record_count(const dbf_table* t);
dbf_memo_style dbf_memo(const dbf_table* t);
/* Nonzero when the header promised more records than the file holds; the
 * count is then what the file holds. */
int dbf_was_truncated(const dbf_table* t);

/* The cached record: 0 when none is loaded, else 1..record count. */
uint32_t dbf_current(const dbf_table* t);
/* Loads record n (1-based) into the cache, writing a changed record first. */
dbf_status dbf_go(dbf_table* t, uint32_t n);
/* The cached record's bytes (deletion flag first); after changing them call
 * dbf_touch so they are written before the cache moves on. */
unsigned char* dbf_record(dbf_table* t);
void dbf_touch(dbf_table* t);
/* The cached record's changes stay in the cache: no move or flush writes
 * them, only dbf_write (after dbf_touch). */
void dbf_hold(dbf_table* t);
dbf_status dbf_write(dbf_table* t);             /* writes the cached record now */
/* Copies record n into buf (dbf_record_length bytes); the cache stays. */
dbf_status dbf_read_record(dbf_table* t, uint32_t n, void* buf);
/* Leaves no record loaded and a blank buffer (end of file); keep_changes
 * writes a changed record first, else its changes are dropped. */
dbf_status dbf_unload(dbf_table* t, int keep_changes);
/* Forgets records read ahead, so the next dbf_go reads the file again. */
void dbf_refresh(dbf_table* t);
/* Forgets records read ahead and re-reads the record count, which another
 * program may have changed (after taking a lock). */
dbf_status dbf_sync(dbf_table* t);
/* The header's mark of an unfinished change of the table's indexes (set
 * before the first page changes, cleared once they are written): set at
 * open, a program stopped half-way. Setting it writes it out at once. */
int dbf_unfinished(const dbf_table* t);
dbf_status dbf_set_unfinished(dbf_table* t, int on);
/* Whether this handle set the mark (and has not cleared it): a mark read
 * from the file may be another program's change in progress. */
int dbf_marked_here(const dbf_table* t);
/* A count in the header of the changes of the table's index pages, so a
 * program sharing the table keeps its cached pages until another changed
 * them: dbf_index_changed_elsewhere compares it with the count the cache
 * was read at, dbf_index_seen notes it after pages were read afresh, and
 * dbf_index_written adds one after pages were written (under the lock
 * that guards them). */
int dbf_index_changed_elsewhere(dbf_table* t);
void dbf_index_seen(dbf_table* t);
dbf_status dbf_index_written(dbf_table* t);
/* Writes buffered memo bytes out and forgets the memo file's next free
 * block, so the next memo goes after whatever another program added. */
void dbf_memo_sync(dbf_table* t);
/* Copies record n as stored in the file, whatever the cache holds. */
dbf_status dbf_read_stored(dbf_table* t, uint32_t n, void* buf);
/* Locks on the table file (see dbf_io.lock); DBF_E_LOCKED when a try
 * finds the range taken. */
dbf_status dbf_lock(dbf_table* t, int64_t offset, int64_t len, int how);
/* The header's flag for a production index (.MDX) beside the table. */
int dbf_production_index(dbf_table* t);
dbf_status dbf_set_production_index(dbf_table* t, int present);
unsigned dbf_header_length(const dbf_table* t);

/* Appends a record and makes it the current one. blank nonzero: a blank
 * record, after writing the cached one if changed; blank 0: the cached bytes,
 * which then no longer belong to the record they were read from. */
dbf_status dbf_append(dbf_table* t, int blank);
/* Fills the cached record with blanks (not deleted). */
void dbf_blank(dbf_table* t);

int dbf_deleted(const dbf_table* t);
void dbf_set_deleted(dbf_table* t, int deleted);

/* Removes deleted records; the memo file keeps its blocks. */
dbf_status dbf_pack(dbf_table* t);
/* Removes records first..last (inclusive, clipped to the table). */
dbf_status dbf_zap(dbf_table* t, uint32_t first, uint32_t last);
/* The same through a copy (the caller's io, not owned): the records kept
 * are written there whole before the table is rewritten, so that a stop
 * half-way loses nothing. dbf_copy_finish, given a copy left behind,
 * completes the rewrite when the copy was whole (else the table was not
 * touched yet); the caller then removes the copy. */
dbf_status dbf_pack_via(dbf_table* t, dbf_io* copy);
dbf_status dbf_zap_via(dbf_table* t, uint32_t first, uint32_t last, dbf_io* copy);
dbf_status dbf_copy_finish(dbf_table* t, dbf_io* copy);

/* Field values of the cached record (also of the blank buffer when no
 * record is loaded: such changes are only kept by dbf_append). */
/* Text with trailing blanks removed (leading ones too for N and F); always
 * NUL-terminated within size; returns the full length of the value. */
size_t dbf_get_text(dbf_table* t, int field, char* buf, size_t size);
dbf_status dbf_get_double(dbf_table* t, int field, double* value);
dbf_status dbf_get_long(dbf_table* t, int field, long* value);
int dbf_get_logical(dbf_table* t, int field);      /* 1 for T t Y y */

/* C: left-justified and padded; N and F: right-justified; D: YYYYMMDD;
 * L: first character. Too long for the field gives DBF_E_VALUE (C is cut). */
dbf_status dbf_set_text(dbf_table* t, int field, const char* text);
dbf_status dbf_set_double(dbf_table* t, int field, double value);
dbf_status dbf_set_long(dbf_table* t, int field, long value);

/* The code page of the table's language driver byte (header byte 29):
 * 437, 850 or 1252, or 0 when it names none of them. dbf_create marks a
 * table 1252, the Windows code page of the programs that write it;
 * dbf_set_code_page writes another into the header (DBF_E_ARG for a code
 * page without a driver here). */
int dbf_code_page(const dbf_table* t);
dbf_status dbf_set_code_page(dbf_table* t, int code_page);
int dbf_code_page_of_driver(unsigned char driver);
unsigned char dbf_driver_of_code_page(int code_page);
/* Texts of a code page (0: byte by byte): n bytes compared in its
 * collation, -1, 0 or 1; a character in upper or lower case. */
int dbf_text_compare(int code_page, const void* a, const void* b, size_t n);
unsigned char dbf_upper(int code_page, unsigned char c);
unsigned char dbf_lower(int code_page, unsigned char c);

/* A number as dBASE writes it: dec decimals, a half rounded away from
 * zero (where printf would round it to even), right-justified in width
 * (0: no padding). Returns the length as snprintf does. */
int dbf_format_number(char* out, size_t size, double value, int width, int dec);

/* Memo text of the cached record: *text is malloc'ed and NUL-terminated (the
 * caller frees it); an empty memo gives length 0. */
dbf_status dbf_memo_read(dbf_table* t, int field, char** text, size_t* len);
/* Stores the text in new memo blocks and the block number in the record. */
dbf_status dbf_memo_write(dbf_table* t, int field, const char* text, size_t len);

#ifdef __cplusplus
}
#endif

#endif
