// Index4, Tag4 and Expr4: index files, their tags and parsed expressions.
#include "cbase32.hpp"

// ---- Index4 ----

Index4::Index4(Data4& d, char* name) : index(i4open(d.data, name)) {}
Index4::Index4(const Index4& other) = default;
Index4& Index4::operator=(const Index4& other) = default;

int Index4::addTag(TAG4INFO* tags) { return i4add_tag(index, tags); }
int Index4::close() { return i4close(index); }
INDEX4* Index4::create(Data4& d, char* name, TAG4INFO* tags) { return index = i4create(d.data, name, tags); }
INDEX4* Index4::create(Data4& d, TAG4INFO* tags) { return index = i4create(d.data, 0, tags); }
Data4 Index4::data() { return Data4(index ? index->data : 0); }
char* Index4::fileName() { return index ? index->fileName : 0; }
void Index4::init(Data4 d, char* name) { index = d4index(d.data, name); }
int Index4::isProduction() { return i4is_production(index); }
int Index4::isValid() { return index != 0; }
int Index4::lock() { return i4lock(index); }
INDEX4* Index4::open(Data4& d, char* name) { return index = i4open(d.data, name); }
int Index4::reindex() { return i4reindex(index); }
int Index4::unlock() { return i4unlock(index); }

// ---- Tag4 ----

Tag4::Tag4(Data4 d, char* name) : tag(d4tag(d.data, name)) {}
Tag4::Tag4(const Tag4& other) = default;
Tag4& Tag4::operator=(const Tag4& other) = default;

int Tag4::add(unsigned char* key, long rec) { return t4add(tag, key, rec); }
int Tag4::addCalc(long rec) { return t4add_calc(tag, rec); }
char* Tag4::alias() { return tag ? tag->alias : 0; }
int Tag4::bottom() { return t4bottom(tag); }
int Tag4::descending() { return t4is_descending(tag); }
int Tag4::down() { return t4down(tag); }
int Tag4::eof() { return t4eof(tag); }
Expr4 Tag4::expr() { return Expr4(tag ? tag->expr : 0); }
Expr4 Tag4::filter() { return Expr4(tag ? tag->filter : 0); }
int Tag4::freeAll() { return t4free_all(tag); }
int Tag4::go(char* key, long rec) { return t4go(tag, key, rec); }
Index4 Tag4::index() { return Index4(tag ? tag->index : 0); }
void Tag4::init(Data4 d, char* name) { tag = d4tag(d.data, name); }
void Tag4::initDefault(Data4 d) { tag = d4tag_default(d.data); }
void Tag4::initFirst(Data4 d) { tag = d4tag_next(d.data, 0); }
void Tag4::initLast(Data4 d) { tag = d4tag_prev(d.data, 0); }
void Tag4::initNext() { tag = tag ? d4tag_next(tag->index->data, tag) : 0; }
void Tag4::initPrev() { tag = tag ? d4tag_prev(tag->index->data, tag) : 0; }
void Tag4::initSelected(Data4 d) { tag = d4tag_selected(d.data); }
int Tag4::isValid() { return tag != 0; }
char* Tag4::key() { return t4key(tag); }
double Tag4::position() { return t4position(tag); }
int Tag4::position(double pos) { return t4position_set(tag, pos); }
long Tag4::recNo() { return t4recno(tag); }
int Tag4::remove(char* key, long rec) { return t4remove(tag, key, rec); }
int Tag4::removeCalc(long rec) { return t4remove_calc(tag, rec); }
int Tag4::seek(char* key, int len) { return t4seek(tag, key, len); }
long Tag4::skip(long n) { return t4skip(tag, n); }
int Tag4::top() { return t4top(tag); }
int Tag4::uniqueError() { return t4unique(tag); }
void Tag4::uniqueError(int code)
{
    if (tag)
        tag->uniqueError = code;
}
int Tag4::up() { return t4up(tag); }
void Tag4::upToRoot() { t4up_to_root(tag); }

// ---- Expr4 ----

Expr4::Expr4(Data4 d, char* source) : expr(expr4parse(d.data, source)) {}
Expr4::Expr4(const Expr4& other) = default;
Expr4& Expr4::operator=(const Expr4& other) = default;

void Expr4::free() { expr4free(expr); }
int Expr4::isValid() { return expr != 0; }
char* Expr4::key()
{
    char* result = 0;
    expr4key(expr, &result);
    return result;
}
int Expr4::keyLen() { return expr4key_len(expr); }
int Expr4::len() { return expr4len(expr); }
Expr4::operator double() { return expr4double(expr); }
EXPR4* Expr4::parse(Data4 d, char* source) { return expr = expr4parse(d.data, source); }
const char* Expr4::source() { return expr4source(expr); }
int Expr4::isTrue() { return expr4true(expr); }
int Expr4::type() { return expr4type(expr); }
char* Expr4::vary()
{
    char* result = 0;
    expr4vary(expr, &result);
    return result;
}
