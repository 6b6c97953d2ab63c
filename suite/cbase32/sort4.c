/* Sorting items by key: in memory up to a limit, beyond it in sorted runs
 * on a temporary file that sort4get merges. An item is stored as its record
 * number, its key and its other data, side by side. */
#include "cbase4.h"

#include <stdlib.h>
#include <string.h>

enum { RUN_BUFFER = 4096, DEFAULT_MEMORY = 1 << 20 };

struct sort4run_st {
    FILE4SEQ_READ reader;
    char buffer[RUN_BUFFER];
    long left;              /* items not yet read from the run */
    int has;                /* item holds the run's next item */
    char* item;
};

static long item_rec(const char* item)
{
    long rec;
    memcpy(&rec, item, sizeof rec);
    return rec;
}

static int compare(const SORT4* s, const char* a, const char* b)
{
    int c = memcmp(a + sizeof(long), b + sizeof(long), (size_t)s->sortLen);
    if (c)
        return c;
    long ra = item_rec(a), rb = item_rec(b);
    return ra < rb ? -1 : ra > rb;
}

/* A stable bottom-up merge sort of the collected items. */
static int sort_items(SORT4* s)
{
    if (s->count < 2)
        return r4success;
    size_t len = s->itemLen;
    char* spare = (char*)malloc((size_t)s->count * len);
    if (!spare)
        return e4memory;
    char* from = s->items;
    char* to = spare;
    for (long width = 1; width < s->count; width *= 2) {
        for (long lo = 0; lo < s->count; lo += 2 * width) {
            long mid = lo + width < s->count ? lo + width : s->count;
            long hi = lo + 2 * width < s->count ? lo + 2 * width : s->count;
            long i = lo, j = mid, k = lo;
            while (i < mid && j < hi)
                memcpy(to + k++ * len, compare(s, from + j * len, from + i * len) < 0 ? from + j++ * len
                                                                                     : from + i++ * len, len);
            memcpy(to + k * len, from + i * len, (size_t)(mid - i) * len);
            k += mid - i;
            memcpy(to + k * len, from + j * len, (size_t)(hi - j) * len);
        }
        char* t = from;
        from = to;
        to = t;
    }
    if (from != s->items)
        memcpy(s->items, from, (size_t)s->count * len);
    free(spare);
    return r4success;
}

int sort4init(SORT4* s, CODE4* cb, int sortLen, int infoLen)
{
    if (!s || sortLen < 0 || infoLen < 0)
        return e4parm;
    memset(s, 0, sizeof *s);
    s->code4 = cb;
    s->sortLen = sortLen;
    s->infoLen = infoLen;
    s->itemLen = (unsigned)(sizeof(long) + (size_t)sortLen + (size_t)infoLen);
    s->memoryLimit = DEFAULT_MEMORY;
    s->spill.hand = -1;
    return r4success;
}

static int fail(SORT4* s, int code, const char* what)
{
    if (s->code4)
        e4describe(s->code4, code, what, NULL, NULL);
    return code;
}

/* Writes the collected items, sorted, as the next run of the spill file. */
static int spill_run(SORT4* s)
{
    int rc = sort_items(s);
    if (rc == r4success && s->spill.hand < 0)
        rc = file4temp(&s->spill, s->code4, NULL, 1);
    long* runs = rc == r4success ? (long*)realloc(s->runs, sizeof(long) * (size_t)(s->numRuns + 1)) : NULL;
    if (rc == r4success && !runs)
        rc = e4memory;
    if (rc != r4success)
        return fail(s, rc, "sort4: spilling to a temporary file");
    s->runs = runs;
    long start = file4len(&s->spill);
    rc = start < 0 ? (int)start
                   : file4write(&s->spill, start, s->items, (unsigned)((size_t)s->count * s->itemLen));
    if (rc != r4success)
        return rc;
    s->runs[s->numRuns++] = s->count;
    s->count = 0;
    return r4success;
}

int sort4put(SORT4* s, long rec, const void* sortData, const void* info)
{
    if (!s || s->getting || (!sortData && s->sortLen) || (!info && s->infoLen))
        return e4parm;
    if (s->count && (long)((size_t)s->count * s->itemLen) >= s->memoryLimit) {
        int rc = spill_run(s);
        if (rc != r4success)
            return rc;
    }
    if (s->count == s->capacity) {
        long capacity = s->capacity ? s->capacity * 2 : 256;
        char* items = (char*)realloc(s->items, (size_t)capacity * s->itemLen);
        if (!items)
            return fail(s, e4memory, "sort4put");
        s->items = items;
        s->capacity = capacity;
    }
    char* item = s->items + (size_t)s->count++ * s->itemLen;
    memcpy(item, &rec, sizeof rec);
    memcpy(item + sizeof rec, sortData, (size_t)s->sortLen);
    memcpy(item + sizeof rec + s->sortLen, info, (size_t)s->infoLen);
    return r4success;
}

static int read_next(SORT4* s, struct sort4run_st* run)
{
    run->has = 0;
    if (run->left == 0)
        return r4success;
    run->left--;
    int rc = file4seq_read_all(&run->reader, run->item, s->itemLen);
    run->has = rc == r4success;
    return rc;
}

int sort4get_init(SORT4* s)
{
    if (!s || s->getting)
        return e4parm;
    s->getting = 1;
    s->next = 0;
    if (!s->numRuns)
        return sort_items(s) == r4success ? r4success : fail(s, e4memory, "sort4get_init");
    if (s->count) {
        int rc = spill_run(s);
        if (rc != r4success)
            return rc;
    }
    s->merge = (struct sort4run_st*)calloc((size_t)s->numRuns, sizeof *s->merge);
    char* items = (char*)realloc(s->items, (size_t)(s->numRuns + 1) * s->itemLen);
    if (!s->merge || !items)
        return fail(s, e4memory, "sort4get_init");
    s->items = items;
    long start = 0;
    for (int i = 0; i < s->numRuns; i++) {
        struct sort4run_st* run = &s->merge[i];
        run->item = s->items + (size_t)(i + 1) * s->itemLen;
        run->left = s->runs[i];
        file4seq_read_init(&run->reader, &s->spill, start, run->buffer, sizeof run->buffer);
        start += (long)((size_t)s->runs[i] * s->itemLen);
        int rc = read_next(s, run);
        if (rc != r4success)
            return rc;
    }
    return r4success;
}

/* The smallest of the runs' next items goes to result; its run moves on. */
static int merge_next(SORT4* s)
{
    struct sort4run_st* best = NULL;
    for (int i = 0; i < s->numRuns; i++)
        if (s->merge[i].has && (!best || compare(s, s->merge[i].item, best->item) < 0))
            best = &s->merge[i];
    if (!best)
        return r4done;
    s->result = s->items;
    memcpy(s->result, best->item, s->itemLen);
    return read_next(s, best);
}

int sort4get(SORT4* s, long* rec, void** sortData, void** info)
{
    if (!s || !s->getting)
        return e4parm;
    int rc;
    if (s->numRuns) {
        rc = merge_next(s);
    } else if (s->next < s->count) {
        s->result = s->items + (size_t)s->next++ * s->itemLen;
        rc = r4success;
    } else {
        rc = r4done;
    }
    if (rc != r4success)
        return rc;
    if (rec)
        *rec = item_rec(s->result);
    if (sortData)
        *sortData = s->result + sizeof(long);
    if (info)
        *info = s->result + sizeof(long) + s->sortLen;
    return r4success;
}

int sort4free(SORT4* s)
{
    if (!s)
        return e4parm;
    free(s->items);
    free(s->runs);
    free(s->merge);
    file4close(&s->spill);
    CODE4* cb = s->code4;
    int sortLen = s->sortLen, infoLen = s->infoLen;
    sort4init(s, cb, sortLen, infoLen);
    return r4success;
}
