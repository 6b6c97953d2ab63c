/* Expressions: expr4* on the engine's parser, and the key forms the
 * index code takes from them. */
#include "cbase4.h"
#include "dbf_expr.h"
#include "dbf_mdx.h"

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef struct calc4 {
    struct calc4* next;
    char name[11];
    EXPR4* expr;
} calc4;

static dbf_table* table_of_alias(void* ctx, const char* alias)
{
    DATA4* d = d4data((CODE4*)ctx, alias);
    return d ? d->table : NULL;
}

static int is_open(CODE4* cb, DATA4* d)
{
    for (DATA4* o = cb->dataList; o; o = o->next)
        if (o == d)
            return 1;
    return 0;
}

/* A calculation whose table was closed since is no longer there. */
static const dbf_expr* calc_of_name(void* ctx, const char* name)
{
    for (calc4* c = (calc4*)((CODE4*)ctx)->calcList; c; c = c->next) {
        size_t i = 0;
        while (c->name[i] && toupper((unsigned char)name[i]) == c->name[i])
            i++;
        if (!c->name[i] && !name[i])
            return is_open((CODE4*)ctx, c->expr->data) ? c->expr->compiled : NULL;
    }
    return NULL;
}

EXPR4* expr4parse(DATA4* d, const char* source)
{
    if (!d || !source) {
        cb4_fail(d, e4parm, "expr4parse");
        return NULL;
    }
    dbf_expr_names names = {d->code4, table_of_alias, calc_of_name};
    char message[200];
    dbf_expr* compiled;
    dbf_status st = dbf_expr_parse(&compiled, d->table, source, &names, message, sizeof message);
    if (st != DBF_OK) {
        e4describe(d->code4, st == DBF_E_NOMEM ? e4memory : e4expr, "expr4parse", source,
                   st == DBF_E_NOMEM ? "" : message);
        return NULL;
    }
    EXPR4* e = (EXPR4*)calloc(1, sizeof *e);
    unsigned width = dbf_expr_width(compiled);
    size_t capacity = (width > 40 ? width : 40) + 1;
    char* copy = (char*)malloc(strlen(source) + 1);
    char* result = (char*)malloc(capacity);
    if (!e || !copy || !result) {
        free(e), free(copy), free(result);
        dbf_expr_free(compiled);
        cb4_fail(d, e4memory, "expr4parse");
        return NULL;
    }
    strcpy(copy, source);
    e->data = d;
    e->code4 = d->code4;
    e->compiled = compiled;
    e->source = copy;
    e->result = result;
    e->resultCapacity = (unsigned)capacity;
    return e;
}

void expr4free(EXPR4* e)
{
    if (!e)
        return;
    dbf_expr_free(e->compiled);
    free(e->source);
    free(e->result);
    free(e);
}

int expr4type(EXPR4* e) { return e ? dbf_expr_type(e->compiled) : e4parm; }
const char* expr4source(EXPR4* e) { return e ? e->source : NULL; }

int expr4len(EXPR4* e)
{
    return e ? (int)dbf_expr_width(e->compiled) : e4parm;
}

int expr4key_len(EXPR4* e)
{
    if (!e)
        return e4parm;
    switch (dbf_expr_type(e->compiled)) {
    case 'N': return 12;
    case 'D': return 8;
    case 'L': return 1;
    default: {
        unsigned w = dbf_expr_width(e->compiled);
        return (int)(w > DBF_MDX_MAX_KEY ? DBF_MDX_MAX_KEY : w ? w : 1);
    }
    }
}

static int eval_failed(EXPR4* e)
{
    return e4describe(e->code4, e4expr, "expression cannot be evaluated", e->source, NULL);
}

int cb4_key(EXPR4* e, const unsigned char* record, uint32_t recno, unsigned char* key)
{
    dbf_value v;
    if (dbf_expr_eval(e->compiled, record, recno, &v) != DBF_OK)
        return eval_failed(e);
    int len = expr4key_len(e);
    switch (v.type) {
    case 'N': dbf_mdx_number_key(v.num, key); break;
    case 'D': dbf_mdx_date_key(v.num, key); break;
    case 'L': key[0] = v.num ? 'T' : 'F'; break;
    default:
        memset(key, ' ', (size_t)len);
        memcpy(key, v.str, v.len < (size_t)len ? v.len : (size_t)len);
        break;
    }
    return len;
}

int cb4_true(EXPR4* e, const unsigned char* record, uint32_t recno)
{
    dbf_value v;
    if (dbf_expr_eval(e->compiled, record, recno, &v) != DBF_OK)
        return eval_failed(e);
    if (v.type != 'L')
        return e4describe(e->code4, e4expr, "not a logical expression", e->source, NULL);
    return v.num != 0;
}

static const unsigned char* record_of(EXPR4* e) { return dbf_record(e->data->table); }
static uint32_t recno_of(EXPR4* e) { return e->data->eof ? 0 : (uint32_t)e->data->recNo; }

int expr4key(EXPR4* e, char** key)
{
    if (!e || !key)
        return e4parm;
    int len = cb4_key(e, record_of(e), recno_of(e), (unsigned char*)e->result);
    *key = len < 0 ? NULL : e->result;
    return len;
}

int expr4vary(EXPR4* e, char** text)
{
    if (!e || !text)
        return e4parm;
    *text = NULL;
    dbf_value v;
    if (dbf_expr_eval(e->compiled, record_of(e), recno_of(e), &v) != DBF_OK)
        return eval_failed(e);
    size_t len;
    switch (v.type) {
    case 'N': {
        unsigned width = dbf_expr_width(e->compiled), dec = dbf_expr_decimals(e->compiled);
        int n = dbf_format_number(e->result, e->resultCapacity, v.num, (int)width, (int)dec);
        len = n < 0 ? 0 : (size_t)n < e->resultCapacity ? (size_t)n : e->resultCapacity - 1;
        break;
    }
    case 'D': dbf_julian_to_text(v.num > 0 && v.num < 1e8 ? (long)v.num : 0, e->result); len = 8; break;
    case 'L': e->result[0] = v.num ? 'T' : 'F'; len = 1; break;
    default:
        len = v.len < e->resultCapacity - 1 ? v.len : e->resultCapacity - 1;
        memcpy(e->result, v.str, len);
        break;
    }
    e->result[len] = '\0';
    *text = e->result;
    return (int)len;
}

double expr4double(EXPR4* e)
{
    dbf_value v;
    if (!e || dbf_expr_eval(e->compiled, record_of(e), recno_of(e), &v) != DBF_OK) {
        if (e)
            eval_failed(e);
        return 0.0;
    }
    if (v.type == 'C') {
        char tmp[64];
        size_t n = v.len < sizeof tmp - 1 ? v.len : sizeof tmp - 1;
        memcpy(tmp, v.str, n);
        tmp[n] = '\0';
        return strtod(tmp, NULL);
    }
    return v.num;
}

int expr4true(EXPR4* e)
{
    return e ? cb4_true(e, record_of(e), recno_of(e)) : e4parm;
}

int expr4calc_create(CODE4* cb, EXPR4* e, const char* name)
{
    if (!cb || !e || !name || !*name)
        return e4parm;
    calc4* c = (calc4*)calloc(1, sizeof *c);
    if (!c)
        return e4describe(cb, e4memory, "expr4calc_create", name, NULL);
    for (size_t i = 0; i < sizeof c->name - 1 && name[i]; i++)
        c->name[i] = (char)toupper((unsigned char)name[i]);
    c->expr = e;
    c->next = (calc4*)cb->calcList;
    cb->calcList = c;
    return r4success;
}

/* Forgets the names and frees their expressions, which the calculations
 * own from expr4calc_create on. */
void expr4calc_reset(CODE4* cb)
{
    while (cb && cb->calcList) {
        calc4* c = (calc4*)cb->calcList;
        cb->calcList = c->next;
        expr4free(c->expr);
        free(c);
    }
}
