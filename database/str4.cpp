// The string family: where each kind of string keeps its characters, and
// Date4, a date text with the date calls.
#include "cbase32.hpp"

typedef decltype(sizeof 0) size_t;
extern "C" void* calloc(size_t count, size_t size);
extern "C" void free(void* p);

// ---- Str4's own bodies ----

void Str4::changed() {}
int Str4::decimals() { return 0; }
unsigned Str4::maximum() { return len(); }
int Str4::setLen(unsigned) { return -1; }
int Str4::setMax(unsigned) { return -1; }
int Str4::operator!=(Str4& other) { return !(*this == other); }
int Str4::operator<=(Str4& other) { return !(*this > other); }
int Str4::operator>=(Str4& other) { return !(*this < other); }

// ---- characters in the object, or behind a pointer ----

Str4char::Str4char(char ch) : c(ch) {}
unsigned Str4char::len() { return 1; }
char* Str4char::ptr() { return &c; }

Str4ptr::Str4ptr(char* text) : p(text) {}
char* Str4ptr::ptr() { return p; }

Str4len::Str4len(void* text, unsigned length) : p((char*)text), curLen(length) {}
unsigned Str4len::len() { return curLen; }
char* Str4len::ptr() { return p; }

// Starts with the text already in the buffer, up to the maximum.
Str4max::Str4max(void* text, unsigned maximum) : p((char*)text), curLen(0), maxLen(maximum)
{
    const void* end = p ? __builtin_memchr(p, '\0', maxLen) : 0;
    curLen = p ? (end ? (unsigned)((const char*)end - p) : maxLen) : 0;
}
unsigned Str4max::len() { return curLen; }
unsigned Str4max::maximum() { return maxLen; }
char* Str4max::ptr() { return p; }

Str4ten::Str4ten() : curLen(0) { buf[0] = '\0'; }
Str4ten::Str4ten(char* text) : Str4ten() { assign(text); }
Str4ten::Str4ten(Str4& from) : Str4ten() { assign(from); }
unsigned Str4ten::len() { return curLen; }
unsigned Str4ten::maximum() { return 10; }
char* Str4ten::ptr() { return buf; }

Str4large::Str4large() : curLen(0) { buf[0] = '\0'; }
Str4large::Str4large(const char* text) : Str4large() { assign(text); }
Str4large::Str4large(Str4& from) : Str4large() { assign(from); }
unsigned Str4large::len() { return curLen; }
unsigned Str4large::maximum() { return 255; }
char* Str4large::ptr() { return buf; }

Str4flex::Str4flex(Code4&, unsigned maximum) : Str4max(calloc(1, maximum + 1), maximum)
{
    if (!p)
        maxLen = 0;
}
Str4flex::Str4flex(const Str4flex& other) : Str4max(calloc(1, other.maxLen + 1), other.maxLen)
{
    if (!p)
        maxLen = 0;
    else
        assign(const_cast<Str4flex&>(other));
}
Str4flex::~Str4flex() { ::free(p); }
char* Str4flex::str() { return ptr(); }
Str4flex& Str4flex::operator=(Str4& from)
{
    assign(from);
    return *this;
}
Str4flex& Str4flex::operator=(const Str4flex& from)
{
    if (&from != this)
        assign(const_cast<Str4flex&>(from));
    return *this;
}

// ---- Date4 ----

Date4::Date4() { __builtin_memset(dt, ' ', 8), dt[8] = '\0'; }
Date4::Date4(long julian) : Date4() { assign(julian); }
Date4::Date4(const char* text) : Date4() { assign(const_cast<char*>(text)); }
Date4::Date4(const char* text, const char* picture) : Date4()
{
    assign(const_cast<char*>(text), const_cast<char*>(picture));
}
Date4::Date4(const Date4& other) = default;
Date4& Date4::operator=(const Date4& other) = default;

Date4::operator long() { return date4long(dt); }
unsigned Date4::len() { return 8; }
char* Date4::ptr() { return dt; }

void Date4::assign(long julian) { date4assign(dt, julian); }
void Date4::assign(char* text) { u4ncpy(dt, text, sizeof dt); }
void Date4::assign(char* text, char* picture) { date4init(dt, text, picture); }
void Date4::assign(Str4& from) { Str4::assign(from); }
const char* Date4::cdow() { return date4cdow(dt); }
const char* Date4::cmonth() { return date4cmonth(dt); }
int Date4::day() { return date4day(dt); }
int Date4::dow() { return date4dow(dt); }
void Date4::format(char* result, const char* picture) { date4format(dt, result, picture); }
int Date4::isLeap()
{
    int y = date4year(dt);
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}
int Date4::month() { return date4month(dt); }
void Date4::today() { date4today(dt); }
int Date4::year() { return date4year(dt); }
Date4::operator double() { return date4format_mdx(dt); }
long Date4::operator+(long days) { return date4long(dt) + days; }
long Date4::operator-(long days) { return date4long(dt) - days; }
void Date4::operator+=(long days) { date4assign(dt, date4long(dt) + days); }
void Date4::operator-=(long days) { date4assign(dt, date4long(dt) - days); }
void Date4::operator++() { *this += 1; }
void Date4::operator++(int) { *this += 1; }
void Date4::operator--() { *this -= 1; }
void Date4::operator--(int) { *this -= 1; }
