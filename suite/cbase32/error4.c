/* Errors and the process-wide hooks: the bottom of the entry points, which
 * every other file reports through. */
#include "cbase4.h"

#include <stddef.h>

static ERROR4HOOK error_hook;
static PACK4HOOK pack_hook;
static void* pack_hook_arg;
static INDEX4HOOK index_hook;
static void* index_hook_arg;

ERROR4HOOK SetErrorHook(ERROR4HOOK hook)
{
    ERROR4HOOK old = error_hook;
    error_hook = hook;
    return old;
}

PACK4HOOK SetPackHook(PACK4HOOK hook, void* arg)
{
    PACK4HOOK old = pack_hook;
    pack_hook = hook;
    pack_hook_arg = arg;
    return old;
}

void cb4_pack_progress(long done, long total)
{
    if (pack_hook)
        pack_hook(done, total, pack_hook_arg);
}

/* Kept for callers that install one; with no indexes it is never called. */
INDEX4HOOK SetIndexHook(INDEX4HOOK hook, void* arg)
{
    INDEX4HOOK old = index_hook;
    index_hook = hook;
    index_hook_arg = arg;
    return old;
}

int e4describe(CODE4* cb, int code, const char* s1, const char* s2, const char* s3)
{
    if (cb)
        cb->errorCode = code;
    if (error_hook && !(cb && cb->errOff))
        error_hook(code, (char*)(s1 ? s1 : ""), (char*)(s2 ? s2 : ""), (char*)(s3 ? s3 : ""));
    return code;
}

int cb4_fail(DATA4* d, int code, const char* what)
{
    return e4describe(d ? d->code4 : NULL, code, what, d ? d->fileName : "", NULL);
}

int cb4_status(DATA4* d, dbf_status st, const char* what)
{
    switch (st) {
    case DBF_OK: return r4success;
    case DBF_E_IO: return cb4_fail(d, e4write, what);
    case DBF_E_FORMAT: return cb4_fail(d, e4data, what);
    case DBF_E_NOMEM: return cb4_fail(d, e4memory, what);
    case DBF_E_RANGE: return r4entry;
    case DBF_E_FIELD: return cb4_fail(d, e4fieldName, what);
    case DBF_E_MEMO: return cb4_fail(d, e4memo, what);
    case DBF_E_VALUE: return cb4_fail(d, e4value, what);
    default: return cb4_fail(d, e4parm, what);
    }
}

int QvcoError(CODE4* cb) { return cb ? cb->errorCode : e4parm; }
