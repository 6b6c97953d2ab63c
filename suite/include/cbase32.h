/* CBASE32.DLL: the suite's dBASE engine with CodeBase-style C entry points.
 *
 * Tables are dBASE III/IV .DBF files with .DBT memo files. Field types C, N,
 * F, D, L and M. Indexes, tags, locks, relations and expressions are not
 * provided: their entry points refuse with e4notSupported (or return NULL)
 * and record the error in CODE4.errorCode.
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

struct dbf_table;
typedef struct DATA4_st DATA4;
typedef struct FIELD4_st FIELD4;

/* The engine's context: settings read by the calls and the open tables.
 * d4init sets the defaults; d4init_undo closes everything. */
typedef struct CODE4_st {
    int errorCode;          /* last error, 0 for none; cleared by the caller */
    int errOff;             /* nonzero: errors are not passed to the error hook */
    int safety;             /* nonzero (default): d4create does not replace a file */
    int readOnly;           /* nonzero: d4open opens tables read only */
    int memoStyle;          /* memo files d4create makes: 3 dBASE III (default), 4 dBASE IV */
    int initialised;
    DATA4* dataList;        /* open tables, most recent first */
    void* reserved[4];
} CODE4;

/* An open table. Callers that change the bytes of f4ptr directly set
 * recordChanged to 1 so the record is written before the table moves on. */
struct DATA4_st {
    CODE4* codeBase;
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
};

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

/* Index tags: d4create refuses a non-empty list with e4notSupported. */
typedef struct TAG4INFO_st {
    char* name;
    char* expression;
    char* filter;
    int unique;
    unsigned descending;
} TAG4INFO;

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

/* Not provided: indexes, tags, seeking and locking. */
CBASE32_API void* d4index(DATA4* d, const char* name);
CBASE32_API void* d4tag(DATA4* d, const char* name);
CBASE32_API void* d4tag_default(DATA4* d);
CBASE32_API void* d4tag_next(DATA4* d, void* tag);
CBASE32_API void* d4tag_prev(DATA4* d, void* tag);
CBASE32_API void* d4tag_selected(DATA4* d);
CBASE32_API void d4tag_select(DATA4* d, void* tag);
CBASE32_API int d4seek(DATA4* d, const char* key);
CBASE32_API int d4seek_n(DATA4* d, const char* key, int len);
CBASE32_API int d4seek_double(DATA4* d, double key);
CBASE32_API int d4reindex(DATA4* d);
CBASE32_API int d4write_keys(DATA4* d);
CBASE32_API int d4read_old(DATA4* d, long rec);             /* the old record is for index keys */
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
CBASE32_API int d4unlock(DATA4* d);                         /* nothing is locked: r4success */

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

#endif
