/* Relations: a master table whose current record positions its slaves,
 * each through a tag (a key lookup) or as a record number, and a walk of
 * the top master that keeps every slave in step. */
#include "cbase4.h"

#include <stdlib.h>
#include <string.h>

/* relate4do_one's answer when the error action says to leave the master
 * record out of a walk. */
enum { SKIP_MASTER = 100 };

static RELATE4* new_relation(DATA4* d)
{
    RELATE4* r = (RELATE4*)calloc(1, sizeof *r);
    if (!r) {
        cb4_fail(d, e4memory, "relate4");
        return NULL;
    }
    r->code4 = d->code4;
    r->data = d;
    r->skipEnabled = 1;
    return r;
}

static RELATE4* top_of(RELATE4* r)
{
    while (r && r->master)
        r = r->master;
    return r;
}

RELATE4* relate4init(DATA4* master)
{
    return master ? new_relation(master) : NULL;
}

RELATE4* relate4create_slave(RELATE4* master, DATA4* slave, const char* masterExpr, TAG4* tag)
{
    if (!master || !slave || !masterExpr)
        return NULL;
    EXPR4* e = expr4parse(master->data, masterExpr);
    if (!e)
        return NULL;
    RELATE4* r = new_relation(slave);
    if (!r) {
        expr4free(e);
        return NULL;
    }
    r->master = master;
    r->masterExpr = e;
    r->dataTag = tag;
    RELATE4** at = &master->slaves;
    while (*at)
        at = &(*at)->nextSibling;
    *at = r;
    return r;
}

/* What a slave without a match gets, by its error action. */
static int no_match(RELATE4* r)
{
    switch (r->errorAction) {
    case relate4skipRec:
        d4go_eof(r->data);
        return SKIP_MASTER;
    case relate4terminate:
        return cb4_fail(r->data, e4relate, "relate4: no slave record");
    default:
        d4go_eof(r->data);     /* a blank slave record */
        return r4success;
    }
}

/* The slave's key lookup in its tag with the master expression's value. */
static int seek_slave(RELATE4* r)
{
    TAG4* old = d4tag_selected(r->data);
    d4tag_select(r->data, r->dataTag);
    int rc;
    switch (expr4type(r->masterExpr)) {
    case 'N':
    case 'F':
        rc = d4seek_double(r->data, expr4double(r->masterExpr));
        break;
    default: {
        char* text = NULL;
        int len = expr4vary(r->masterExpr, &text);
        if (len < 0) {
            rc = len;
            break;
        }
        if (r->matchLen > 0 && r->matchLen < len)
            len = r->matchLen;
        rc = d4seek_n(r->data, text, len);
    }
    }
    d4tag_select(r->data, old);
    if (rc < 0)
        return rc;
    if (rc == r4success || (rc == r4after && r->relationType == relate4approx))
        return r4success;
    return no_match(r);
}

/* Whether a scan slave's current record has the key its master asks for
 * (as far as the match length goes). */
static int slave_matches(RELATE4* r)
{
    if (d4eof(r->data) || d4bof(r->data))
        return 0;
    EXPR4* key = r->dataTag->expr;
    switch (expr4type(r->masterExpr)) {
    case 'N':
    case 'F':
    case 'D':
        return expr4double(key) == expr4double(r->masterExpr);
    default: {
        char *want = NULL, *have = NULL;
        int len = expr4vary(r->masterExpr, &want);
        if (r->matchLen > 0 && r->matchLen < len)
            len = r->matchLen;
        /* Both texts live in their expressions' buffers. */
        return len >= 0 && expr4vary(key, &have) >= len && memcmp(want, have, (size_t)len) == 0;
    }
    }
}

/* Moves a scan slave to its next (dir 1) or previous matching record;
 * 0 when there is none. */
static int scan_slave_step(RELATE4* r, int dir)
{
    if (d4eof(r->data))
        return 0;
    TAG4* old = d4tag_selected(r->data);
    d4tag_select(r->data, r->dataTag);
    int rc = d4skip(r->data, dir);
    d4tag_select(r->data, old);
    return rc == r4success && slave_matches(r);
}

/* A scan slave walked backwards starts on the last of its matches. */
static int scan_to_last(RELATE4* r)
{
    int rc = relate4do_one(r);
    if (rc != r4success || d4eof(r->data))
        return rc;
    long last = d4recno(r->data);
    while (scan_slave_step(r, 1))
        last = d4recno(r->data);
    return d4go(r->data, last);
}

int relate4do_one(RELATE4* r)
{
    if (!r || !r->master)
        return r ? r4success : e4parm;
    if (d4eof(r->master->data)) {
        d4go_eof(r->data);
        return r4success;
    }
    if (r->dataTag)
        return seek_slave(r);
    long rec = (long)expr4double(r->masterExpr);
    int rc = d4go(r->data, rec);
    return rc == r4success ? r4success : rc < 0 && rc != e4parm ? rc : no_match(r);
}

/* Positions r and everything below it; scan slaves on their first match
 * (dir 1) or their last (dir -1). */
static int relate_from(RELATE4* r, int dir)
{
    int result = dir < 0 && r->relationType == relate4scan && r->dataTag && r->master ? scan_to_last(r)
                                                                                          : relate4do_one(r);
    for (RELATE4* s = r->slaves; s && result >= 0; s = s->nextSibling) {
        int rc = relate_from(s, dir);
        if (rc != r4success && result == r4success)
            result = rc;
    }
    return result;
}

int relate4do(RELATE4* r) { return r ? relate_from(r, 1) : e4parm; }

/* The next composite record under the same top master record: the last
 * scan slave that has another match moves to it, and the scan slaves
 * after it start over. 1 when one moved. */
static int scan_step(RELATE4* r, int dir)
{
    RELATE4* kids[64];
    int n = 0;
    for (RELATE4* s = r->slaves; s && n < 64; s = s->nextSibling)
        kids[n++] = s;
    for (int k = n - 1; k >= 0; k--) {
        RELATE4* s = kids[k];
        if (scan_step(s, dir))
            return 1;
        if (s->relationType == relate4scan && s->dataTag && scan_slave_step(s, dir)) {
            for (RELATE4* below = s->slaves; below; below = below->nextSibling)
                relate_from(below, dir);
            for (int j = k + 1; j < n; j++)
                relate_from(kids[j], dir);
            return 1;
        }
    }
    return 0;
}

int relate4error_action(RELATE4* r, int action)
{
    if (!r)
        return e4parm;
    int old = r->errorAction;
    r->errorAction = action;
    return old;
}

int relate4match_len(RELATE4* r, int len)
{
    if (!r)
        return e4parm;
    int old = r->matchLen;
    r->matchLen = len;
    return old;
}

int relate4type(RELATE4* r, int type)
{
    if (!r)
        return e4parm;
    int old = r->relationType;
    r->relationType = type;
    return old;
}

/* Whether the top master's current record belongs to the walk: its slaves
 * found (or blanked) and the query true. */
static int accepted(RELATE4* top, int dir)
{
    int rc = relate_from(top, dir);
    if (rc == SKIP_MASTER)
        return 0;
    if (rc < 0)
        return rc;
    if (!top->query)
        return 1;
    return expr4true(top->query);
}

/* Moves the top master by one record in direction dir until a record is
 * accepted; first moves there with start. */
static int walk(RELATE4* r, int (*start)(DATA4*), int dir)
{
    RELATE4* top = top_of(r);
    if (!top)
        return e4parm;
    DATA4* d = top->data;
    TAG4* old = d4tag_selected(d);
    if (top->sortTag)
        d4tag_select(d, top->sortTag);
    int rc = r4success, moved = start ? 0 : scan_step(top, dir);
    if (!moved)
        rc = start ? start(d) : d4skip(d, dir);
    while (rc == r4success) {
        int ok = moved ? (top->query ? expr4true(top->query) : 1) : accepted(top, dir);
        if (ok < 0) {
            rc = ok;
            break;
        }
        if (ok)
            break;
        if (!(moved = scan_step(top, dir)))
            rc = d4skip(d, dir);
    }
    if (top->sortTag)
        d4tag_select(d, old);
    if (rc == r4bof || rc == r4eof)
        relate4do(top);     /* slaves follow the master to its end */
    return rc;
}

int relate4top(RELATE4* r) { return walk(r, d4top, 1); }
int relate4bottom(RELATE4* r) { return walk(r, d4bottom, -1); }

int relate4skip(RELATE4* r, long n)
{
    RELATE4* top = top_of(r);
    if (!top)
        return e4parm;
    if (n < 0 && !top->skipEnabled)
        return cb4_fail(top->data, e4parm, "relate4skip: backwards skipping is not enabled");
    int rc = r4success;
    for (long i = 0; rc == r4success && i < (n < 0 ? -n : n); i++)
        rc = walk(top, NULL, n < 0 ? -1 : 1);
    return rc;
}

int relate4skip_enable(RELATE4* r, int enable)
{
    RELATE4* top = top_of(r);
    if (!top)
        return e4parm;
    top->skipEnabled = enable != 0;
    return r4success;
}

int relate4query_set(RELATE4* r, const char* query)
{
    RELATE4* top = top_of(r);
    if (!top)
        return e4parm;
    EXPR4* e = query && *query ? expr4parse(top->data, query) : NULL;
    if (query && *query && !e)
        return e4expr;
    expr4free(top->query);
    top->query = e;
    return r4success;
}

int relate4sort_set(RELATE4* r, const char* tagName)
{
    RELATE4* top = top_of(r);
    if (!top)
        return e4parm;
    TAG4* t = tagName && *tagName ? d4tag(top->data, tagName) : NULL;
    if (tagName && *tagName && !t)
        return e4tagName;
    top->sortTag = t;
    return r4success;
}

int relate4changed(RELATE4* r)
{
    if (!r)
        return e4parm;
    top_of(r)->isChanged = 1;
    return r4success;
}

static int each_table(RELATE4* r, int (*call)(DATA4*))
{
    int result = call(r->data);
    for (RELATE4* s = r->slaves; s; s = s->nextSibling) {
        int rc = each_table(s, call);
        if (rc < 0 && result >= 0)
            result = rc;
    }
    return result;
}

int relate4lock(RELATE4* r) { return r ? each_table(top_of(r), d4lock_all) : e4parm; }
int relate4unlock(RELATE4* r) { return r ? each_table(top_of(r), d4unlock) : e4parm; }

static void free_tree(RELATE4* r, int closeFiles)
{
    while (r->slaves) {
        RELATE4* s = r->slaves;
        r->slaves = s->nextSibling;
        free_tree(s, closeFiles);
    }
    expr4free(r->masterExpr);
    expr4free(r->query);
    if (closeFiles)
        d4close(r->data);
    free(r);
}

int relate4free(RELATE4* r, int closeFiles)
{
    if (!r)
        return e4parm;
    if (r->master) {
        RELATE4** at = &r->master->slaves;
        while (*at && *at != r)
            at = &(*at)->nextSibling;
        if (*at)
            *at = r->nextSibling;
    }
    free_tree(r, closeFiles);
    return r4success;
}
