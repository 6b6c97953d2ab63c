/* Indexes, tags, seeking and locking are not part of this engine. Each of
 * these entry points reports e4notSupported, so a caller never mistakes a
 * missing feature for success. */
#include "cbase4.h"

static int refuse(DATA4* d, const char* what) { return cb4_fail(d, e4notSupported, what); }

void* d4index(DATA4* d, const char* name) { refuse(d, "d4index"); return NULL; }
void* d4tag(DATA4* d, const char* name) { refuse(d, "d4tag"); return NULL; }
void* d4tag_default(DATA4* d) { refuse(d, "d4tag_default"); return NULL; }
void* d4tag_next(DATA4* d, void* tag) { refuse(d, "d4tag_next"); return NULL; }
void* d4tag_prev(DATA4* d, void* tag) { refuse(d, "d4tag_prev"); return NULL; }
void* d4tag_selected(DATA4* d) { refuse(d, "d4tag_selected"); return NULL; }
/* Selecting no tag is record order, which is all there is. */
void d4tag_select(DATA4* d, void* tag) { if (tag) refuse(d, "d4tag_select"); }
int d4seek(DATA4* d, const char* key) { return refuse(d, "d4seek"); }
int d4seek_n(DATA4* d, const char* key, int len) { return refuse(d, "d4seek_n"); }
int d4seek_double(DATA4* d, double key) { return refuse(d, "d4seek_double"); }
int d4reindex(DATA4* d) { return refuse(d, "d4reindex"); }
int d4write_keys(DATA4* d) { return refuse(d, "d4write_keys"); }
int d4read_old(DATA4* d, long rec) { return refuse(d, "d4read_old"); }
int d4memo_compress(DATA4* d) { return refuse(d, "d4memo_compress"); }
int d4lock(DATA4* d, long rec) { return refuse(d, "d4lock"); }
int d4lock_all(DATA4* d) { return refuse(d, "d4lock_all"); }
int d4lock_append(DATA4* d) { return refuse(d, "d4lock_append"); }
int d4lock_file(DATA4* d) { return refuse(d, "d4lock_file"); }
int d4lock_group(DATA4* d, const long* recs, int count) { return refuse(d, "d4lock_group"); }
int d4lock_index(DATA4* d) { return refuse(d, "d4lock_index"); }
int d4lock_test(DATA4* d, long rec) { return refuse(d, "d4lock_test"); }
int d4lock_test_append(DATA4* d) { return refuse(d, "d4lock_test_append"); }
int d4lock_test_file(DATA4* d) { return refuse(d, "d4lock_test_file"); }
int d4lock_test_index(DATA4* d) { return refuse(d, "d4lock_test_index"); }
/* Nothing is ever locked, so there is nothing to release. */
int d4unlock(DATA4* d) { return d ? r4success : e4parm; }
