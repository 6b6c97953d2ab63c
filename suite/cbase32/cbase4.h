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


/* ---- indexes, expressions and locks ---- */

/* Moves the table to record rec (after writing a changed record), or to
 * the end of the table. */
int cb4_load(DATA4* d, long rec);
int cb4_at_end(DATA4* d);

/* The key of an expression on a record's bytes (expr4key_len bytes into
 * key); its length, or an error. */
int cb4_key(EXPR4* e, const unsigned char* record, uint32_t recno, unsigned char* key);
/* A logical expression on a record's bytes: 1, 0 or an error. */
int cb4_true(EXPR4* e, const unsigned char* record, uint32_t recno);

/* Opens the production index when the table's header says it has one. */
int cb4_index_open(DATA4* d);
void cb4_index_close_all(DATA4* d);
/* Before the cached record is written as record rec (0: appended): refuses
 * with e4unique when a tag created with unique e4unique holds its key. */
int cb4_index_check_unique(DATA4* d, long rec);
/* Before the cached record is written over stored record rec: moves its
 * keys. After record rec is appended: adds its keys. Both may return
 * r4unique when a unique tag left the key out. */
int cb4_index_update(DATA4* d, long rec);
int cb4_index_add(DATA4* d, long rec);
/* Record rec as stored in the file, read into d->oldRecord; NULL when it
 * cannot be read. */
unsigned char* cb4_stored_record(DATA4* d, long rec);
/* After pack and zap: every tag rebuilt. */
int cb4_index_rebuild(DATA4* d);
/* Tag cursors no longer know where they are (after a change of keys). */
void cb4_tags_moved(DATA4* d);

/* Table moves in the order of the selected tag. */
int cb4_tag_top(DATA4* d);
int cb4_tag_bottom(DATA4* d);
int cb4_tag_skip(DATA4* d, long n);
double cb4_tag_position(DATA4* d);
int cb4_tag_position_set(DATA4* d, double pos);

/* Around a change of index pages by a table that shares its files (holds
 * locks): takes the index lock and re-reads the pages; the end writes them
 * and releases the lock. */
int cb4_index_begin(DATA4* d);
void cb4_index_end(DATA4* d);

#endif
