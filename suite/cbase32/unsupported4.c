/* Placeholders until the index, expression and lock code lands: every call
 * refuses with e4notSupported. */
#include "cbase4.h"

INDEX4* d4index(DATA4* d, const char* name) { cb4_fail(d, e4notSupported, "d4index"); return NULL; }
TAG4* d4tag(DATA4* d, const char* name) { cb4_fail(d, e4notSupported, "d4tag"); return NULL; }
TAG4* d4tag_default(DATA4* d) { cb4_fail(d, e4notSupported, "d4tag_default"); return NULL; }
TAG4* d4tag_next(DATA4* d, TAG4* tag) { cb4_fail(d, e4notSupported, "d4tag_next"); return NULL; }
TAG4* d4tag_prev(DATA4* d, TAG4* tag) { cb4_fail(d, e4notSupported, "d4tag_prev"); return NULL; }
TAG4* d4tag_selected(DATA4* d) { cb4_fail(d, e4notSupported, "d4tag_selected"); return NULL; }
void d4tag_select(DATA4* d, TAG4* tag) { cb4_fail(d, e4notSupported, "d4tag_select"); }
int d4seek(DATA4* d, const char* key) { return cb4_fail(d, e4notSupported, "d4seek"); }
int d4seek_n(DATA4* d, const char* key, int len) { return cb4_fail(d, e4notSupported, "d4seek_n"); }
int d4seek_double(DATA4* d, double key) { return cb4_fail(d, e4notSupported, "d4seek_double"); }
int d4reindex(DATA4* d) { return cb4_fail(d, e4notSupported, "d4reindex"); }
int d4write_keys(DATA4* d) { return cb4_fail(d, e4notSupported, "d4write_keys"); }
int d4read_old(DATA4* d, long rec) { return cb4_fail(d, e4notSupported, "d4read_old"); }
int d4lock(DATA4* d, long rec) { return cb4_fail(d, e4notSupported, "d4lock"); }
int d4lock_all(DATA4* d) { return cb4_fail(d, e4notSupported, "d4lock_all"); }
int d4lock_append(DATA4* d) { return cb4_fail(d, e4notSupported, "d4lock_append"); }
int d4lock_file(DATA4* d) { return cb4_fail(d, e4notSupported, "d4lock_file"); }
int d4lock_group(DATA4* d, const long* recs, int count) { return cb4_fail(d, e4notSupported, "d4lock_group"); }
int d4lock_index(DATA4* d) { return cb4_fail(d, e4notSupported, "d4lock_index"); }
int d4lock_test(DATA4* d, long rec) { return cb4_fail(d, e4notSupported, "d4lock_test"); }
int d4lock_test_append(DATA4* d) { return cb4_fail(d, e4notSupported, "d4lock_test_append"); }
int d4lock_test_file(DATA4* d) { return cb4_fail(d, e4notSupported, "d4lock_test_file"); }
int d4lock_test_index(DATA4* d) { return cb4_fail(d, e4notSupported, "d4lock_test_index"); }
int d4unlock(DATA4* d) { return cb4_fail(d, e4notSupported, "d4unlock"); }
INDEX4* i4open(DATA4* d, const char* name) { cb4_fail(d, e4notSupported, "i4open"); return NULL; }
INDEX4* i4create(DATA4* d, const char* name, const TAG4INFO* tags) { cb4_fail(d, e4notSupported, "i4create"); return NULL; }
int i4close(INDEX4* i) { return cb4_fail(NULL, e4notSupported, "i4close"); }
int i4add_tag(INDEX4* i, const TAG4INFO* tags) { return cb4_fail(NULL, e4notSupported, "i4add_tag"); }
int i4tag_remove(INDEX4* i, const char* name) { return cb4_fail(NULL, e4notSupported, "i4tag_remove"); }
int i4reindex(INDEX4* i) { return cb4_fail(NULL, e4notSupported, "i4reindex"); }
int i4lock(INDEX4* i) { return cb4_fail(NULL, e4notSupported, "i4lock"); }
int i4unlock(INDEX4* i) { return cb4_fail(NULL, e4notSupported, "i4unlock"); }
int i4is_production(INDEX4* i) { return cb4_fail(NULL, e4notSupported, "i4is_production"); }
TAG4* i4tag(INDEX4* i, const char* name) { cb4_fail(NULL, e4notSupported, "i4tag"); return NULL; }
int t4top(TAG4* t) { return cb4_fail(NULL, e4notSupported, "t4top"); }
int t4bottom(TAG4* t) { return cb4_fail(NULL, e4notSupported, "t4bottom"); }
long t4skip(TAG4* t, long n) { return cb4_fail(NULL, e4notSupported, "t4skip"); }
int t4eof(TAG4* t) { return cb4_fail(NULL, e4notSupported, "t4eof"); }
long t4recno(TAG4* t) { return cb4_fail(NULL, e4notSupported, "t4recno"); }
char* t4key(TAG4* t) { cb4_fail(NULL, e4notSupported, "t4key"); return NULL; }
int t4seek(TAG4* t, const void* key, int len) { return cb4_fail(NULL, e4notSupported, "t4seek"); }
int t4go(TAG4* t, const char* key, long rec) { return cb4_fail(NULL, e4notSupported, "t4go"); }
double t4position(TAG4* t) { cb4_fail(NULL, e4notSupported, "t4position"); return 0.0; }
int t4position_set(TAG4* t, double pos) { return cb4_fail(NULL, e4notSupported, "t4position_set"); }
int t4add(TAG4* t, const unsigned char* key, long rec) { return cb4_fail(NULL, e4notSupported, "t4add"); }
int t4add_calc(TAG4* t, long rec) { return cb4_fail(NULL, e4notSupported, "t4add_calc"); }
int t4remove(TAG4* t, const char* key, long rec) { return cb4_fail(NULL, e4notSupported, "t4remove"); }
int t4remove_calc(TAG4* t, long rec) { return cb4_fail(NULL, e4notSupported, "t4remove_calc"); }
int t4unique(TAG4* t) { return cb4_fail(NULL, e4notSupported, "t4unique"); }
int t4is_descending(TAG4* t) { return cb4_fail(NULL, e4notSupported, "t4is_descending"); }
int t4free_all(TAG4* t) { return cb4_fail(NULL, e4notSupported, "t4free_all"); }
int t4down(TAG4* t) { return cb4_fail(NULL, e4notSupported, "t4down"); }
int t4up(TAG4* t) { return cb4_fail(NULL, e4notSupported, "t4up"); }
void t4up_to_root(TAG4* t) { cb4_fail(NULL, e4notSupported, "t4up_to_root"); }
EXPR4* expr4parse(DATA4* d, const char* source) { cb4_fail(d, e4notSupported, "expr4parse"); return NULL; }
void expr4free(EXPR4* e) { cb4_fail(NULL, e4notSupported, "expr4free"); }
int expr4type(EXPR4* e) { return cb4_fail(NULL, e4notSupported, "expr4type"); }
int expr4len(EXPR4* e) { return cb4_fail(NULL, e4notSupported, "expr4len"); }
int expr4key_len(EXPR4* e) { return cb4_fail(NULL, e4notSupported, "expr4key_len"); }
int expr4key(EXPR4* e, char** key) { return cb4_fail(NULL, e4notSupported, "expr4key"); }
int expr4vary(EXPR4* e, char** text) { return cb4_fail(NULL, e4notSupported, "expr4vary"); }
double expr4double(EXPR4* e) { cb4_fail(NULL, e4notSupported, "expr4double"); return 0.0; }
int expr4true(EXPR4* e) { return cb4_fail(NULL, e4notSupported, "expr4true"); }
const char* expr4source(EXPR4* e) { cb4_fail(NULL, e4notSupported, "expr4source"); return NULL; }
int expr4calc_create(CODE4* cb, EXPR4* e, const char* name) { return cb4_fail(NULL, e4notSupported, "expr4calc_create"); }
void expr4calc_reset(CODE4* cb) { cb4_fail(NULL, e4notSupported, "expr4calc_reset"); }
int d4memo_compress(DATA4* d) { return cb4_fail(d, e4notSupported, "d4memo_compress"); }
