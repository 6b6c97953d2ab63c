/* Circular doubly linked lists of caller-owned items, and memory pools of
 * fixed-size units built on them. */
#include "cbase4.h"

#include <stdlib.h>
#include <string.h>

static void link_between(LINK4* item, LINK4* p, LINK4* n)
{
    item->p = p;
    item->n = n;
    p->n = item;
    n->p = item;
}

void l4add_after(LIST4* l, void* anchor, void* item)
{
    if (!l || !item)
        return;
    LINK4* link = (LINK4*)item;
    if (!l->lastNode) {
        link->n = link->p = link;
        l->lastNode = link;
    } else {
        LINK4* a = anchor ? (LINK4*)anchor : l->lastNode;
        link_between(link, a, a->n);
        if (a == l->lastNode)
            l->lastNode = link;
    }
    l->nLink++;
}

void l4add(LIST4* l, void* item) { l4add_after(l, l ? l->lastNode : NULL, item); }

void l4add_before(LIST4* l, void* anchor, void* item)
{
    if (!l || !item)
        return;
    if (!l->lastNode || !anchor) {
        l4add(l, item);
        return;
    }
    LINK4* a = (LINK4*)anchor;
    link_between((LINK4*)item, a->p, a);
    l->nLink++;
}

void* l4first(const LIST4* l) { return l && l->lastNode ? l->lastNode->n : NULL; }
void* l4last(const LIST4* l) { return l ? l->lastNode : NULL; }

void* l4next(const LIST4* l, const void* item)
{
    if (!item)
        return l4first(l);
    return l && item != l->lastNode ? ((const LINK4*)item)->n : NULL;
}

void* l4prev(const LIST4* l, const void* item)
{
    if (!item)
        return l4last(l);
    return l && item != l4first(l) ? ((const LINK4*)item)->p : NULL;
}

void l4remove(LIST4* l, void* item)
{
    if (!l || !item || !l->lastNode)
        return;
    LINK4* link = (LINK4*)item;
    if (l->selected == item)
        l->selected = NULL;
    if (link->n == link) {
        l->lastNode = NULL;
    } else {
        link->p->n = link->n;
        link->n->p = link->p;
        if (l->lastNode == link)
            l->lastNode = link->p;
    }
    link->n = link->p = NULL;
    l->nLink--;
}

void* l4pop(LIST4* l)
{
    void* last = l4last(l);
    l4remove(l, last);
    return last;
}

/* ---- memory pools ---- */

/* Units are kept aligned for any member type. */
enum { UNIT_ALIGN = 16 };

MEM4* mem4create(CODE4* cb, int start, unsigned unitSize, int expand, int isTemp)
{
    if (unitSize == 0 || unitSize > 0x1000000u) {
        if (cb)
            e4describe(cb, e4parm, "mem4create", NULL, NULL);
        return NULL;
    }
    MEM4* m = (MEM4*)calloc(1, sizeof *m);
    if (!m) {
        if (cb)
            e4describe(cb, e4memory, "mem4create", NULL, NULL);
        return NULL;
    }
    unsigned size = unitSize < sizeof(LINK4) ? (unsigned)sizeof(LINK4) : unitSize;
    m->code4 = cb;
    m->unitSize = (size + UNIT_ALIGN - 1) / UNIT_ALIGN * UNIT_ALIGN;
    m->unitsStart = start > 0 ? start : 1;
    m->unitsExpand = expand > 0 ? expand : m->unitsStart;
    m->isTemp = isTemp;
    return m;
}

/* A chunk of units: its list link, padded to keep the units aligned. */
static int add_chunk(MEM4* m)
{
    int units = m->chunks.nLink ? m->unitsExpand : m->unitsStart;
    char* chunk = (char*)malloc(UNIT_ALIGN + (size_t)units * m->unitSize);
    if (!chunk)
        return e4memory;
    l4add(&m->chunks, chunk);
    for (int i = 0; i < units; i++)
        l4add(&m->freeUnits, chunk + UNIT_ALIGN + (size_t)i * m->unitSize);
    return r4success;
}

void* mem4alloc(MEM4* m)
{
    if (!m)
        return NULL;
    if (!m->freeUnits.nLink && add_chunk(m) != r4success) {
        if (m->code4)
            e4describe(m->code4, e4memory, "mem4alloc", NULL, NULL);
        return NULL;
    }
    void* unit = l4pop(&m->freeUnits);
    memset(unit, 0, m->unitSize);
    m->inUse++;
    return unit;
}

int mem4free(MEM4* m, void* unit)
{
    if (!m || !unit)
        return e4parm;
    l4add(&m->freeUnits, unit);
    m->inUse--;
    return r4success;
}

void mem4release(MEM4* m)
{
    if (!m)
        return;
    for (void* chunk; (chunk = l4pop(&m->chunks)) != NULL;)
        free(chunk);
    free(m);
}
