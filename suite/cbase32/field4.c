/* Field and memo entry points: the values of the current record. */
#include "cbase4.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

char* f4ptr(FIELD4* f)
{
    return f ? (char*)dbf_record(f->data->table) + dbf_field_at(f->data->table, f->number)->offset
             : NULL;
}

unsigned f4len(FIELD4* f) { return f ? f->len : 0; }
int f4decimals(FIELD4* f) { return f ? f->dec : 0; }
const char* f4name(FIELD4* f) { return f ? f->name : ""; }
int f4type(FIELD4* f) { return f ? f->type : 0; }
DATA4* f4data(FIELD4* f) { return f ? f->data : NULL; }

char* f4str(FIELD4* f)
{
    if (!f)
        return NULL;
    DATA4* d = f->data;
    char* text = (char*)realloc(d->text, f->len + 1);
    if (!text) {
        cb4_fail(d, e4memory, "f4str");
        return NULL;
    }
    d->text = text;
    memcpy(text, f4ptr(f), f->len);
    text[f->len] = '\0';
    return text;
}

int f4char(FIELD4* f) { return f ? (unsigned char)*f4ptr(f) : 0; }

double f4double(FIELD4* f)
{
    double value = 0;
    if (f)
        dbf_get_double(f->data->table, f->number, &value);
    return value;
}

long f4long(FIELD4* f)
{
    long value = 0;
    if (f)
        dbf_get_long(f->data->table, f->number, &value);
    return value;
}

int f4int(FIELD4* f) { return (int)f4long(f); }
int f4true(FIELD4* f) { return f ? dbf_get_logical(f->data->table, f->number) : 0; }

/* Every assignment goes through here: it marks the record changed. */
static int assigned(FIELD4* f, dbf_status st, const char* what)
{
    int rc = cb4_status(f->data, st, what);
    if (rc == r4success)
        f->data->recordChanged = 1;
    return rc;
}

static int can_assign(FIELD4* f, const char* what)
{
    if (!f)
        return e4parm;
    if (f->data->readOnly)
        return cb4_fail(f->data, e4readOnly, what);
    if (f->type == 'M')
        return cb4_fail(f->data, e4fieldName, what);
    return r4success;
}

int f4assign(FIELD4* f, const char* text)
{
    int rc = can_assign(f, "f4assign");
    return rc ? rc : assigned(f, dbf_set_text(f->data->table, f->number, text), "f4assign");
}

int f4assign_n(FIELD4* f, const char* text, unsigned len)
{
    int rc = can_assign(f, "f4assign_n");
    if (rc)
        return rc;
    char* copy = (char*)malloc((size_t)len + 1);
    if (!copy)
        return cb4_fail(f->data, e4memory, "f4assign_n");
    memcpy(copy, text, len);
    copy[len] = '\0';
    rc = assigned(f, dbf_set_text(f->data->table, f->number, copy), "f4assign_n");
    free(copy);
    return rc;
}

int f4assign_char(FIELD4* f, int c)
{
    char text[2] = { (char)c, '\0' };
    return f4assign(f, text);
}

int f4assign_long(FIELD4* f, long value)
{
    int rc = can_assign(f, "f4assign_long");
    if (rc)
        return rc;
    if (f->type == 'N' || f->type == 'F')
        return assigned(f, dbf_set_long(f->data->table, f->number, value), "f4assign_long");
    char text[32];
    snprintf(text, sizeof text, "%ld", value);
    return f4assign(f, text);
}

int f4assign_int(FIELD4* f, int value) { return f4assign_long(f, value); }

int f4assign_double(FIELD4* f, double value)
{
    int rc = can_assign(f, "f4assign_double");
    if (rc)
        return rc;
    if (f->type == 'N' || f->type == 'F')
        return assigned(f, dbf_set_double(f->data->table, f->number, value), "f4assign_double");
    char text[64];
    dbf_format_number(text, sizeof text, value, 0, f->dec);
    return f4assign(f, text);
}

int f4assign_field(FIELD4* to, FIELD4* from)
{
    if (!to || !from)
        return e4parm;
    if (to->type == 'M' || from->type == 'M') {
        if (to->type != from->type)
            return cb4_fail(to->data, e4fieldName, "f4assign_field");
        return f4memo_assign_n(to, f4memo_ptr(from), f4memo_len(from));
    }
    char text[256];
    dbf_get_text(from->data->table, from->number, text, sizeof text);
    return f4assign(to, text);
}

int f4blank(FIELD4* f)
{
    if (!f)
        return e4parm;
    if (f->type == 'M')
        return f4memo_assign(f, "");
    int rc = can_assign(f, "f4blank");
    if (rc)
        return rc;
    memset(f4ptr(f), ' ', f->len);
    dbf_touch(f->data->table);
    f->data->recordChanged = 1;
    return r4success;
}

/* ---- memo fields ---- */

static int reserve_memo(FIELD4* f, unsigned len)
{
    if (f->memo && len < f->memoCapacity)
        return r4success;
    char* memo = (char*)realloc(f->memo, (size_t)len + 1);
    if (!memo)
        return cb4_fail(f->data, e4memory, "memo");
    f->memo = memo;
    f->memoCapacity = len + 1;
    return r4success;
}

/* Makes the memo cache hold the current record's memo. */
static int load_memo(FIELD4* f)
{
    if (f->type != 'M')
        return cb4_fail(f->data, e4fieldName, "memo");
    if (f->memoRecNo == f->data->recNo && f->memo)
        return r4success;
    char* text = NULL;
    size_t len = 0;
    int rc = cb4_status(f->data, dbf_memo_read(f->data->table, f->number, &text, &len), "memo");
    if (rc == r4success && len > 0xFFFFFFF0u)
        rc = cb4_fail(f->data, e4memory, "memo");
    if (rc == r4success)
        rc = reserve_memo(f, (unsigned)len);
    if (rc == r4success) {
        memcpy(f->memo, text, len + 1);
        f->memoLen = (unsigned)len;
        f->memoRecNo = f->data->recNo;
        f->memoChanged = 0;
    }
    free(text);
    return rc;
}

void cb4_memo_empty(FIELD4* f)
{
    /* Without a buffer the next read would load the record's old memo. */
    if (reserve_memo(f, 0) == r4success)
        f->memo[0] = '\0';
    f->memoLen = 0;
    f->memoRecNo = f->data->recNo;
    f->memoChanged = 0;
}

unsigned f4memo_len(FIELD4* f)
{
    if (!f)
        return 0;
    if (f->type != 'M')
        return f->len;
    return load_memo(f) == r4success ? f->memoLen : 0;
}

char* f4memo_ptr(FIELD4* f)
{
    if (!f)
        return NULL;
    if (f->type != 'M')
        return f4ptr(f);
    return load_memo(f) == r4success ? f->memo : NULL;
}

char* f4memo_str(FIELD4* f)
{
    if (f && f->type != 'M')
        return f4str(f);
    return f4memo_ptr(f);
}

int f4memo_set_len(FIELD4* f, unsigned len)
{
    if (!f)
        return e4parm;
    if (f->type != 'M' || f->data->readOnly)
        return cb4_fail(f->data, f->type != 'M' ? e4fieldName : e4readOnly, "f4memo_set_len");
    int rc = load_memo(f);
    if (rc == r4success)
        rc = reserve_memo(f, len);
    if (rc != r4success)
        return rc;
    if (len > f->memoLen)
        memset(f->memo + f->memoLen, ' ', len - f->memoLen);
    f->memo[len] = '\0';
    f->memoLen = len;
    f->memoChanged = 1;
    f->data->recordChanged = 1;
    return r4success;
}

int f4memo_assign_n(FIELD4* f, const char* text, unsigned len)
{
    if (!f || (!text && len))
        return e4parm;
    if (f->type != 'M')
        return f4assign_n(f, text, len);
    int rc = f4memo_set_len(f, len);
    if (rc == r4success && len)
        memmove(f->memo, text, len);
    return rc;
}

int f4memo_assign(FIELD4* f, const char* text)
{
    return f4memo_assign_n(f, text, text ? (unsigned)strlen(text) : 0);
}

int f4memo_changed(FIELD4* f)
{
    if (!f || f->type != 'M')
        return e4parm;
    f->memoChanged = 1;
    f->data->recordChanged = 1;
    return r4success;
}

void f4memo_free(FIELD4* f)
{
    if (!f || f->memoChanged)
        return;
    free(f->memo);
    f->memo = NULL;
    f->memoLen = f->memoCapacity = 0;
    f->memoRecNo = -1;
}
