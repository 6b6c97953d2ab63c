/* What the engine's entry points share. */
#ifndef CBASE4_H
#define CBASE4_H

#include "cbase32.h"
#include "dbf.h"

/* Reports an error to the context and its hook; returns code. */
int cb4_fail(DATA4* d, int code, const char* what);
/* The entry-point result for an engine status. */
int cb4_status(DATA4* d, dbf_status st, const char* what);
/* Stores changed memos and lets the engine write the record on its next
 * move; a record being appended is dropped. */
int cb4_flush_record(DATA4* d);
/* Gives a memo field of the record being built an empty memo of its own. */
void cb4_memo_empty(FIELD4* f);
/* Tells the pack hook, if any, how far d4pack has come. */
void cb4_pack_progress(long done, long total);

#endif
