/* Typed access to the fields of the cached record. */
#include "dbf_internal.h"

#include <ctype.h>
#include <float.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const dbf_field* field_of(const dbf_table* t, int field)
{
    return t ? dbf_field_at(t, field) : NULL;
}

static int is_numeric(char type) { return type == 'N' || type == 'F'; }

/* The field's bytes without the blanks that pad them. */
static const unsigned char* trimmed(const dbf_table* t, const dbf_field* f, size_t* len)
{
    const unsigned char* p = t->record + f->offset;
    size_t n = f->def.len;
    while (n && (p[n - 1] == ' ' || p[n - 1] == '\0'))
        n--;
    if (is_numeric(f->def.type) || f->def.type == 'M')
        while (n && *p == ' ')
            p++, n--;
    *len = n;
    return p;
}

size_t dbf_get_text(dbf_table* t, int field, char* buf, size_t size)
{
    const dbf_field* f = field_of(t, field);
    size_t n = 0;
    const unsigned char* p = f ? trimmed(t, f, &n) : NULL;
    if (buf && size) {
        size_t copy = n < size - 1 ? n : size - 1;
        if (copy)
            memcpy(buf, p, copy);
        buf[copy] = '\0';
    }
    return n;
}

/* A dBASE number: optional sign, digits with an optional decimal point, and
 * an optional exponent. strtod alone would also take "nan", "inf" and hex
 * forms, which no dBASE table holds and which have no integer value. */
static int is_dbase_number(const char* s)
{
    int digits = 0;
    if (*s == '+' || *s == '-')
        s++;
    for (; isdigit((unsigned char)*s); s++)
        digits++;
    if (*s == '.')
        for (s++; isdigit((unsigned char)*s); s++)
            digits++;
    if (digits && (*s == 'e' || *s == 'E')) {
        s++;
        if (*s == '+' || *s == '-')
            s++;
        if (!isdigit((unsigned char)*s))
            return 0;
        while (isdigit((unsigned char)*s))
            s++;
    }
    return digits > 0 && *s == '\0';
}

dbf_status dbf_get_double(dbf_table* t, int field, double* value)
{
    const dbf_field* f = field_of(t, field);
    if (!f || !value)
        return DBF_E_FIELD;
    char text[256];
    dbf_get_text(t, field, text, sizeof text);
    /* A blank numeric field is a valid zero; anything else must be a number. */
    *value = 0;
    if (text[0] == '\0')
        return DBF_OK;
    if (!is_dbase_number(text))
        return DBF_E_VALUE;
    *value = strtod(text, NULL);
    return DBF_OK;
}

dbf_status dbf_get_long(dbf_table* t, int field, long* value)
{
    double d;
    dbf_status st = dbf_get_double(t, field, &d);
    if (!value)
        return DBF_E_FIELD;
    *value = 0;
    if (st != DBF_OK)
        return st;
    if (!(d >= -2147483648.0 && d <= 2147483647.0))   /* also false for NaN */
        return DBF_E_VALUE;
    *value = (long)d;
    return DBF_OK;
}

int dbf_get_logical(dbf_table* t, int field)
{
    const dbf_field* f = field_of(t, field);
    if (!f)
        return 0;
    char c = (char)t->record[f->offset];
    return c == 'T' || c == 't' || c == 'Y' || c == 'y';
}

/* Stores len bytes of text into the field, left- or right-justified. */
static void put(dbf_table* t, const dbf_field* f, const char* text, size_t len, int right)
{
    unsigned char* p = t->record + f->offset;
    memset(p, ' ', f->def.len);
    memcpy(p + (right ? f->def.len - len : 0), text, len);
    t->dirty = 1;
}

dbf_status dbf_set_text(dbf_table* t, int field, const char* text)
{
    const dbf_field* f = field_of(t, field);
    if (!f || f->def.type == 'M')
        return DBF_E_FIELD;
    if (!text)
        text = "";
    size_t len = strlen(text);
    if (is_numeric(f->def.type)) {
        while (*text == ' ')
            text++, len--;
        while (len && text[len - 1] == ' ')
            len--;
        if (len > f->def.len)
            return DBF_E_VALUE;
        put(t, f, text, len, 1);
        return DBF_OK;
    }
    if (f->def.type == 'L' && len > 1)
        len = 1;
    if (len > f->def.len) {
        if (f->def.type != 'C')
            return DBF_E_VALUE;
        len = f->def.len;     /* dBASE cuts character values to the field */
    }
    put(t, f, text, len, 0);
    return DBF_OK;
}

int dbf_format_number(char* out, size_t size, double value, int width, int dec)
{
    if (dec < 0)
        dec = 0;
    double scale = pow(10.0, dec), scaled = fabs(value) * scale;
    /* A decimal half is seldom exact in binary (1.005 is 1.00499...): what
     * lies within a few units of the last place of it counts as the half. */
    if (scaled < 1e15) {
        double rounded = floor(scaled + 0.5 + scaled * 4 * DBL_EPSILON);
        value = copysign(rounded / scale, value);
    }
    return snprintf(out, size, "%*.*f", width, dec, value);
}

dbf_status dbf_set_double(dbf_table* t, int field, double value)
{
    const dbf_field* f = field_of(t, field);
    if (!f || !is_numeric(f->def.type))
        return DBF_E_FIELD;
    char text[64];
    if (value != value || value - value != 0)      /* NaN and infinities have no dBASE form */
        return DBF_E_VALUE;
    int n = dbf_format_number(text, sizeof text, value, 0, (int)f->def.dec);
    if (n < 0 || (size_t)n > f->def.len)
        return DBF_E_VALUE;
    put(t, f, text, (size_t)n, 1);
    return DBF_OK;
}

dbf_status dbf_set_long(dbf_table* t, int field, long value)
{
    const dbf_field* f = field_of(t, field);
    if (!f || !is_numeric(f->def.type))
        return DBF_E_FIELD;
    if (f->def.dec)
        return dbf_set_double(t, field, (double)value);
    char text[32];
    int n = snprintf(text, sizeof text, "%ld", value);
    if (n < 0 || (size_t)n > f->def.len)
        return DBF_E_VALUE;
    put(t, f, text, (size_t)n, 1);
    return DBF_OK;
}
