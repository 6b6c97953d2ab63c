/* dBASE IV multiple index files (.MDX): up to 47 tags in one file, each a
 * B-tree of fixed-length keys with record numbers.
 *
 * The file is 512-byte pages grouped in 1024-byte blocks. Pages 0-3 hold
 * the file header and the tag table; each tag has a header block (root
 * page, key type and length, flags, key and filter expressions) and its
 * tree. A tree node is a count, a spare word and entries of a four-byte
 * number followed by the key, padded to a multiple of four: in a leaf the
 * number is a record number and the word after the last entry is 0; in an
 * inner node it is a child's page and the node has one entry more than its
 * count, the rightmost child, so that word is never 0. An inner key is the
 * greatest key under its child. Equal keys are kept in record order.
 *
 * Keys are stored as the tag's type orders them: C text (blank padded),
 * N twelve-byte BCD numbers, D eight-byte doubles holding Julian days.
 * Descending tags keep keys in reverse order.
 *
 * This layer knows nothing of expressions: callers give it the keys. Pages
 * are cached; nothing is written until dbf_mdx_flush or dbf_mdx_close. A
 * damaged file (pages outside it, counts that do not fit, loops) gives
 * DBF_E_INDEX, never a read or write outside a page. */
#ifndef DBF_MDX_H
#define DBF_MDX_H

#include "dbf.h"

#ifdef __cplusplus
extern "C" {
#endif

#define DBF_MDX_MAX_TAGS 47
#define DBF_MDX_MAX_KEY 100
#define DBF_MDX_MAX_EXPR 220

typedef struct dbf_mdx dbf_mdx;
typedef struct dbf_mdx_cursor dbf_mdx_cursor;

typedef struct dbf_mdx_tag_info {
    char name[11];
    char key_type;              /* 'C' 'N' 'D' */
    unsigned key_len;           /* C: 1..100; N 12; D 8 */
    int descending;
    int unique;                 /* 0, or one of the rules below */
    char expression[DBF_MDX_MAX_EXPR + 1];
    char filter[DBF_MDX_MAX_EXPR + 1];      /* empty for none */
} dbf_mdx_tag_info;

/* What a unique tag's owner does with a duplicate key. This layer leaves
 * every duplicate out alike; the rule is kept in the file for the owner.
 * dBASE's own files say only "unique", which reads as the silent rule. */
enum {
    DBF_MDX_UNIQUE_SILENT = 1,  /* leave it out */
    DBF_MDX_UNIQUE_REFUSE,      /* refuse the write */
    DBF_MDX_UNIQUE_REPORT       /* leave it out and say so */
};

/* A new file with no tags, for the table named table_name (no extension).
 * Takes ownership of io in every case, as dbf_open does. */
dbf_status dbf_mdx_create(dbf_mdx** out, dbf_io* io, const char* table_name);
dbf_status dbf_mdx_open(dbf_mdx** out, dbf_io* io);
dbf_status dbf_mdx_flush(dbf_mdx* m);
dbf_status dbf_mdx_close(dbf_mdx* m);   /* flushes; NULL allowed */
/* Drops cached pages (after flushing), so the next access reads what
 * another program may have written. */
dbf_status dbf_mdx_forget(dbf_mdx* m);

int dbf_mdx_tag_count(const dbf_mdx* m);
/* Character keys compare in the collation of the table's code page
 * (dbf_text_compare); 0, the default, byte by byte. */
void dbf_mdx_set_code_page(dbf_mdx* m, int code_page);
const dbf_mdx_tag_info* dbf_mdx_tag(const dbf_mdx* m, int tag);
int dbf_mdx_find_tag(const dbf_mdx* m, const char* name);      /* -1 if none */
/* Adds an empty tag (the caller then inserts or builds its keys). */
dbf_status dbf_mdx_add_tag(dbf_mdx* m, const dbf_mdx_tag_info* info);
/* Removes a tag from the table; its pages are reclaimed by dbf_mdx_clear. */
dbf_status dbf_mdx_remove_tag(dbf_mdx* m, int tag);
/* Empties the file down to its tags' headers, every tag without keys. */
dbf_status dbf_mdx_clear(dbf_mdx* m);

/* One key of a bulk build. */
typedef struct dbf_mdx_entry {
    const unsigned char* key;
    uint32_t rec;
} dbf_mdx_entry;
/* Fills an empty tag from entries in any order (sorted here). A unique tag
 * keeps the first record of each key. */
dbf_status dbf_mdx_build(dbf_mdx* m, int tag, dbf_mdx_entry* entries, size_t count);

/* DBF_E_UNIQUE when the tag is unique and holds the key already. */
dbf_status dbf_mdx_insert(dbf_mdx* m, int tag, const unsigned char* key, uint32_t rec);
/* DBF_E_RANGE when the tag has no such key and record. */
dbf_status dbf_mdx_delete(dbf_mdx* m, int tag, const unsigned char* key, uint32_t rec);

/* Cursors walk one tag in its order. A change to the tag through another
 * call leaves a cursor to be positioned again. */
dbf_status dbf_mdx_cursor_new(dbf_mdx* m, int tag, dbf_mdx_cursor** out);
void dbf_mdx_cursor_free(dbf_mdx_cursor* c);
/* Moves return DBF_E_RANGE (and leave the cursor invalid) past either end. */
dbf_status dbf_mdx_first(dbf_mdx_cursor* c);
dbf_status dbf_mdx_last(dbf_mdx_cursor* c);
dbf_status dbf_mdx_next(dbf_mdx_cursor* c);
dbf_status dbf_mdx_prev(dbf_mdx_cursor* c);
/* To the first key not before key (len bytes; fewer than the key length
 * compare as a prefix of a C key) and, among equal keys, not before record
 * rec (0: the first). *exact says whether its key equals the one sought. */
dbf_status dbf_mdx_seek(dbf_mdx_cursor* c, const unsigned char* key, size_t len, uint32_t rec,
                        int* exact);
int dbf_mdx_valid(const dbf_mdx_cursor* c);
const unsigned char* dbf_mdx_key(const dbf_mdx_cursor* c);
uint32_t dbf_mdx_recno(const dbf_mdx_cursor* c);
/* Where the cursor is, 0.0 at the first key to 1.0 at the last, from its
 * path through the tree: each node shares its part evenly among its
 * entries, so steps are even where pages are evenly filled. 1.0 when the
 * cursor is not on a key. dbf_mdx_position_set goes to the key at such a
 * position (DBF_E_RANGE for an empty tag), and back to the same key for a
 * position this cursor gave. */
double dbf_mdx_position(const dbf_mdx_cursor* c);
dbf_status dbf_mdx_position_set(dbf_mdx_cursor* c, double pos);

/* The page-level walk. A cursor on a key may look at the inner node above
 * its leaf, and higher: there an entry stands for its child, and
 * dbf_mdx_key/recno give the last key under that child; next and prev move
 * along the node's entries (DBF_E_RANGE at its ends, staying put). Every
 * other move returns to the leaves. level is 0 at the root. */
int dbf_mdx_level(const dbf_mdx_cursor* c);
/* Down to the first entry of the child (DBF_E_RANGE at a leaf); up to the
 * parent's entry for this node (DBF_E_RANGE at the root). */
dbf_status dbf_mdx_down(dbf_mdx_cursor* c);
dbf_status dbf_mdx_up(dbf_mdx_cursor* c);
/* To the root; a cursor not on a key first goes to the first key. */
dbf_status dbf_mdx_up_to_root(dbf_mdx_cursor* c);

/* Key forms. */
void dbf_mdx_number_key(double value, unsigned char key[12]);
double dbf_mdx_number_of_key(const unsigned char key[12]);
void dbf_mdx_date_key(double julian, unsigned char key[8]);
double dbf_mdx_date_of_key(const unsigned char key[8]);

#ifdef __cplusplus
}
#endif

#endif
