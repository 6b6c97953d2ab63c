// The string bodies the database classes import from this library, the
// memo field's change mark, and the field and tag lists for d4create and
// i4create.
#include "cbase32.hpp"

typedef decltype(sizeof 0) size_t;
extern "C" {
void* malloc(size_t size);
void* realloc(void* p, size_t size);
void free(void* p);
long strtol(const char* text, char** end, int base);
}

// ---- Str4 ----

Str4::Str4() {}

// What the abstract string does where a class says nothing: the same bodies
// the wizard library exports, kept here for the table of virtuals this
// library defines.
void Str4::changed() {}
int Str4::decimals() { return 0; }
unsigned Str4::maximum() { return len(); }
int Str4::setLen(unsigned) { return -1; }
int Str4::setMax(unsigned) { return -1; }

unsigned Str4::len()
{
    const char* p = ptr();
    return p ? (unsigned)__builtin_strlen(p) : 0;
}

Str4::operator long()
{
    char text[64];
    unsigned n = len();
    if (n >= sizeof text)
        n = sizeof text - 1;
    __builtin_memcpy(text, ptr(), n);
    text[n] = '\0';
    return strtol(text, nullptr, 10);
}

// A NUL-terminated copy, valid until the next call.
char* Str4::str()
{
    static char* copy;
    static unsigned capacity;
    unsigned n = len();
    if (n + 1 > capacity) {
        char* grown = (char*)realloc(copy, n + 1);
        if (!grown)
            return nullptr;
        copy = grown;
        capacity = n + 1;
    }
    __builtin_memcpy(copy, ptr(), n);
    copy[n] = '\0';
    return copy;
}

// Strings of a length of their own take the text's length (cut to their
// maximum); fixed ones (fields) take the text cut or padded with blanks.
static int assign_bytes(Str4& to, const char* from, unsigned n)
{
    if (to.setLen(n) != 0) {
        unsigned most = to.maximum();
        if (n > most)
            n = most;
        if (to.setLen(n) != 0) {
            unsigned fixed = to.len();
            if (n > fixed)
                n = fixed;
            __builtin_memset(to.ptr() + n, ' ', fixed - n);
        }
    }
    if (n)
        __builtin_memmove(to.ptr(), from, n);
    to.changed();
    return r4success;
}

int Str4::assign(const char* text)
{
    return assign_bytes(*this, text ? text : "", text ? (unsigned)__builtin_strlen(text) : 0);
}

int Str4::assign(Str4& from) { return assign_bytes(*this, from.ptr(), from.len()); }

// Compares as dBASE does: the shorter text counts as padded with blanks.
static int compare(Str4& a, Str4& b)
{
    unsigned la = a.len(), lb = b.len();
    const unsigned char* pa = (const unsigned char*)a.ptr();
    const unsigned char* pb = (const unsigned char*)b.ptr();
    unsigned n = la < lb ? la : lb;
    int c = n ? __builtin_memcmp(pa, pb, n) : 0;
    if (c)
        return c;
    for (unsigned i = n; i < la; i++)
        if (pa[i] != ' ')
            return pa[i] > ' ' ? 1 : -1;
    for (unsigned i = n; i < lb; i++)
        if (pb[i] != ' ')
            return pb[i] > ' ' ? -1 : 1;
    return 0;
}

int Str4::operator==(Str4& other) { return compare(*this, other) == 0; }
int Str4::operator>(Str4& other) { return compare(*this, other) > 0; }
int Str4::operator<(Str4& other) { return compare(*this, other) < 0; }

// ---- lengths of the strings with a buffer ----

static int set_length(unsigned* cur, char* p, unsigned maximum, unsigned newLen, int room)
{
    if (newLen > maximum)
        return -1;
    if (newLen > *cur)
        __builtin_memset(p + *cur, ' ', newLen - *cur);
    *cur = newLen;
    if (room || newLen < maximum)
        p[newLen] = '\0';
    return 0;
}

int Str4max::setLen(unsigned newLen) { return set_length(&curLen, p, maxLen, newLen, 0); }
int Str4ten::setLen(unsigned newLen) { return set_length(&curLen, buf, 10, newLen, 1); }
int Str4large::setLen(unsigned newLen) { return set_length(&curLen, buf, 255, newLen, 1); }

void Field4memo::changed() { f4memo_changed(field); }

// ---- field and tag lists ----

static char* copy_text(const char* text)
{
    if (!text)
        return nullptr;
    size_t n = __builtin_strlen(text) + 1;
    char* copy = (char*)malloc(n);
    if (copy)
        __builtin_memcpy(copy, text, n);
    return copy;
}

// Makes room for one more entry and the NULL-named entry after it.
template <typename Info>
static int grow(Info** list, int size, int* capacity, CODE4* cb)
{
    if (size + 2 <= *capacity)
        return r4success;
    int wanted = *capacity ? *capacity * 2 : 8;
    Info* grown = (Info*)realloc(*list, sizeof(Info) * (size_t)wanted);
    if (!grown)
        return e4describe(cb, e4memory, "Field4info/Tag4info", nullptr, nullptr);
    *list = grown;
    *capacity = wanted;
    return r4success;
}

Field4info::Field4info(Code4& cb) : code4(&cb), list(nullptr), size(0), capacity(0) {}
Field4info::~Field4info() { free(); }

int Field4info::add(const char* name, char type, int len, int dec)
{
    int rc = grow(&list, size, &capacity, code4);
    if (rc != r4success)
        return rc;
    char* copy = copy_text(name);
    if (!copy)
        return e4describe(code4, e4memory, "Field4info::add", name, nullptr);
    list[size++] = FIELD4INFO{copy, type, len, dec};
    list[size] = FIELD4INFO{nullptr, 0, 0, 0};
    return r4success;
}

int Field4info::add(Field4& field)
{
    return add(f4name(field.field), (char)f4type(field.field), (int)f4len(field.field),
               f4decimals(field.field));
}

void Field4info::free()
{
    for (int i = 0; i < size; i++)
        ::free(list[i].name);
    ::free(list);
    list = nullptr;
    size = capacity = 0;
}

Tag4info::Tag4info(Code4& cb) : code4(&cb), list(nullptr), size(0), capacity(0) {}
Tag4info::~Tag4info() { free(); }

int Tag4info::add(const char* name, const char* expr, const char* filter, int unique, unsigned descending)
{
    int rc = grow(&list, size, &capacity, code4);
    if (rc != r4success)
        return rc;
    TAG4INFO t{copy_text(name), copy_text(expr), copy_text(filter), unique, descending};
    if (!t.name || !t.expression || (filter && !t.filter)) {
        ::free(t.name);
        ::free(t.expression);
        ::free(t.filter);
        return e4describe(code4, e4memory, "Tag4info::add", name, nullptr);
    }
    list[size++] = t;
    list[size] = TAG4INFO{nullptr, nullptr, nullptr, 0, 0};
    return r4success;
}

void Tag4info::free()
{
    for (int i = 0; i < size; i++) {
        ::free(list[i].name);
        ::free(list[i].expression);
        ::free(list[i].filter);
    }
    ::free(list);
    list = nullptr;
    size = capacity = 0;
}
