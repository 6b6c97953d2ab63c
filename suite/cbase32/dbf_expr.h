/* dBASE expressions: what index keys, tag filters and relation queries are
 * written in. Portable C on the engine core; no allocation while evaluating,
 * since every text result has a width known when the expression is parsed.
 *
 * Values are texts ('C'), numbers ('N'), dates ('D', a Julian day number,
 * 0 for a blank date) and logicals ('L'). */
#ifndef DBF_EXPR_H
#define DBF_EXPR_H

#include "dbf.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct dbf_expr dbf_expr;

typedef struct dbf_value {
    char type;              /* 'C' 'N' 'D' 'L' */
    double num;             /* N: the number; D: the day; L: 0 or 1 */
    const char* str;        /* C: the text, len bytes, not NUL-terminated */
    size_t len;
} dbf_value;

/* Where names that are not the table's fields come from. Either call may
 * be NULL. alias: the table of ALIAS->FIELD; calc: a named expression,
 * evaluated on its own table's cached record. */
typedef struct dbf_expr_names {
    void* ctx;
    dbf_table* (*alias)(void* ctx, const char* alias);
    const dbf_expr* (*calc)(void* ctx, const char* name);
} dbf_expr_names;

/* Deepest nesting of parentheses and calls a parse accepts. */
#define DBF_EXPR_MAX_DEPTH 64

/* Parses source against table t (whose field names it may use). On failure
 * returns DBF_E_EXPR (or DBF_E_NOMEM) and, when error is given, a message
 * naming what is wrong and where. */
dbf_status dbf_expr_parse(dbf_expr** out, dbf_table* t, const char* source,
                          const dbf_expr_names* names, char* error, size_t error_size);
void dbf_expr_free(dbf_expr* e);

char dbf_expr_type(const dbf_expr* e);
/* The widest text result (C); for N the width of its text form; D 8; L 1. */
unsigned dbf_expr_width(const dbf_expr* e);
/* Decimals of a numeric result's text form. */
unsigned dbf_expr_decimals(const dbf_expr* e);

/* Evaluates on a record's bytes (deletion flag first, as dbf_record gives
 * them) numbered recno. A text result points into the expression or the
 * record and is valid until the next evaluation. */
dbf_status dbf_expr_eval(dbf_expr* e, const unsigned char* record, uint32_t recno,
                         dbf_value* out);
/* The same on the table's cached record. */
dbf_status dbf_expr_eval_current(dbf_expr* e, dbf_value* out);

/* Julian day numbers of CCYYMMDD texts (0 for blank or invalid) and back. */
long dbf_julian_from_text(const char* text8);
void dbf_julian_to_text(long day, char* text8);

#ifdef __cplusplus
}
#endif

#endif
