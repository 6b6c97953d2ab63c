/* dBASE expressions: a recursive-descent parser into a tree whose text
 * nodes own buffers of their widest result, and an evaluator over record
 * bytes. */
#include "dbf_expr.h"
#include "dbf_internal.h"

#include <ctype.h>
#include <math.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

/* A double as a count or day number, kept inside what the conversion can
 * hold (converting a larger one is undefined). */
static long clamp(double x, long low, long high)
{
    return !(x > (double)low) ? low : x < (double)high ? (long)x : high;
}

enum op {
    OP_FIELD, OP_CALC, OP_LITERAL, OP_NEG, OP_NOT, OP_AND, OP_OR,
    OP_ADD, OP_SUB, OP_MUL, OP_DIV, OP_POW,
    OP_EQ, OP_EXACT, OP_NE, OP_LT, OP_LE, OP_GT, OP_GE, OP_CONTAINS,
    F_UPPER, F_LOWER, F_TRIM, F_LTRIM, F_ALLTRIM, F_SUBSTR, F_LEFT, F_RIGHT,
    F_STR, F_VAL, F_DTOS, F_DTOC, F_CTOD, F_DATE, F_RECNO, F_DELETED, F_IIF
};

typedef struct node {
    enum op op;
    char type;
    unsigned width, dec;
    struct node* arg[3];
    int argc;
    /* Another table (ALIAS->FIELD) and a named calculation are looked up
     * by name at every evaluation, since either may be gone by then. */
    char name[11];              /* the alias or the calculation, else empty */
    const dbf_field* field;     /* OP_FIELD of the expression's table */
    dbf_field_def def;          /* OP_FIELD of another table: the field as parsed */
    dbf_value literal;
    char* buf;                  /* text results of width bytes */
    struct node* next_alloc;
} node;

struct dbf_expr {
    dbf_table* table;
    int code_page;              /* the table's, for case and comparison of texts */
    dbf_expr_names names;
    node* root;
    node* nodes;
    char* text_literals;
};

/* ---- dates ---- */

static long julian(long y, long m, long d)
{
    long a = (14 - m) / 12, yy = y + 4800 - a, mm = m + 12 * a - 3;
    return d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - yy / 100 + yy / 400 - 32045;
}

long dbf_julian_from_text(const char* s)
{
    long v[3] = {0, 0, 0};
    static const int width[3] = {4, 2, 2};
    for (int part = 0, i = 0; part < 3; part++)
        for (int k = 0; k < width[part]; k++, i++) {
            if (!isdigit((unsigned char)s[i]))
                return 0;
            v[part] = v[part] * 10 + (s[i] - '0');
        }
    static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (v[1] < 1 || v[1] > 12 || v[2] < 1 || v[2] > days[v[1] - 1])
        return 0;
    int leap = v[0] % 4 == 0 && (v[0] % 100 != 0 || v[0] % 400 == 0);
    return v[1] == 2 && v[2] == 29 && !leap ? 0 : julian(v[0], v[1], v[2]);
}

void dbf_julian_to_text(long day, char* out)
{
    if (day <= 0) {
        memset(out, ' ', 8);
        return;
    }
    long a = day + 32044, b = (4 * a + 3) / 146097, c = a - 146097 * b / 4;
    long d = (4 * c + 3) / 1461, e = c - 1461 * d / 4, m = (5 * e + 2) / 153;
    long dd = e - (153 * m + 2) / 5 + 1, mm = m + 3 - 12 * (m / 10), yy = 100 * b + d - 4800 + m / 10;
    char tmp[16];
    snprintf(tmp, sizeof tmp, "%04ld%02ld%02ld", yy % 10000, mm, dd);
    memcpy(out, tmp, 8);
}

/* ---- parsing ---- */

typedef struct parser {
    dbf_expr* e;
    const char* src;
    const char* p;
    const dbf_expr_names* names;
    int depth;
    char* error;
    size_t error_size;
    int failed;
} parser;

static void fail(parser* ps, const char* fmt, ...)
{
    if (ps->failed)
        return;
    ps->failed = 1;
    if (!ps->error || !ps->error_size)
        return;
    char msg[160];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(msg, sizeof msg, fmt, ap);
    va_end(ap);
    snprintf(ps->error, ps->error_size, "%s at position %d", msg, (int)(ps->p - ps->src) + 1);
}

static node* make(parser* ps, enum op op, char type, unsigned width)
{
    node* n = (node*)calloc(1, sizeof *n);
    if (!n) {
        fail(ps, "out of memory");
        return NULL;
    }
    n->op = op;
    n->type = type;
    n->width = width;
    n->next_alloc = ps->e->nodes;
    ps->e->nodes = n;
    if (type == 'C' && !(n->buf = (char*)malloc(width ? width : 1))) {
        fail(ps, "out of memory");
        return NULL;
    }
    return n;
}

static void skip_blanks(parser* ps)
{
    while (*ps->p == ' ' || *ps->p == '\t')
        ps->p++;
}

/* Consumes word (case-insensitive) when it comes next. */
static int accept(parser* ps, const char* word)
{
    skip_blanks(ps);
    size_t n = strlen(word);
    for (size_t i = 0; i < n; i++)
        if (toupper((unsigned char)ps->p[i]) != word[i])
            return 0;
    ps->p += n;
    return 1;
}

static node* parse_or(parser* ps);

static node* binary(parser* ps, enum op op, node* a, node* b)
{
    if (!a || !b)
        return NULL;
    char t = 0;
    unsigned w = 0;
    switch (op) {
    case OP_AND: case OP_OR:
        if (a->type != 'L' || b->type != 'L')
            fail(ps, ".AND. and .OR. need logical values");
        t = 'L', w = 1;
        break;
    case OP_ADD: case OP_SUB:
        if (a->type == 'C' && b->type == 'C')
            t = 'C', w = a->width + b->width;
        else if (a->type == 'N' && b->type == 'N')
            t = 'N', w = 20;
        else if (a->type == 'D' && b->type == 'N')
            t = 'D', w = 8;
        else if (op == OP_ADD && a->type == 'N' && b->type == 'D')
            t = 'D', w = 8;
        else if (op == OP_SUB && a->type == 'D' && b->type == 'D')
            t = 'N', w = 20;
        else
            fail(ps, "%s of a %c and a %c value", op == OP_ADD ? "+" : "-", a->type, b->type);
        break;
    case OP_MUL: case OP_DIV: case OP_POW:
        if (a->type != 'N' || b->type != 'N')
            fail(ps, "arithmetic needs numbers");
        t = 'N', w = 20;
        break;
    case OP_CONTAINS:
        if (a->type != 'C' || b->type != 'C')
            fail(ps, "$ needs texts");
        t = 'L', w = 1;
        break;
    default:
        if (a->type != b->type)
            fail(ps, "comparison of a %c and a %c value", a->type, b->type);
        t = 'L', w = 1;
        break;
    }
    node* n = make(ps, op, t, w);
    if (n) {
        n->arg[0] = a, n->arg[1] = b, n->argc = 2;
        n->dec = a->dec > b->dec ? a->dec : b->dec;
    }
    return n;
}

static node* text_literal(parser* ps, char close)
{
    const char* start = ++ps->p;
    while (*ps->p && *ps->p != close)
        ps->p++;
    if (!*ps->p) {
        fail(ps, "unterminated text");
        return NULL;
    }
    unsigned len = (unsigned)(ps->p - start);
    ps->p++;
    node* n = make(ps, OP_LITERAL, 'C', len);
    if (n) {
        memcpy(n->buf, start, len);
        n->literal.type = 'C';
        n->literal.str = n->buf;
        n->literal.len = len;
    }
    return n;
}

static node* number_literal(parser* ps)
{
    char* end;
    double v = strtod(ps->p, &end);
    const char* dot = memchr(ps->p, '.', (size_t)(end - ps->p));
    node* n = make(ps, OP_LITERAL, 'N', 20);
    if (n) {
        n->literal.type = 'N';
        n->literal.num = v;
        n->dec = dot ? (unsigned)(end - dot - 1) : 0;
    }
    ps->p = end;
    return n;
}

static const struct function {
    const char* name;
    enum op op;
    int min_args, max_args;
    char arg_types[4];          /* '?' any */
} functions[] = {
    {"UPPER", F_UPPER, 1, 1, "C"}, {"LOWER", F_LOWER, 1, 1, "C"},
    {"TRIM", F_TRIM, 1, 1, "C"}, {"RTRIM", F_TRIM, 1, 1, "C"},
    {"LTRIM", F_LTRIM, 1, 1, "C"}, {"ALLTRIM", F_ALLTRIM, 1, 1, "C"},
    {"SUBSTR", F_SUBSTR, 2, 3, "CNN"}, {"LEFT", F_LEFT, 2, 2, "CN"},
    {"RIGHT", F_RIGHT, 2, 2, "CN"}, {"STR", F_STR, 1, 3, "NNN"},
    {"VAL", F_VAL, 1, 1, "C"}, {"DTOS", F_DTOS, 1, 1, "D"}, {"DTOC", F_DTOC, 1, 1, "D"},
    {"CTOD", F_CTOD, 1, 1, "C"}, {"DATE", F_DATE, 0, 0, ""}, {"RECNO", F_RECNO, 0, 0, ""},
    {"DELETED", F_DELETED, 0, 0, ""}, {"IIF", F_IIF, 3, 3, "L??"},
};

static int constant_int(const node* n, int fallback)
{
    return n && n->op == OP_LITERAL && n->type == 'N' ? (int)clamp(n->literal.num, -1, 100000) : fallback;
}

/* The result type and widest text of a call, from its arguments. */
static int type_call(parser* ps, node* n)
{
    node** a = n->arg;
    switch (n->op) {
    case F_UPPER: case F_LOWER: case F_TRIM: case F_LTRIM: case F_ALLTRIM:
        n->type = 'C', n->width = a[0]->width;
        break;
    case F_SUBSTR: {
        int start = constant_int(a[1], 1), len = n->argc > 2 ? constant_int(a[2], -1) : -1;
        int rest = (int)a[0]->width - (start > 0 ? start - 1 : 0);
        n->type = 'C', n->width = (unsigned)(len >= 0 && len < rest ? len : rest > 0 ? rest : 0);
        break;
    }
    case F_LEFT: case F_RIGHT: {
        int len = constant_int(a[1], -1);
        n->type = 'C', n->width = len >= 0 && (unsigned)len < a[0]->width ? (unsigned)len : a[0]->width;
        break;
    }
    case F_STR: {
        int len = n->argc > 1 ? constant_int(a[1], -1) : 10;
        if (len < 1 || len > 255) {
            fail(ps, "STR needs a constant length from 1 to 255");
            return 0;
        }
        n->type = 'C', n->width = (unsigned)len;
        n->dec = n->argc > 2 ? (unsigned)constant_int(a[2], 0) : 0;
        break;
    }
    case F_VAL: n->type = 'N', n->width = 20; break;
    case F_DTOS: case F_DTOC: n->type = 'C', n->width = 8; break;
    case F_CTOD: case F_DATE: n->type = 'D', n->width = 8; break;
    case F_RECNO: n->type = 'N', n->width = 10; break;
    case F_DELETED: n->type = 'L', n->width = 1; break;
    case F_IIF:
        if (a[1]->type != a[2]->type) {
            fail(ps, "IIF needs two results of one type");
            return 0;
        }
        n->type = a[1]->type;
        n->width = a[1]->width > a[2]->width ? a[1]->width : a[2]->width;
        n->dec = a[1]->dec > a[2]->dec ? a[1]->dec : a[2]->dec;
        break;
    default:
        return 0;
    }
    if (n->type == 'C' && !(n->buf = (char*)malloc(n->width ? n->width : 1))) {
        fail(ps, "out of memory");
        return 0;
    }
    return 1;
}

static node* call(parser* ps, const char* name)
{
    const struct function* f = NULL;
    for (size_t i = 0; i < sizeof functions / sizeof functions[0]; i++)
        if (strcmp(functions[i].name, name) == 0)
            f = &functions[i];
    if (!f) {
        fail(ps, "unknown function %s()", name);
        return NULL;
    }
    node* n = make(ps, f->op, 0, 0);
    if (!n)
        return NULL;
    skip_blanks(ps);
    if (!accept(ps, ")")) {
        do {
            if (n->argc == f->max_args) {
                fail(ps, "too many arguments to %s()", name);
                return NULL;
            }
            node* a = parse_or(ps);
            if (!a)
                return NULL;
            if (f->arg_types[n->argc] != '?' && a->type != f->arg_types[n->argc]) {
                fail(ps, "argument %d of %s() must be of type %c", n->argc + 1, name,
                     f->arg_types[n->argc]);
                return NULL;
            }
            n->arg[n->argc++] = a;
        } while (accept(ps, ","));
        if (!accept(ps, ")")) {
            fail(ps, "missing ) after the arguments of %s()", name);
            return NULL;
        }
    }
    if (n->argc < f->min_args) {
        fail(ps, "too few arguments to %s()", name);
        return NULL;
    }
    return type_call(ps, n) ? n : NULL;
}

static node* field_node(parser* ps, dbf_table* t, const char* name, const char* alias)
{
    int i = dbf_field_index(t, name);
    if (i < 0)
        return NULL;
    const dbf_field* f = dbf_field_at(t, i);
    char type = f->def.type;
    unsigned width = f->def.len;
    if (type == 'F')
        type = 'N';
    else if (type == 'M' || (type != 'N' && type != 'D' && type != 'L'))
        type = 'C';
    node* n = make(ps, OP_FIELD, 'C', 0);     /* texts point into the record */
    if (n) {
        n->type = type;
        n->width = type == 'L' ? 1 : type == 'D' ? 8 : width;
        n->dec = f->def.dec;
        if (alias) {
            snprintf(n->name, sizeof n->name, "%s", alias);
            n->def = f->def;
        } else {
            n->field = f;
        }
    }
    return n;
}

static node* name_or_call(parser* ps)
{
    char name[64];
    size_t len = 0;
    while (isalnum((unsigned char)*ps->p) || *ps->p == '_') {
        if (len + 1 < sizeof name)
            name[len++] = (char)toupper((unsigned char)*ps->p);
        ps->p++;
    }
    name[len] = '\0';
    if (accept(ps, "("))
        return call(ps, name);
    if (accept(ps, "->")) {
        skip_blanks(ps);
        dbf_table* other = ps->names && ps->names->alias ? ps->names->alias(ps->names->ctx, name) : NULL;
        if (!other) {
            fail(ps, "no open table %s", name);
            return NULL;
        }
        char field[64];
        size_t n = 0;
        while ((isalnum((unsigned char)*ps->p) || *ps->p == '_') && n + 1 < sizeof field)
            field[n++] = *ps->p++;
        field[n] = '\0';
        node* f = field_node(ps, other, field, name);
        if (!f && !ps->failed)
            fail(ps, "%s has no field %s", name, field);
        return f;
    }
    node* f = field_node(ps, ps->e->table, name, NULL);
    if (f || ps->failed)
        return f;
    const dbf_expr* calc = ps->names && ps->names->calc ? ps->names->calc(ps->names->ctx, name) : NULL;
    if (!calc) {
        fail(ps, "unknown name %s", name);
        return NULL;
    }
    node* n = make(ps, OP_CALC, 0, 0);
    if (n) {
        snprintf(n->name, sizeof n->name, "%s", name);
        n->type = calc->root->type;
        n->width = calc->root->width;
        n->dec = calc->root->dec;
    }
    return n;
}

static node* logical_literal(parser* ps)
{
    static const char* const words[] = {".T.", ".F.", ".Y.", ".N."};
    for (int i = 0; i < 4; i++)
        if (accept(ps, words[i])) {
            node* n = make(ps, OP_LITERAL, 'L', 1);
            if (n)
                n->literal.type = 'L', n->literal.num = i % 2 == 0;
            return n;
        }
    return NULL;
}

static node* parse_primary(parser* ps)
{
    skip_blanks(ps);
    char c = *ps->p;
    if (c == '(') {
        if (++ps->depth > DBF_EXPR_MAX_DEPTH) {
            fail(ps, "nested more than %d deep", DBF_EXPR_MAX_DEPTH);
            return NULL;
        }
        ps->p++;
        node* n = parse_or(ps);
        ps->depth--;
        if (n && !accept(ps, ")")) {
            fail(ps, "missing )");
            return NULL;
        }
        return n;
    }
    if (c == '"' || c == '\'')
        return text_literal(ps, c);
    if (c == '[')
        return text_literal(ps, ']');
    if (isdigit((unsigned char)c) || (c == '.' && isdigit((unsigned char)ps->p[1])))
        return number_literal(ps);
    if (c == '.') {
        node* n = logical_literal(ps);
        if (!n && !ps->failed)
            fail(ps, "unexpected '.'");
        return n;
    }
    if (isalpha((unsigned char)c) || c == '_') {
        if (++ps->depth > DBF_EXPR_MAX_DEPTH) {
            fail(ps, "nested more than %d deep", DBF_EXPR_MAX_DEPTH);
            return NULL;
        }
        node* n = name_or_call(ps);
        ps->depth--;
        return n;
    }
    fail(ps, c ? "unexpected '%c'" : "expression ends too soon", c);
    return NULL;
}

/* A sign binds tighter than a power, as in dBASE: -2^2 is 4. */
static node* parse_signed(parser* ps)
{
    if (++ps->depth > DBF_EXPR_MAX_DEPTH) {
        fail(ps, "nested more than %d deep", DBF_EXPR_MAX_DEPTH);
        return NULL;
    }
    node* n;
    if (accept(ps, "-")) {
        node* a = parse_signed(ps);
        if (a && a->type != 'N')
            fail(ps, "- needs a number");
        n = a && !ps->failed ? make(ps, OP_NEG, 'N', 20) : NULL;
        if (n)
            n->arg[0] = a, n->argc = 1, n->dec = a->dec;
    } else if (accept(ps, "+")) {
        n = parse_signed(ps);
    } else {
        n = parse_primary(ps);
    }
    ps->depth--;
    return ps->failed ? NULL : n;
}

static node* parse_unary(parser* ps)
{
    node* n = parse_signed(ps);
    while (n && (accept(ps, "**") || accept(ps, "^")))
        n = binary(ps, OP_POW, n, parse_signed(ps));
    return ps->failed ? NULL : n;
}

static node* parse_product(parser* ps)
{
    node* n = parse_unary(ps);
    for (;;) {
        skip_blanks(ps);
        if (ps->p[0] == '*' && ps->p[1] != '*')
            ps->p++, n = binary(ps, OP_MUL, n, parse_unary(ps));
        else if (accept(ps, "/"))
            n = binary(ps, OP_DIV, n, parse_unary(ps));
        else
            return ps->failed ? NULL : n;
    }
}

static node* parse_sum(parser* ps)
{
    node* n = parse_product(ps);
    for (;;) {
        if (accept(ps, "+"))
            n = binary(ps, OP_ADD, n, parse_product(ps));
        else if (accept(ps, "-") )
            n = binary(ps, OP_SUB, n, parse_product(ps));
        else
            return ps->failed ? NULL : n;
    }
}

static node* parse_comparison(parser* ps)
{
    static const struct { const char* text; enum op op; } ops[] = {
        {"==", OP_EXACT}, {"<>", OP_NE}, {"!=", OP_NE}, {"<=", OP_LE}, {">=", OP_GE},
        {"=", OP_EQ}, {"#", OP_NE}, {"<", OP_LT}, {">", OP_GT}, {"$", OP_CONTAINS}};
    node* n = parse_sum(ps);
    for (size_t i = 0; n && i < sizeof ops / sizeof ops[0]; i++)
        if (accept(ps, ops[i].text))
            return binary(ps, ops[i].op, n, parse_sum(ps));
    return n;
}

static node* parse_not(parser* ps)
{
    if (!accept(ps, ".NOT.") && !accept(ps, "!"))
        return parse_comparison(ps);
    if (++ps->depth > DBF_EXPR_MAX_DEPTH) {
        fail(ps, "nested more than %d deep", DBF_EXPR_MAX_DEPTH);
        return NULL;
    }
    node* a = parse_not(ps);
    ps->depth--;
    if (a && a->type != 'L')
        fail(ps, ".NOT. needs a logical value");
    node* n = a && !ps->failed ? make(ps, OP_NOT, 'L', 1) : NULL;
    if (n)
        n->arg[0] = a, n->argc = 1;
    return n;
}

static node* parse_and(parser* ps)
{
    node* n = parse_not(ps);
    while (n && accept(ps, ".AND."))
        n = binary(ps, OP_AND, n, parse_not(ps));
    return ps->failed ? NULL : n;
}

static node* parse_or(parser* ps)
{
    node* n = parse_and(ps);
    while (n && accept(ps, ".OR."))
        n = binary(ps, OP_OR, n, parse_and(ps));
    return ps->failed ? NULL : n;
}

void dbf_expr_free(dbf_expr* e)
{
    if (!e)
        return;
    for (node* n = e->nodes; n;) {
        node* next = n->next_alloc;
        free(n->buf);
        free(n);
        n = next;
    }
    free(e);
}

dbf_status dbf_expr_parse(dbf_expr** out, dbf_table* t, const char* source,
                          const dbf_expr_names* names, char* error, size_t error_size)
{
    *out = NULL;
    if (error && error_size)
        error[0] = '\0';
    if (!t || !source)
        return DBF_E_ARG;
    dbf_expr* e = (dbf_expr*)calloc(1, sizeof *e);
    if (!e)
        return DBF_E_NOMEM;
    e->table = t;
    e->code_page = dbf_code_page(t);
    if (names)
        e->names = *names;
    parser ps = {e, source, source, names, 0, error, error_size, 0};
    e->root = parse_or(&ps);
    skip_blanks(&ps);
    if (e->root && *ps.p)
        fail(&ps, "unexpected '%c'", *ps.p);
    if (!e->root || ps.failed) {
        if (!ps.failed)
            fail(&ps, "not an expression");
        dbf_expr_free(e);
        return DBF_E_EXPR;
    }
    *out = e;
    return DBF_OK;
}

char dbf_expr_type(const dbf_expr* e) { return e->root->type; }
unsigned dbf_expr_width(const dbf_expr* e) { return e->root->width; }
unsigned dbf_expr_decimals(const dbf_expr* e) { return e->root->dec; }

/* ---- evaluation ---- */

typedef struct frame {
    const dbf_expr* e;
    int code_page;
    const unsigned char* record;
    uint32_t recno;
} frame;

static dbf_status eval(node* n, const frame* fr, dbf_value* v);

static double number_of(const char* s, size_t len)
{
    char tmp[64];
    if (len >= sizeof tmp)
        len = sizeof tmp - 1;
    memcpy(tmp, s, len);
    tmp[len] = '\0';
    return strtod(tmp, NULL);
}

/* The field of ALIAS->FIELD in the current record of that table, if it is
 * open and still has the field as it was. */
static const char* other_field(const dbf_expr* e, const node* n)
{
    dbf_table* t = e->names.alias ? e->names.alias(e->names.ctx, n->name) : NULL;
    const dbf_field* f = t ? dbf_field_at(t, dbf_field_index(t, n->def.name)) : NULL;
    if (!f || f->def.type != n->def.type || f->def.len != n->def.len)
        return NULL;
    return (const char*)dbf_record(t) + f->offset;
}

static dbf_status eval_calc(const dbf_expr* e, const node* n, dbf_value* v)
{
    const dbf_expr* c = e->names.calc ? e->names.calc(e->names.ctx, n->name) : NULL;
    if (!c || c->root->type != n->type || c->root->width != n->width || c->root->dec != n->dec)
        return DBF_E_EXPR;
    return dbf_expr_eval_current((dbf_expr*)c, v);
}

static dbf_status eval_field(node* n, const frame* fr, dbf_value* v)
{
    const char* p = n->field ? (const char*)fr->record + n->field->offset : other_field(fr->e, n);
    if (!p)
        return DBF_E_EXPR;
    unsigned len = n->field ? n->field->def.len : n->def.len;
    v->type = n->type;
    switch (n->type) {
    case 'N': v->num = number_of(p, len); break;
    case 'D': v->num = (double)dbf_julian_from_text(p); break;
    case 'L': v->num = strchr("TtYy", *p) && *p; break;
    default: v->str = p, v->len = len; break;
    }
    return DBF_OK;
}

static int text_compare(int code_page, const dbf_value* a, const dbf_value* b, int prefix)
{
    size_t n = a->len > b->len ? a->len : b->len;
    if (prefix) {
        if (b->len == 0)
            return 0;
        n = b->len;
    }
    for (size_t i = 0; i < n; i++) {
        unsigned char x = i < a->len ? (unsigned char)a->str[i] : ' ';
        unsigned char y = i < b->len ? (unsigned char)b->str[i] : ' ';
        if (x != y)
            return dbf_text_compare(code_page, &x, &y, 1);
    }
    return 0;
}

static dbf_status eval_compare(node* n, int code_page, const dbf_value* a, const dbf_value* b, dbf_value* v)
{
    int c;
    if (a->type == 'C') {
        if (n->op == OP_CONTAINS) {
            c = 1;
            for (size_t i = 0; a->len <= b->len && i + a->len <= b->len && c; i++)
                c = memcmp(b->str + i, a->str, a->len) != 0;
            v->type = 'L', v->num = !c;
            return DBF_OK;
        }
        c = text_compare(code_page, a, b, n->op == OP_EQ || n->op == OP_NE);
    } else {
        c = a->num < b->num ? -1 : a->num > b->num;
    }
    int r = 0;
    switch (n->op) {
    case OP_EQ: case OP_EXACT: r = c == 0; break;
    case OP_NE: r = c != 0; break;
    case OP_LT: r = c < 0; break;
    case OP_LE: r = c <= 0; break;
    case OP_GT: r = c > 0; break;
    default: r = c >= 0; break;
    }
    v->type = 'L', v->num = r;
    return DBF_OK;
}

static dbf_status eval_arith(node* n, const dbf_value* a, const dbf_value* b, dbf_value* v)
{
    v->type = n->type;
    if (n->type == 'C') {
        size_t alen = a->len;
        if (n->op == OP_SUB)    /* trailing blanks of the left text go to the end */
            while (alen && a->str[alen - 1] == ' ')
                alen--;
        memcpy(n->buf, a->str, alen);
        memcpy(n->buf + alen, b->str, b->len);
        memset(n->buf + alen + b->len, ' ', a->len - alen);
        v->str = n->buf, v->len = a->len + b->len;
        return DBF_OK;
    }
    switch (n->op) {
    case OP_ADD: v->num = a->num + b->num; break;
    case OP_SUB: v->num = a->num - b->num; break;
    case OP_MUL: v->num = a->num * b->num; break;
    case OP_DIV:
        if (b->num == 0)
            return DBF_E_EXPR;
        v->num = a->num / b->num;
        break;
    default: v->num = pow(a->num, b->num); break;
    }
    return DBF_OK;
}

static void str_of(node* n, double x, int len, int dec)
{
    char tmp[400];
    if (dec < 0)
        dec = 0;
    if (dec > len)
        dec = len;
    int k = dbf_format_number(tmp, sizeof tmp, x, len, dec);
    if (k > len || k < 0)
        memset(n->buf, '*', (size_t)len);
    else
        memcpy(n->buf, tmp, (size_t)len);
}

static long today(void)
{
    time_t now = time(NULL);
    struct tm* tm = localtime(&now);
    return tm ? julian(tm->tm_year + 1900, tm->tm_mon + 1, tm->tm_mday) : 0;
}

/* MM/DD/YY or MM/DD/YYYY; two-digit years are of the 1900s. */
static long date_of_text(const char* s, size_t len)
{
    long part[3] = {0, 0, 0};
    int k = 0, digits = 0, year_digits = 0;
    for (size_t i = 0; i < len && k < 3; i++) {
        if (isdigit((unsigned char)s[i])) {
            if (part[k] < 100000)
                part[k] = part[k] * 10 + (s[i] - '0');
            digits++;
            if (k == 2)
                year_digits++;
        } else if (digits) {
            k++, digits = 0;
        }
    }
    if (part[0] == 0)
        return 0;
    if (year_digits <= 2)
        part[2] += 1900;
    char text[16];
    snprintf(text, sizeof text, "%04ld%02ld%02ld", part[2] % 10000, part[0] % 100, part[1] % 100);
    return dbf_julian_from_text(text);
}

static dbf_status eval_text_call(node* n, int code_page, const dbf_value* a, const dbf_value* args,
                                 dbf_value* v)
{
    const char* s = a->str;
    size_t len = a->len, start = 0;
    switch (n->op) {
    case F_UPPER: case F_LOWER:
        for (size_t i = 0; i < len; i++)
            n->buf[i] = (char)(n->op == F_UPPER ? dbf_upper(code_page, (unsigned char)s[i])
                                                : dbf_lower(code_page, (unsigned char)s[i]));
        s = n->buf;
        break;
    case F_TRIM:
        while (len && s[len - 1] == ' ')
            len--;
        break;
    case F_ALLTRIM:
        while (len && s[len - 1] == ' ')
            len--;
        /* fall through */
    case F_LTRIM:
        while (start < len && s[start] == ' ')
            start++;
        break;
    case F_SUBSTR: {
        start = (size_t)clamp(args[1].num - 1, 0, (long)len);
        size_t take = n->argc > 2 ? (size_t)clamp(args[2].num, 0, (long)len) : len;
        if (take > len - start)
            take = len - start;
        len = start + take;
        break;
    }
    case F_LEFT:
        len = (size_t)clamp(args[1].num, 0, (long)len);
        break;
    default: /* F_RIGHT */
        start = len - (size_t)clamp(args[1].num, 0, (long)len);
        break;
    }
    if (len - start > n->width)     /* a width fixed when parsed */
        len = start + n->width;
    v->type = 'C', v->str = s + start, v->len = len - start;
    return DBF_OK;
}

static dbf_status eval_call(node* n, const frame* fr, dbf_value* v)
{
    dbf_value args[3];
    if (n->op == F_IIF) {
        dbf_status st = eval(n->arg[0], fr, &args[0]);
        return st != DBF_OK ? st : eval(n->arg[args[0].num ? 1 : 2], fr, v);
    }
    for (int i = 0; i < n->argc; i++) {
        dbf_status st = eval(n->arg[i], fr, &args[i]);
        if (st != DBF_OK)
            return st;
    }
    v->type = n->type;
    switch (n->op) {
    case F_STR:
        str_of(n, args[0].num, (int)n->width, n->argc > 2 ? (int)clamp(args[2].num, 0, 255) : 0);
        v->str = n->buf, v->len = n->width;
        return DBF_OK;
    case F_VAL: v->num = number_of(args[0].str, args[0].len); return DBF_OK;
    case F_DTOS:
        dbf_julian_to_text(clamp(args[0].num, 0, 99999999), n->buf);
        v->str = n->buf, v->len = 8;
        return DBF_OK;
    case F_DTOC: {
        char t[8];
        dbf_julian_to_text(clamp(args[0].num, 0, 99999999), t);
        if (t[0] == ' ')
            memset(n->buf, ' ', 8);
        else
            memcpy(n->buf, t + 4, 2), n->buf[2] = '/', memcpy(n->buf + 3, t + 6, 2), n->buf[5] = '/',
            memcpy(n->buf + 6, t + 2, 2);
        v->str = n->buf, v->len = 8;
        return DBF_OK;
    }
    case F_CTOD: v->num = (double)date_of_text(args[0].str, args[0].len); return DBF_OK;
    case F_DATE: v->num = (double)today(); return DBF_OK;
    case F_RECNO: v->num = fr->recno; return DBF_OK;
    case F_DELETED: v->num = fr->record[0] == '*'; return DBF_OK;
    default: return eval_text_call(n, fr->code_page, &args[0], args, v);
    }
}

static dbf_status eval(node* n, const frame* fr, dbf_value* v)
{
    dbf_value a, b;
    dbf_status st;
    switch (n->op) {
    case OP_FIELD: return eval_field(n, fr, v);
    case OP_LITERAL: *v = n->literal; return DBF_OK;
    case OP_CALC: return eval_calc(fr->e, n, v);
    case OP_NEG: case OP_NOT:
        if ((st = eval(n->arg[0], fr, &a)) != DBF_OK)
            return st;
        v->type = n->type;
        v->num = n->op == OP_NEG ? -a.num : !a.num;
        return DBF_OK;
    case OP_AND: case OP_OR:
        if ((st = eval(n->arg[0], fr, &a)) != DBF_OK)
            return st;
        if ((n->op == OP_AND) != (a.num != 0)) {   /* decided by the left side */
            v->type = 'L', v->num = a.num != 0;
            return DBF_OK;
        }
        return eval(n->arg[1], fr, v);
    default:
        break;
    }
    if (n->op >= F_UPPER)
        return eval_call(n, fr, v);
    if ((st = eval(n->arg[0], fr, &a)) != DBF_OK || (st = eval(n->arg[1], fr, &b)) != DBF_OK)
        return st;
    if (n->op >= OP_EQ)
        return eval_compare(n, fr->code_page, &a, &b, v);
    return eval_arith(n, &a, &b, v);
}

dbf_status dbf_expr_eval(dbf_expr* e, const unsigned char* record, uint32_t recno, dbf_value* out)
{
    frame fr = {e, e->code_page, record, recno};
    memset(out, 0, sizeof *out);
    return eval(e->root, &fr, out);
}

dbf_status dbf_expr_eval_current(dbf_expr* e, dbf_value* out)
{
    return dbf_expr_eval(e, dbf_record(e->table), dbf_current(e->table), out);
}
