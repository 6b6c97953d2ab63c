/* What the engine's entry points share. */
#ifndef CBASE4_H
#define CBASE4_H

#include "cbase32.h"
#include "dbf.h"

/* Reports an error to the context and its hook; returns code. */
int cb4_fail(DATA4* d, int code, const char* what);
/* The entry-point result for an engine status. */
int cb4_status(DATA4* d, dbf_status st, const char* what);
/* Gives a memo field of the record being built an empty memo of its own. */
void cb4_memo_empty(FIELD4* f);
/* Tells the pack hook, if any, how far d4pack has come. */
void cb4_pack_progress(long done, long total);


/* ---- the layer under the entry points ----
 *
 * The entry-point files call each other only downwards, in the order
 * data4, move4, tag4, index4, lock4 (field4, expr4 and the rest beside
 * them), and all of them call into the two files below, which call only
 * the engine core: record4.c (the current record on its way to the file,
 * with its memos and keys) over share4.c (the table's locks and what they
 * make visible). Errors are reported through error4.c, under all. */

/* record4.c */
/* Refusal of a change: e4readOnly, or e4index while the indexes cannot be
 * kept current (DATA4.indexState). */
int cb4_may_write(DATA4* d, const char* what);
/* Stores changed memos (under the memo lock), the record's keys, then the
 * record; a record being appended is dropped. A record whose keys could
 * not be moved is not written and the indexes count as stale. */
int cb4_flush_record(DATA4* d);
int cb4_write_memos(DATA4* d);
/* Writes the cached record over record rec, or appends it (rec 0; blank:
 * a blank record instead), with its keys; r4unique when a unique tag left
 * the key out. */
int cb4_store(DATA4* d, long rec, int blank);
/* Moves the table to record rec (after writing a changed record), or to
 * the end of the table. */
int cb4_load(DATA4* d, long rec);
int cb4_at_end(DATA4* d);
/* Before the cached record is written as record rec (0: appended): refuses
 * with e4unique when a tag created with unique e4unique holds its key. */
int cb4_index_check_unique(DATA4* d, long rec);
/* Before the cached record is written over stored record rec: moves its
 * keys. After record rec is appended: adds its keys. Both may return
 * r4unique when a unique tag left the key out. */
int cb4_index_update(DATA4* d, long rec);
int cb4_index_add(DATA4* d, long rec);
/* Pack (first 0) or zap first..last through a copy beside the table, so a
 * stop half-way loses nothing; at open, cb4_compact_finish ends a rewrite
 * a stopped program left behind. */
int cb4_compact(DATA4* d, long first, long last);
int cb4_compact_finish(DATA4* d);
/* Record rec as stored in the file, read into d->oldRecord; NULL when it
 * cannot be read. */
unsigned char* cb4_stored_record(DATA4* d, long rec);
/* Tag cursors no longer know where they are (after a change of keys). */
void cb4_tags_moved(DATA4* d);
int cb4_index_error(DATA4* d, dbf_status st, const char* what);

/* share4.c. how: DBF_LOCK_WAIT (up to CODE4.lockWait) or DBF_LOCK_TRY;
 * r4success, r4locked or an error. A lock had re-reads what others wrote. */
int cb4_lock_record(DATA4* d, long rec, int how);
int cb4_lock_append(DATA4* d, int how);
/* A failed try leaves the record and append locks held before. */
int cb4_lock_file(DATA4* d, int how);
int cb4_lock_index(DATA4* d, int how);
void cb4_unlock_index(DATA4* d);
/* Writes buffered bytes out and releases every lock of the table. */
void cb4_unlock_all(DATA4* d);
int cb4_holds_lock(DATA4* d);
/* The append lock (file 0) or the file lock (file 1) for one operation,
 * unless the caller holds it; *taken says whether cb4_own_unlock gives it
 * back. A wait that runs out of time is e4lock here. */
int cb4_own_lock(DATA4* d, int file, int* taken);
void cb4_own_unlock(DATA4* d, int file, int taken);
/* Around a change of index pages: the index lock for a table that shares
 * its files (holds locks), pages read afresh, and the table's mark of an
 * unfinished change; the end (always called, also after a failed begin)
 * writes the pages and clears the mark. Only a rebuild may begin while
 * the indexes are stale. */
int cb4_index_begin(DATA4* d, int rebuild);
void cb4_index_end(DATA4* d);
/* Writes every index's pages, then clears the mark (unless stale). */
int cb4_index_write(DATA4* d);
/* At open, with lock what taking the index lock gave: a mark left by a
 * program that stopped makes the indexes stale; one under another
 * program's lock (r4locked) is its change in progress and gives r4locked. */
int cb4_index_check_mark(DATA4* d, int lock);
/* Around memo writes: the memo lock and the memo file's end read afresh. */
int cb4_memo_begin(DATA4* d, int* taken);
void cb4_memo_end(DATA4* d, int taken);
/* FIELD4s forget the memos they hold of the current record. */
void cb4_forget_memos(DATA4* d);

/* ---- indexes, expressions ---- */

/* The key of an expression on a record's bytes (expr4key_len bytes into
 * key); its length, or an error. */
int cb4_key(EXPR4* e, const unsigned char* record, uint32_t recno, unsigned char* key);
/* A logical expression on a record's bytes: 1, 0 or an error. */
int cb4_true(EXPR4* e, const unsigned char* record, uint32_t recno);

/* Opens the production index when the table's header says it has one;
 * one that cannot be read or was left stale stops writes (indexState). */
int cb4_index_open(DATA4* d);
void cb4_index_close_all(DATA4* d);
/* After pack and zap: every tag rebuilt. */
int cb4_index_rebuild(DATA4* d);

/* Table moves in the order of the selected tag. */
int cb4_tag_top(DATA4* d);
int cb4_tag_bottom(DATA4* d);
int cb4_tag_skip(DATA4* d, long n);
double cb4_tag_position(DATA4* d);
int cb4_tag_position_set(DATA4* d, double pos);

#endif
