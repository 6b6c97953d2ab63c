/* CBASE32.DLL: the suite's dBASE engine and its C entry points (code4, d4, f4, i4, t4, ...).
 *
 * Tables are dBASE III/IV .DBF files with .DBT memo files. Field types C, N,
 * F, D, L and M. A table's production index (the .MDX of the same name, with
 * up to 47 tags) is opened with it and kept current by every write; keys and
 * filters are dBASE expressions (expr4*). Record, append and file locks are
 * byte-range locks beyond the end of the table, as dBASE places them, so
 * other programs sharing the table respect them.
 *
 * Results: functions returning int give r4success (0), one of the r4
 * positions below, or a negative e4 error. Every error is also stored in
 * CODE4.errorCode and reported to the error hook (see SetErrorHook).
 * All functions use the C calling convention and undecorated names. */
#ifndef CBASE32_H
#define CBASE32_H

#if defined(_WIN32) && !defined(CBASE32_STATIC)
#ifdef CBASE32_BUILD
#define CBASE32_API __declspec(dllexport)
#else
#define CBASE32_API __declspec(dllimport)
#endif
#else
#define CBASE32_API
#endif

/* C++ in the suite's ABI (Microsoft's compiler): the wizard library exports
 * the assignment operators of the structures the database classes are built
 * on, so C++ programs import them from it. */
#if defined(__cplusplus) && defined(_MSC_VER) && !defined(CBASE32_STATIC) && !defined(CBASE32_BUILD)
#ifdef QVWIZ32_DB_BUILD
#define CB4_STRUCT_API __declspec(dllexport)
#else
#define CB4_STRUCT_API __declspec(dllimport)
#endif
#else
#define CB4_STRUCT_API
#endif

#ifdef _WIN32
#define CB4_HOOKCALL __stdcall
#else
#define CB4_HOOKCALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Positions and outcomes. */
#define r4success 0
#define r4bof 1     /* moved before the first record */
#define r4eof 2     /* moved past the last record */
#define r4entry 3   /* no such record */
#define r4after 4   /* d4seek/t4seek: no equal key; positioned on the next greater one */
#define r4unique 5  /* a unique tag already holds the key; the key was left out */
#define r4locked 6  /* another program holds the lock (at once for d4lock_test*, after CODE4.lockWait for d4lock*) */
#define r4unique_continue 7 /* TAG4INFO.unique: duplicates are left out silently */
#define r4descending 1      /* TAG4INFO.descending */

/* Errors. */
#define e4open -10          /* the file could not be opened */
#define e4create -11        /* the file could not be created, or exists and safety is on */
#define e4read -12
#define e4write -13
#define e4data -14          /* not a dBASE table, or a damaged one */
#define e4fieldName -15     /* no such field */
#define e4memo -16          /* memo file missing or damaged */
#define e4parm -17          /* bad argument */
#define e4memory -18
#define e4notSupported -19  /* indexes, tags, locks and the like */
#define e4value -20         /* the value does not fit the field */
#define e4readOnly -21      /* change to a table opened read only */
#define e4unique -22        /* a unique tag (unique = e4unique) refused a duplicate key */
#define e4expr -23          /* an expression that does not parse or evaluate */
#define e4index -24         /* index file missing, damaged or disagreeing with its table */
#define e4tagName -25       /* no such tag, or a tag of that name exists */
#define e4lock -26          /* a lock could not be taken */

struct dbf_table;
typedef struct DATA4_st DATA4;
typedef struct FIELD4_st FIELD4;
typedef struct INDEX4_st INDEX4;
typedef struct TAG4_st TAG4;
typedef struct e4expr_st EXPR4;

/* The engine's context: settings read by the calls and the open tables.
 * d4init sets the defaults; d4init_undo closes everything. */
typedef struct CB4_STRUCT_API CODE4_st {
    int errorCode;          /* last error, 0 for none; cleared by the caller */
    int errOff;             /* nonzero: errors are not passed to the error hook */
    int safety;             /* nonzero (default): d4create does not replace a file */
    int readOnly;           /* nonzero: d4open opens tables read only */
    int memoStyle;          /* memo files d4create makes: 3 dBASE III (default), 4 dBASE IV */
    int initialised;
    DATA4* dataList;        /* open tables, most recent first */
    void* calcList;         /* expr4calc_create's named expressions */
    long lockWait;          /* ms a lock wait lasts before it gives up with r4locked (d4init: 10000) */
    void* reserved[2];
} CODE4;

/* An open table. Callers that change the bytes of f4ptr directly set
 * recordChanged to 1 so the record is written before the table moves on. */
struct DATA4_st {
    CODE4* code4;
    DATA4* next;
    struct dbf_table* table;
    int recordChanged;
    int bof, eof;
    long recNo;             /* current record; record count + 1 at end of file */
    int readOnly;
    int appending;          /* between d4append_start and d4append */
    int numFields;
    FIELD4* fields;
    char* text;             /* f4str's buffer */
    char alias[11];
    char fileName[260];
    INDEX4* indexes;        /* the production index first, if the table has one */
    TAG4* tagSelected;      /* the order of top/skip/seek; NULL: record order */
    unsigned char* oldRecord; /* the record as stored, for the keys it leaves */
    int lockedFile, lockedAppend, lockedIndex;
    long* lockedRecs;       /* record locks held */
    int numLocked, lockCapacity;
    /* 0: the indexes are current. DATA4_INDEX_STALE: a change of them did
     * not finish (a crash), d4reindex repairs them. DATA4_INDEX_UNREADABLE:
     * the production index could not be opened, only i4create replaces it.
     * Either way records are not written (e4index) until then. */
    int indexState;
};
#define DATA4_INDEX_STALE 1
#define DATA4_INDEX_UNREADABLE 2

struct FIELD4_st {
    DATA4* data;
    int number;             /* 0-based position in the record */
    char name[11];
    char type;
    unsigned len;
    int dec;
    char* memo;             /* memo text of record memoRecNo, NUL-terminated */
    unsigned memoLen, memoCapacity;
    long memoRecNo;
    int memoChanged;
};

/* d4create's field list, ended by an entry with a NULL name. */
typedef struct FIELD4INFO_st {
    char* name;
    int type;
    int len;
    int dec;
} FIELD4INFO;

/* A tag to create: name (up to 10 characters), key expression, filter
 * expression or NULL, unique 0 (duplicates kept), e4unique (a duplicate is
 * an error) or r4unique / r4unique_continue (duplicates left out), and
 * descending 0 or r4descending. Lists end with an entry with a NULL name. */
typedef struct TAG4INFO_st {
    char* name;
    char* expression;
    char* filter;
    int unique;
    unsigned descending;
} TAG4INFO;

/* An open index file: for now always the table's production index. */
struct INDEX4_st {
    DATA4* data;
    INDEX4* next;
    TAG4* tags;             /* in the file's tag table order */
    struct dbf_mdx* file;
    int isProduction;
    char fileName[260];
};

/* One tag of an index. expr and filter are the compiled expressions
 * (filter NULL when every record has a key). */
struct TAG4_st {
    INDEX4* index;
    TAG4* next;
    EXPR4* expr;
    EXPR4* filter;
    int uniqueError;        /* the TAG4INFO.unique of the tag */
    char alias[11];         /* the tag's name */
    int number;             /* position in the file's tag table */
    struct dbf_mdx_cursor* cursor;
    long recNo;             /* record of the cursor's key, 0 at end */
};

/* A parsed expression over a table's fields. */
struct e4expr_st {
    DATA4* data;
    CODE4* code4;
    struct dbf_expr* compiled;
    char* source;
    char* result;           /* expr4vary's and expr4key's buffer */
    unsigned resultCapacity;
};

typedef void (CB4_HOOKCALL* ERROR4HOOK)(int code, char* text1, char* text2, char* text3);
typedef int (CB4_HOOKCALL* INDEX4HOOK)(char* name, int a, int b, long c, long d, void* arg);
typedef void (CB4_HOOKCALL* PACK4HOOK)(long done, long total, void* arg);

/* Context. */
CBASE32_API int d4init(CODE4* cb);
CBASE32_API int d4init_undo(CODE4* cb);
CBASE32_API int d4close_all(CODE4* cb);
CBASE32_API DATA4* d4data(CODE4* cb, const char* alias);
CBASE32_API int d4flush_files(CODE4* cb);
CBASE32_API int d4unlock_files(CODE4* cb);
CBASE32_API int d4opt_start(CODE4* cb);
CBASE32_API int d4opt_suspend(CODE4* cb);
CBASE32_API int e4describe(CODE4* cb, int code, const char* s1, const char* s2, const char* s3);
CBASE32_API void e4exit(CODE4* cb);
CBASE32_API void e4exit_test(CODE4* cb);
CBASE32_API int QvcoError(CODE4* cb);
/* Hooks are process-wide; each setter returns the previous hook. The error
 * hook hears every error; the pack hook hears d4pack's progress. */
CBASE32_API ERROR4HOOK SetErrorHook(ERROR4HOOK hook);
CBASE32_API INDEX4HOOK SetIndexHook(INDEX4HOOK hook, void* arg);
CBASE32_API PACK4HOOK SetPackHook(PACK4HOOK hook, void* arg);

/* Tables. name may omit the .DBF extension; the memo file is the same name
 * with .DBT. */
CBASE32_API DATA4* d4open(CODE4* cb, const char* name);
CBASE32_API DATA4* d4create(CODE4* cb, const char* name, const FIELD4INFO* fields,
                            const TAG4INFO* tags);
CBASE32_API int d4close(DATA4* d);
CBASE32_API int d4flush(DATA4* d);
CBASE32_API int d4flush_data(DATA4* d);
CBASE32_API const char* d4alias(DATA4* d);
CBASE32_API void d4alias_set(DATA4* d, const char* alias);
CBASE32_API int d4num_fields(DATA4* d);
CBASE32_API FIELD4* d4field(DATA4* d, const char* name);
CBASE32_API FIELD4* d4field_j(DATA4* d, int j);             /* 1-based */
CBASE32_API int d4field_number(DATA4* d, const char* name); /* 1-based, or e4fieldName */
CBASE32_API unsigned d4record_width(DATA4* d);
CBASE32_API char* d4record(DATA4* d);
CBASE32_API long d4record_position(DATA4* d, long rec);     /* byte offset of a record */

/* Moving. Each move writes a changed record first. */
CBASE32_API int d4top(DATA4* d);
CBASE32_API int d4bottom(DATA4* d);
CBASE32_API int d4go(DATA4* d, long rec);
CBASE32_API int d4go_data(DATA4* d, long rec);
CBASE32_API int d4go_eof(DATA4* d);
CBASE32_API int d4skip(DATA4* d, long n);
CBASE32_API int d4bof(DATA4* d);
CBASE32_API int d4eof(DATA4* d);
CBASE32_API long d4recno(DATA4* d);
CBASE32_API long d4reccount(DATA4* d);
CBASE32_API double d4position(DATA4* d);                    /* 0.0 first .. 1.0 last */
CBASE32_API int d4position_set(DATA4* d, double pos);
CBASE32_API int d4refresh(DATA4* d);
CBASE32_API int d4refresh_record(DATA4* d);                 /* re-reads, dropping changes */
/* Copies record rec into buffer (d4record_width bytes) without moving. */
CBASE32_API int d4read(DATA4* d, long rec, char* buffer);
/* Buffering is always on: these only say so. */
CBASE32_API int d4optimize(DATA4* d, int flag);
CBASE32_API int d4optimize_write(DATA4* d, int flag);

/* Changing. */
CBASE32_API int d4append_blank(DATA4* d);
CBASE32_API int d4append_start(DATA4* d, int useMemoEntries);
CBASE32_API int d4append(DATA4* d);
CBASE32_API int d4append_data(DATA4* d);
CBASE32_API void d4blank(DATA4* d);
CBASE32_API int d4changed(DATA4* d, int flag);              /* flag < 0 only asks */
CBASE32_API void d4delete(DATA4* d);
CBASE32_API void d4recall(DATA4* d);
CBASE32_API int d4deleted(DATA4* d);
CBASE32_API int d4write(DATA4* d, long rec);                /* rec -1: the current one */
CBASE32_API int d4write_data(DATA4* d, long rec);
CBASE32_API int d4pack(DATA4* d);
CBASE32_API int d4pack_data(DATA4* d);
CBASE32_API int d4zap(DATA4* d, long first, long last);
CBASE32_API int d4zap_data(DATA4* d, long first, long last);
CBASE32_API int d4memo_compress(DATA4* d);                  /* e4notSupported */
CBASE32_API int d4free_blocks(DATA4* d);
CBASE32_API int d4check(DATA4* d);
CBASE32_API int d4validate_memo_ids(DATA4* d);

/* Indexes and tags. With a tag selected, top, bottom, skip and position
 * follow its key order; d4seek* look keys up in it (character keys: the
 * text, shorter than the key matches its start; numeric keys: the number
 * as text or as a double; date keys: CCYYMMDD text or a Julian day). */
CBASE32_API INDEX4* d4index(DATA4* d, const char* name);    /* NULL name: the production index */
CBASE32_API TAG4* d4tag(DATA4* d, const char* name);
CBASE32_API TAG4* d4tag_default(DATA4* d);                 /* selected, else the first */
CBASE32_API TAG4* d4tag_next(DATA4* d, TAG4* tag);         /* NULL: the first */
CBASE32_API TAG4* d4tag_prev(DATA4* d, TAG4* tag);         /* NULL: the last */
CBASE32_API TAG4* d4tag_selected(DATA4* d);
CBASE32_API void d4tag_select(DATA4* d, TAG4* tag);        /* NULL: record order */
CBASE32_API int d4seek(DATA4* d, const char* key);
CBASE32_API int d4seek_n(DATA4* d, const char* key, int len);
CBASE32_API int d4seek_double(DATA4* d, double key);
CBASE32_API int d4reindex(DATA4* d);                        /* rebuilds every tag */
CBASE32_API int d4write_keys(DATA4* d);                     /* writes the index's pages */
/* Record rec as stored in the file into DATA4.oldRecord (until the next
 * write), leaving the current record alone. */
CBASE32_API int d4read_old(DATA4* d, long rec);

/* Locks. A record lock keeps other programs from locking (and so, by
 * convention, writing) that record; the append lock guards the record
 * count; the file lock covers both. d4lock* wait for the lock up to
 * CODE4.lockWait ms, then return r4locked; the d4lock_test* variants
 * return r4locked at once. A lock that is not had leaves the locks held
 * before as they were. Taking a lock re-reads the record count and forgets
 * cached index pages; d4unlock writes what is pending and releases every
 * lock of the table. Appends take the append lock, and pack, zap,
 * reindex and i4create the file lock, for their own length when the
 * caller does not hold it. */
CBASE32_API int d4lock(DATA4* d, long rec);
CBASE32_API int d4lock_all(DATA4* d);
CBASE32_API int d4lock_append(DATA4* d);
CBASE32_API int d4lock_file(DATA4* d);
CBASE32_API int d4lock_group(DATA4* d, const long* recs, int count);
CBASE32_API int d4lock_index(DATA4* d);
CBASE32_API int d4lock_test(DATA4* d, long rec);
CBASE32_API int d4lock_test_append(DATA4* d);
CBASE32_API int d4lock_test_file(DATA4* d);
CBASE32_API int d4lock_test_index(DATA4* d);
CBASE32_API int d4unlock(DATA4* d);

/* Index files. i4create makes the table's production index (name NULL or
 * the table's own name) with the given tags, replacing an existing one. */
CBASE32_API INDEX4* i4open(DATA4* d, const char* name);
CBASE32_API INDEX4* i4create(DATA4* d, const char* name, const TAG4INFO* tags);
CBASE32_API int i4close(INDEX4* i);
CBASE32_API int i4add_tag(INDEX4* i, const TAG4INFO* tags); /* builds the new tags' keys */
CBASE32_API int i4tag_remove(INDEX4* i, const char* name);
CBASE32_API int i4reindex(INDEX4* i);
CBASE32_API int i4lock(INDEX4* i);
CBASE32_API int i4unlock(INDEX4* i);
CBASE32_API int i4is_production(INDEX4* i);
CBASE32_API TAG4* i4tag(INDEX4* i, const char* name);

/* Tags on their own: a cursor over the keys, apart from the table's. Keys
 * are in the tag's stored form (t4key: expr4key_len bytes). */
CBASE32_API int t4top(TAG4* t);                 /* r4eof when empty */
CBASE32_API int t4bottom(TAG4* t);
CBASE32_API long t4skip(TAG4* t, long n);       /* how many keys it moved, signed */
CBASE32_API int t4eof(TAG4* t);
CBASE32_API long t4recno(TAG4* t);              /* record of the current key, 0 at end */
CBASE32_API char* t4key(TAG4* t);
CBASE32_API int t4seek(TAG4* t, const void* key, int len); /* r4success, r4after, r4eof */
CBASE32_API int t4go(TAG4* t, const char* key, long rec);  /* to that key and record */
/* 0.0 at the first key, 1.0 at the last, by the key's place in the tree
 * (even steps where pages are evenly filled); setting a position a tag
 * gave returns to that key. */
CBASE32_API double t4position(TAG4* t);
CBASE32_API int t4position_set(TAG4* t, double pos);
CBASE32_API int t4add(TAG4* t, const unsigned char* key, long rec);
CBASE32_API int t4add_calc(TAG4* t, long rec);  /* the key of record rec, from the table */
CBASE32_API int t4remove(TAG4* t, const char* key, long rec);
CBASE32_API int t4remove_calc(TAG4* t, long rec);
CBASE32_API int t4unique(TAG4* t);
CBASE32_API int t4is_descending(TAG4* t);
CBASE32_API int t4free_all(TAG4* t);            /* removes every key */
/* The page-level walk of the tag's B-tree. Above the leaves the cursor is
 * on an inner node's entry for one child: t4key and t4recno give the last
 * key under it and t4skip moves along the node's entries. t4down goes to
 * the first entry of the child, t4up to the parent's entry for this node;
 * both return 1 when there is no level that way. t4up_to_root starts an
 * unpositioned cursor at the first key. Any other move returns to keys. */
CBASE32_API int t4down(TAG4* t);
CBASE32_API int t4up(TAG4* t);
CBASE32_API void t4up_to_root(TAG4* t);

/* Expressions: field names, "text", numbers, .T./.F., + - * / on numbers,
 * + and - on texts (- moves trailing blanks to the end), date + days,
 * = == <> # != < <= > >= $ (contained in), .AND. .OR. .NOT., parentheses
 * and UPPER TRIM RTRIM LTRIM SUBSTR LEFT RIGHT STR VAL DTOS DTOC CTOD DATE
 * RECNO DELETED IIF. Types: 'C' text, 'N' number, 'D' date, 'L' logical.
 * Results are of the current record of the expression's table. */
CBASE32_API EXPR4* expr4parse(DATA4* d, const char* source); /* NULL and e4expr on error */
CBASE32_API void expr4free(EXPR4* e);
CBASE32_API int expr4type(EXPR4* e);
CBASE32_API int expr4len(EXPR4* e);             /* width of the result as text */
CBASE32_API int expr4key_len(EXPR4* e);         /* width of the result as an index key */
CBASE32_API int expr4key(EXPR4* e, char** key); /* key form; returns its length */
CBASE32_API int expr4vary(EXPR4* e, char** text); /* text form, NUL-terminated; returns its length */
CBASE32_API double expr4double(EXPR4* e);
CBASE32_API int expr4true(EXPR4* e);            /* 1, 0, or an error for a non-logical result */
CBASE32_API const char* expr4source(EXPR4* e);
/* Named expressions usable by name in later expressions of any table. */
CBASE32_API int expr4calc_create(CODE4* cb, EXPR4* e, const char* name);
CBASE32_API void expr4calc_reset(CODE4* cb);

/* Fields of the current record. */
CBASE32_API char* f4ptr(FIELD4* f);             /* the field's bytes, not NUL-terminated */
CBASE32_API unsigned f4len(FIELD4* f);
CBASE32_API int f4decimals(FIELD4* f);
CBASE32_API const char* f4name(FIELD4* f);
CBASE32_API int f4type(FIELD4* f);
CBASE32_API DATA4* f4data(FIELD4* f);
CBASE32_API char* f4str(FIELD4* f);             /* NUL-terminated copy, valid until the next f4str */
CBASE32_API int f4char(FIELD4* f);
CBASE32_API long f4long(FIELD4* f);
CBASE32_API int f4int(FIELD4* f);
CBASE32_API double f4double(FIELD4* f);
CBASE32_API int f4true(FIELD4* f);
CBASE32_API int f4assign(FIELD4* f, const char* text);
CBASE32_API int f4assign_n(FIELD4* f, const char* text, unsigned len);
CBASE32_API int f4assign_char(FIELD4* f, int c);
CBASE32_API int f4assign_long(FIELD4* f, long value);
CBASE32_API int f4assign_int(FIELD4* f, int value);
CBASE32_API int f4assign_double(FIELD4* f, double value);
CBASE32_API int f4assign_field(FIELD4* to, FIELD4* from);
CBASE32_API int f4blank(FIELD4* f);

/* Memo fields. The text is kept with the field until the record is written. */
CBASE32_API unsigned f4memo_len(FIELD4* f);
CBASE32_API char* f4memo_ptr(FIELD4* f);
CBASE32_API char* f4memo_str(FIELD4* f);
CBASE32_API int f4memo_assign(FIELD4* f, const char* text);
CBASE32_API int f4memo_assign_n(FIELD4* f, const char* text, unsigned len);
CBASE32_API int f4memo_set_len(FIELD4* f, unsigned len);
CBASE32_API int f4memo_changed(FIELD4* f);
CBASE32_API void f4memo_free(FIELD4* f);

/* Dates: 8 characters CCYYMMDD. Day numbers are Julian day numbers; a blank
 * or invalid date is day 0. Pictures use C, Y, M and D (MMM and longer: the
 * month's name); other picture characters are copied. */
CBASE32_API long date4long(const char* date);
CBASE32_API void date4assign(char* date, long julian);
CBASE32_API int date4year(const char* date);
CBASE32_API int date4month(const char* date);
CBASE32_API int date4day(const char* date);
CBASE32_API int date4dow(const char* date);            /* 1 Sunday .. 7 Saturday, 0 none */
CBASE32_API const char* date4cdow(const char* date);
CBASE32_API const char* date4cmonth(const char* date);
CBASE32_API void date4today(char* date);
CBASE32_API void date4format(const char* date, char* result, const char* picture);
CBASE32_API void date4init(char* date, const char* value, const char* picture);
CBASE32_API double date4format_mdx(const char* date);

#ifdef __cplusplus
}
#endif

/* Files, sequential access, lists, memory pools, sorting and relations. */
#include "cbase32_util.h"

#endif
