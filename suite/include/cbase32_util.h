/* CBASE32.DLL, continued: files and sequential file access, lists, memory
 * pools, sorting and relations. Included by cbase32.h; the conventions are
 * the same (r4 results, negative e4 errors reported to the context). */
#ifndef CBASE32_UTIL_H
#define CBASE32_UTIL_H

#ifdef __cplusplus
extern "C" {
#endif

#define r4done 8            /* sort4get: every item has been returned */
#define e4seek -27          /* a read or write position before the start of a file */
#define e4relate -28        /* a relation's master expression or slave lookup failed */

/* Buffering settings, kept for callers that read them back: reads and
 * writes are always buffered by the engine and the system. */
typedef struct CB4_STRUCT_API OPT4_st {
    int isOn, writeOn;
    long blockSize;
} OPT4;

/* Copies up to size - 1 characters of from and ends them with a NUL;
 * returns the number copied. */
CBASE32_API unsigned u4ncpy(char* to, const char* from, unsigned size);

/* ---- files ----
 * A file4 is a plain file by its handle: reads and writes at absolute
 * positions, no buffering of its own. */
typedef struct CB4_STRUCT_API FILE4_st {
    CODE4* code4;
    int hand;               /* -1 when not open */
    int isTemp;             /* removed when closed */
    int isReadOnly;
    char name[260];
} FILE4;

CBASE32_API int file4open(FILE4* f, CODE4* cb, const char* name, int doAlloc);
/* Refuses an existing file with e4create while CODE4.safety is set. */
CBASE32_API int file4create(FILE4* f, CODE4* cb, const char* name, int doAlloc);
/* A new file of a unique name in the temporary folder; its name is copied to
 * name (260 bytes) when name is not NULL. autoRemove: removed on close. */
CBASE32_API int file4temp(FILE4* f, CODE4* cb, char* name, int autoRemove);
CBASE32_API int file4close(FILE4* f);
CBASE32_API int file4flush(FILE4* f);
CBASE32_API int file4refresh(FILE4* f);
CBASE32_API long file4len(FILE4* f);                        /* negative e4 on error */
CBASE32_API int file4len_set(FILE4* f, long len);
/* Bytes read, fewer at the end of the file. */
CBASE32_API unsigned file4read(FILE4* f, long pos, void* buf, unsigned len);
/* All len bytes, or e4read. */
CBASE32_API int file4read_all(FILE4* f, long pos, void* buf, unsigned len);
CBASE32_API int file4write(FILE4* f, long pos, const void* buf, unsigned len);
/* keep takes other's contents under keep's name; other is closed. */
CBASE32_API int file4replace(FILE4* keep, FILE4* other);
/* Byte-range locks that other programs respect: r4locked when another
 * holds part of the range. */
CBASE32_API int file4lock(FILE4* f, long pos, long len);
CBASE32_API int file4unlock(FILE4* f, long pos, long len);
/* Buffering is the system's: these only say so. */
CBASE32_API int file4optimize(FILE4* f, int optFlag, int fileType);
CBASE32_API int file4optimize_write(FILE4* f, int optFlag);

/* Reading a file front to back through the caller's buffer (at least 512
 * bytes; a smaller or NULL one reads straight from the file). */
typedef struct CB4_STRUCT_API FILE4SEQ_READ_st {
    FILE4* file;
    long pos;               /* file position of the buffer's first byte */
    char* buffer;
    unsigned size, avail, next;
} FILE4SEQ_READ;

CBASE32_API int file4seq_read_init(FILE4SEQ_READ* r, FILE4* f, long start, void* buffer, unsigned size);
CBASE32_API unsigned file4seq_read(FILE4SEQ_READ* r, void* out, unsigned len);
CBASE32_API int file4seq_read_all(FILE4SEQ_READ* r, void* out, unsigned len);

/* Writing front to back; file4seq_write_flush writes what is buffered. */
typedef struct CB4_STRUCT_API FILE4SEQ_WRITE_st {
    FILE4* file;
    long pos;               /* file position of the buffer's first byte */
    char* buffer;
    unsigned size, used;
} FILE4SEQ_WRITE;

CBASE32_API int file4seq_write_init(FILE4SEQ_WRITE* w, FILE4* f, long start, void* buffer, unsigned size);
CBASE32_API int file4seq_write(FILE4SEQ_WRITE* w, const void* data, unsigned len);
CBASE32_API int file4seq_write_flush(FILE4SEQ_WRITE* w);
CBASE32_API int file4seq_write_repeat(FILE4SEQ_WRITE* w, long count, char c);

/* ---- lists ----
 * A circular, doubly linked list of caller-owned items, each starting with
 * a LINK4. The list holds its last node and its count. */
typedef struct CB4_STRUCT_API l4link_st {
    struct l4link_st* n;
    struct l4link_st* p;
} LINK4;

typedef struct CB4_STRUCT_API LIST4_st {
    LINK4* lastNode;
    void* selected;
    int nLink;
} LIST4;

CBASE32_API void l4add(LIST4* l, void* item);               /* at the end */
CBASE32_API void l4add_after(LIST4* l, void* anchor, void* item);
CBASE32_API void l4add_before(LIST4* l, void* anchor, void* item);
CBASE32_API void* l4first(const LIST4* l);
CBASE32_API void* l4last(const LIST4* l);
CBASE32_API void* l4next(const LIST4* l, const void* item); /* NULL item: the first */
CBASE32_API void* l4prev(const LIST4* l, const void* item); /* NULL item: the last */
CBASE32_API void* l4pop(LIST4* l);                          /* removes the last */
CBASE32_API void l4remove(LIST4* l, void* item);

/* ---- memory pools ----
 * Fixed-size units handed out from chunks of `start`, then `expand`, units;
 * freed units are kept for the next mem4alloc; mem4release frees it all. */
typedef struct MEM4_st {
    CODE4* code4;
    unsigned unitSize;      /* rounded up to hold a LINK4 and keep alignment */
    int unitsStart, unitsExpand;
    int isTemp;
    LIST4 chunks;
    LIST4 freeUnits;
    long inUse;
} MEM4;

CBASE32_API MEM4* mem4create(CODE4* cb, int start, unsigned unitSize, int expand, int isTemp);
CBASE32_API void* mem4alloc(MEM4* m);                       /* zeroed, or NULL and e4memory */
CBASE32_API int mem4free(MEM4* m, void* unit);
CBASE32_API void mem4release(MEM4* m);

/* ---- sorting ----
 * Items of sortLen key bytes and infoLen bytes of other data with a record
 * number, returned in key order (memcmp), equal keys by record number.
 * Past memoryLimit bytes (sort4init sets 1 MB) sorted runs go to a
 * temporary file and sort4get merges them. */
typedef struct CB4_STRUCT_API SORT4_st {
    CODE4* code4;
    int sortLen, infoLen;
    unsigned itemLen;       /* record number, key, info */
    long memoryLimit;
    char* items;            /* the run being collected, then the last run */
    long count, capacity;
    FILE4 spill;
    long* runs;             /* items in each spilled run */
    int numRuns;
    struct sort4run_st* merge;
    long next;              /* the next item of the in-memory run */
    char* result;           /* the item sort4get last returned */
    int getting;
} SORT4;

CBASE32_API int sort4init(SORT4* s, CODE4* cb, int sortLen, int infoLen);
CBASE32_API int sort4put(SORT4* s, long rec, const void* sortData, const void* info);
CBASE32_API int sort4get_init(SORT4* s);
/* r4success with the item's record, key and info (valid until the next
 * call), or r4done. */
CBASE32_API int sort4get(SORT4* s, long* rec, void** sortData, void** info);
CBASE32_API int sort4free(SORT4* s);

/* ---- relations ----
 * A master table with slaves: for each master record the master expression
 * is evaluated on the master and the slave is positioned on the matching
 * record, through the slave's tag (a key lookup) or, without a tag, as a
 * record number. Slaves may be masters of further slaves. relate4top and
 * relate4skip walk the top master (in its selected tag's order) keeping
 * every slave positioned, and skip master records the query rejects. */
typedef struct RELATE4_st RELATE4;
struct RELATE4_st {
    CODE4* code4;
    DATA4* data;
    TAG4* dataTag;          /* the slave's lookup tag; NULL: record number */
    RELATE4* master;        /* NULL for the top of the relation set */
    EXPR4* masterExpr;
    int relationType;       /* relate4exact (default), relate4scan, relate4approx */
    int errorAction;        /* relate4blank (default), relate4skipRec, relate4terminate */
    int matchLen;           /* key bytes compared; 0: the whole key */
    RELATE4* slaves;        /* the first slave; the others follow through nextSibling */
    RELATE4* nextSibling;
    EXPR4* query;           /* top only: the query */
    char* querySource;
    TAG4* sortTag;          /* top only: relate4sort_set's order */
    int skipEnabled;
    int isChanged;
};

#define relate4exact 0
#define relate4scan 1
#define relate4approx 2
#define relate4blank 0
#define relate4skipRec 1
#define relate4terminate 2

CBASE32_API RELATE4* relate4init(DATA4* master);
CBASE32_API RELATE4* relate4create_slave(RELATE4* master, DATA4* slave, const char* masterExpr, TAG4* tag);
CBASE32_API int relate4do(RELATE4* r);                      /* this relation and all below */
CBASE32_API int relate4do_one(RELATE4* r);                  /* this slave only */
CBASE32_API int relate4error_action(RELATE4* r, int action);  /* returns the old one */
CBASE32_API int relate4match_len(RELATE4* r, int len);
CBASE32_API int relate4type(RELATE4* r, int type);
CBASE32_API int relate4top(RELATE4* r);
CBASE32_API int relate4bottom(RELATE4* r);
CBASE32_API int relate4skip(RELATE4* r, long n);
CBASE32_API int relate4skip_enable(RELATE4* r, int enable);
CBASE32_API int relate4query_set(RELATE4* r, const char* query);  /* NULL: every record */
CBASE32_API int relate4sort_set(RELATE4* r, const char* tagName); /* the master's tag of that name */
CBASE32_API int relate4changed(RELATE4* r);
CBASE32_API int relate4free(RELATE4* r, int closeFiles);
CBASE32_API int relate4lock(RELATE4* r);
CBASE32_API int relate4unlock(RELATE4* r);

#ifdef __cplusplus
}
#endif

#endif
