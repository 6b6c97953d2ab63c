// A suite program built from the release kit alone, as the suite's own are:
// Microsoft's C++ ABI, the kit's headers and its Windows-format import
// libraries, no other header or library. It uses the database classes over
// a table of known rows, through the table of virtuals of each string class,
// handles passed and returned by value, the deleting destructors and the
// hooks' calling conventions, and prints every check; any failure makes the
// exit status nonzero.
#include "cbase32.hpp"

#include "kit_runtime.h"

#ifdef _M_IX86
#define KIT_THISCALL __thiscall
#else
#define KIT_THISCALL
#endif

static int failures;

// Every line goes out at once: a check that crashes or hangs the program
// shows where it was.
__attribute__((format(printf, 1, 2))) static void say(const char* format, ...)
{
    __builtin_va_list args;
    __builtin_va_start(args, format);
    vprintf(format, args);
    __builtin_va_end(args);
    fflush(0);
}

static void check(int line, const char* what, long actual, long expected)
{
    if (actual == expected) {
        say("ok   %s == %ld\n", what, expected);
        return;
    }
    failures++;
    say("FAIL kit_program.cpp:%d: %s: got %ld, expected %ld\n", line, what, actual, expected);
}

static void check_text(int line, const char* what, const char* actual, unsigned len, const char* expected)
{
    if (actual && len == strlen(expected) && !memcmp(actual, expected, len)) {
        say("ok   %s == \"%s\"\n", what, expected);
        return;
    }
    failures++;
    say("FAIL kit_program.cpp:%d: %s: got \"%.*s\", expected \"%s\"\n", line, what,
           actual ? (int)len : 6, actual ? actual : "(null)", expected);
}

#define CHECK(actual, expected) check(__LINE__, #actual, (long)(actual), (long)(expected))
#define CHECK_TEXT(actual, len, expected) check_text(__LINE__, #actual, actual, len, expected)
#define CHECK_STR(actual, expected) \
    do { const char* s_ = (actual); check_text(__LINE__, #actual, s_, s_ ? strlen(s_) : 0, expected); } while (0)
// Doubles in these checks are whole numbers or exact halves.
#define CHECK_DOUBLE(actual, expected) check(__LINE__, #actual, (long)((actual) * 100), (long)((expected) * 100))

static char* S(const char* text) { return const_cast<char*>(text); }

// The program's own string, handed to the library, which calls back the two
// members it overrides through the program's table of virtuals.
class Text : public Str4 {
public:
    explicit Text(const char* t) : text(t) {}
    unsigned len() override { return (unsigned)strlen(text); }
    char* ptr() override { return S(text); }
    const char* text;
};

// Every virtual of a string, called through the interface in slot order.
static void check_string(const char* name, Str4& s, const char* text, unsigned maximum, long value,
                         int decimals, int setLenResult)
{
    say("-- %s\n", name);
    CHECK((long)s, value);
    s.changed();
    CHECK(s.decimals(), decimals);
    CHECK(s.len(), strlen(text));
    CHECK(s.maximum(), maximum);
    CHECK_TEXT(s.ptr(), s.len(), text);
    CHECK_STR(s.str(), text);
    CHECK(s.setLen(s.len()), setLenResult);
}

static void strings(Code4& code, Data4 people)
{
    people.go(1);
    char digits[] = "12345", part[] = "4567xyz", room[21] = "42";
    Str4char c('7');
    Str4ptr p(digits);
    Str4len l(part, 4);
    Str4max m(room, 20);
    Str4ten ten(S("Kestrix suite"));
    Str4large large(S("-300"));
    Str4flex flex(code, 30);
    flex = ten;
    Date4 date(S("19960228"));
    Field4 name(people, S("NAME")), amount(people, S("AMOUNT"));
    Field4memo note(people, S("NOTE"));
    check_string("Str4char", c, "7", 1, 7, 0, -1);
    check_string("Str4ptr", p, "12345", 5, 12345, 0, -1);
    check_string("Str4len", l, "4567", 4, 4567, 0, -1);
    check_string("Str4max", m, "42", 20, 42, 0, 0);
    check_string("Str4ten", ten, "Kestrix su", 10, 0, 0, 0);
    check_string("Str4large", large, "-300", 255, -300, 0, 0);
    check_string("Str4flex", flex, "Kestrix su", 30, 0, 0, 0);
    check_string("Date4", date, "19960228", 8, 2450142, 0, -1);
    check_string("Field4", amount, "12.50   ", 8, 12, 2, -1);
    CHECK(people.changed(), 1);
    people.changed(0);
    check_string("Field4memo", note, "first note", 10, 0, 0, 0);
    people.changed(0);

    say("-- the program's own string\n");
    Text bob("Bob"), al("Al"), seven("77");
    CHECK((long)seven, 77);
    CHECK(bob.maximum(), 3);
    CHECK(name.assign(bob), r4success);
    CHECK_TEXT(name.ptr(), name.len(), "Bob       ");
    CHECK(people.changed(), 1);
    people.refreshRecord();
    CHECK_TEXT(name.ptr(), name.len(), "Zoe       ");
    CHECK(ten.assign(al), r4success);
    CHECK_TEXT(ten.ptr(), ten.len(), "Al");
    Str4ten padded(S("Bob   "));
    CHECK(bob == padded, 1);
    CHECK(bob != padded, 0);
    CHECK(al < bob, 1);
    CHECK(al <= bob, 1);
    CHECK(al >= bob, 0);
}

static void handles(Data4 people)
{
    say("-- handles copied, passed and returned by value\n");
    Data4 copy(people), assigned;
    assigned = people;
    CHECK(copy.data == people.data && assigned.data == people.data, 1);
    Field4 byName(people, S("NAME")), byNumber(people, 2), again(byName), other;
    other = byNumber;
    CHECK_STR(byNumber.name(), "BORN");
    CHECK(again.field == byName.field && other.field == byNumber.field, 1);
    CHECK(byName.data().data == people.data, 1);
    CHECK(byName.number(), 1);
    Tag4 tag(people, S("NAME")), tagCopy(tag);
    CHECK(tagCopy.tag == tag.tag && tag.isValid(), 1);
    CHECK_STR(tag.expr().source(), "UPPER(NAME)");
}

// One call of each move, the seeks in each form: a seek finds its key only
// when its arguments arrive. Where moves land is the engine's tests' (Cbase32,
// Index).
static void moves(Data4 people)
{
    say("-- moves and seeks\n");
    Tag4 byName(people, S("NAME")), byAmount(people, S("AMOUNT"));
    people.select(byName);
    CHECK(people.top(), r4success);
    CHECK(people.recNo(), 2);
    CHECK(people.bottom(), r4success);
    CHECK(people.skip(-1), r4success);
    CHECK(people.seek(S("ZOE")), r4success);
    CHECK(people.seek(S("MIAXX"), 3), r4success);
    people.select(byAmount);
    CHECK(people.seek(99.0), r4success);
    people.select();
    CHECK(people.go(3), r4success);
    CHECK(people.skip(), r4eof);
    CHECK(people.recCount(), 3);
    CHECK(people.lock(2), r4success);
    CHECK(people.unlock(), r4success);
}

static void tags_and_expressions(Code4& code, Data4 people, Data4 orders)
{
    say("-- tags, indexes and expressions\n");
    Tag4 t;
    t.initFirst(people);
    CHECK_STR(t.alias(), "NAME");
    t.initNext();
    CHECK_STR(t.alias(), "AMOUNT");
    t.initNext();
    CHECK(t.isValid(), 0);
    t.initLast(people);
    CHECK_STR(t.alias(), "AMOUNT");
    t.initPrev();
    CHECK_STR(t.alias(), "NAME");

    Tag4info* info = new Tag4info(code);
    info->add(S("PERSON"), S("PERSON"));
    Index4 index;
    CHECK(index.create(orders, info->tags()) != 0, 1);
    delete info;
    CHECK(index.isProduction(), 1);
    const char* file = index.fileName();
    CHECK_STR(file + strlen(file) - 10, "ORDERS.MDX");
    CHECK(index.close(), r4success);
    CHECK(index.isValid(), 1);
    CHECK(index.open(orders, 0) != 0, 1);
    Index4 again;
    CHECK(again.open(orders, index.fileName()) != 0, 0);  // a second INDEX4 would write stale pages
    CHECK(code.errorCode, e4instance);
    code.errorCode = 0;
    Tag4 person(orders, S("PERSON"));
    CHECK(person.index().index == index.index && index.data().data == orders.data, 1);

    people.go(1);
    Expr4 twice(people, S("AMOUNT*2")), name(people, S("NAME")), big(people, S("AMOUNT > 10"));
    CHECK_DOUBLE((double)twice, 25.0);
    CHECK(twice.type(), 'N');
    CHECK_STR(name.vary(), "Zoe       ");
    CHECK_TEXT(name.key(), 10, "Zoe       ");
    CHECK(name.len(), 10);
    CHECK(big.isTrue(), 1);
    twice.free();
    CHECK(twice.isValid(), 1);
}

static void relation(Data4 people, Data4 orders)
{
    say("-- relation of orders to people by record number\n");
    Relate4set set;
    set.init(orders);
    Relate4 person(set, people, S("PERSON"), Tag4());
    CHECK(person.isValid(), 1);
    CHECK(person.master().relate == set.relate, 1);
    CHECK(person.data().data == people.data, 1);
    CHECK(person.dataTag().tag == 0, 1);
    CHECK_STR(person.masterExpr().source(), "PERSON");
    Field4 name(people, S("NAME")), amount(orders, S("AMOUNT"));
    char seen[128] = "", * end = seen;
    for (int rc = set.top(); rc == r4success; rc = set.skip())
        end += sprintf(end, "%.4s%ld ", name.ptr(), (long)amount);
    CHECK_STR(seen, "Mia 12 Zoe 99 adam7 Mia 1 ");
    CHECK(set.querySet(S("AMOUNT > 5")), r4success);
    CHECK(set.bottom(), r4success);
    CHECK_TEXT(name.ptr(), 4, "adam");
    set.free();
    CHECK(set.isValid(), 1);
}

static void dates()
{
    say("-- dates\n");
    Date4 d(S("19960228"));
    CHECK(d.dow(), 4);
    CHECK_STR(d.cdow(), "Wednesday");
    d++;
    ++d;
    CHECK_TEXT(d.ptr(), 8, "19960301");
    d--;
    --d;
    CHECK_TEXT(d.ptr(), 8, "19960228");
    CHECK(d + 1L, 2450143);
    CHECK(d - 1L, 2450141);
    d += 366;
    CHECK_TEXT(d.ptr(), 8, "19970228");
    d -= 366;
    CHECK_TEXT(d.ptr(), 8, "19960228");
    CHECK_DOUBLE((double)Date4(S("20000101")), 2451545.0);
    char text[32];
    d.format(text, S("MMM DD, CCYY"));
    CHECK_STR(text, "Feb 28, 1996");
    const char* years[] = {"19000228", "20000228", "20040228", "21000228"};
    for (int i = 0; i < 4; i++)
        CHECK(Date4(S(years[i])).isLeap(), i == 1 || i == 2);
}

static void files(Code4& code, const char* folder)
{
    say("-- files\n");
    char path[300], buf[64];
    sprintf(path, "%sKIT.TXT", folder);
    File4 f;
    CHECK(f.create(code, path), r4success);
    Text own("hij");
    CHECK(f.write(0, S("abcd"), 4), r4success);
    CHECK(f.write(4, S("efg")), r4success);
    CHECK(f.write(7, own), r4success);
    CHECK(f.read(0, buf, sizeof buf), 10);
    CHECK_TEXT(buf, 10, "abcdefghij");
    Str4ten ten;
    ten.setLen(4);
    CHECK(f.readAll(3, ten), r4success);
    CHECK_TEXT(ten.ptr(), ten.len(), "defg");
    CHECK(f.setLen(5), r4success);
    CHECK(f.len(), 5);

    char block[512];
    File4seqWrite w(f, 0, block, sizeof block);
    CHECK(w.write(S("12"), 2), r4success);
    CHECK(w.write(S("34")), r4success);
    CHECK(w.write(own), r4success);
    w << S("<") << own;
    CHECK(w.repeat(3, '-'), r4success);
    CHECK(w.flush(), r4success);
    File4seqRead r;
    CHECK(r.init(f, 0, block, sizeof block), r4success);
    CHECK(r.read(buf, 4), 4);
    CHECK_TEXT(buf, 4, "1234");
    ten.setLen(3);
    CHECK(r.read(ten), 3);
    CHECK_TEXT(ten.ptr(), 3, "hij");
    CHECK(r.readAll(buf, 1), r4success);
    CHECK_TEXT(buf, 1, "<");
    CHECK(r.readAll(ten), r4success);
    CHECK_TEXT(ten.ptr(), 3, "hij");
    CHECK(r.readAll(buf, 4), e4read);
    CHECK(f.close(), r4success);
    CHECK(f.isValid(), 0);
    remove(path);
}

struct Item {
    LINK4 link;
    int value;
};

static void lists_sorts_and_memory(Code4& code)
{
    say("-- lists, sorting and memory pools\n");
    Item a{{}, 1}, b{{}, 2}, c{{}, 3}, d{{}, 4};
    List4 list;
    list.add(&b);
    list.addBefore(&b, &a);
    list.addAfter(&b, &d);
    list.addAfter(&b, &c);
    CHECK(list.numNodes(), 4);
    int order = 0;
    for (Item* i = (Item*)list.first(); i; i = (Item*)list.next(i))
        order = order * 10 + i->value;
    CHECK(order, 1234);
    CHECK(((Item*)list.prev(&c))->value, 2);
    CHECK(((Item*)list.last())->value, 4);
    CHECK(((Item*)list.pop())->value, 4);
    list.remove(&a);
    CHECK(((Item*)list.first())->value, 2);
    list.reset();
    CHECK(list.numNodes(), 0);

    Sort4 sort(code, 5, 0);
    CHECK(sort.put(1, S("pear "), 0), r4success);
    CHECK(sort.put(2, S("apple"), 0), r4success);
    CHECK(sort.put(3, S("fig  "), 0), r4success);
    CHECK(sort.getInit(), r4success);
    order = 0;
    while (sort.get() == r4success)
        order = order * 10 + (int)sort.resultRec;
    CHECK(order, 231);
    sort.free();

    Mem4 pool(code, 2, 16, 2, 0);
    void* first = pool.alloc();
    void* second = pool.alloc();
    CHECK(first && second && first != second, 1);
    CHECK(pool.free(first), r4success);
    CHECK(pool.alloc() == first, 1);
    pool.release();
    CHECK(pool.isValid(), 1);
}

static int errorCalls, lastError;
static char lastErrorText[32];
static void __stdcall onError(int code, char* text1, char* text2, char* text3)
{
    errorCalls++;
    lastError = code;
    sprintf(lastErrorText, "%s|%s|%s", text1, text2, text3);
}
static long packSeen;
static void* packArg;
static void __stdcall onPack(long done, long total, void* arg)
{
    packSeen = packSeen * 10 + done * 3 + total;
    packArg = arg;
}
static int __stdcall onIndex(char*, int, int, long, long, void*) { return 0; }

static void hooks_and_pack(Code4& code, Data4 people)
{
    say("-- hooks, deleting and packing\n");
    ERROR4HOOK before = code.SetErrorHook(onError);
    code.errOff = 0;
    CHECK(code.error(e4parm, S("one"), S("two"), S("three")), e4parm);
    CHECK(errorCalls, 1);
    CHECK(lastError, e4parm);
    CHECK_STR(lastErrorText, "one|two|three");
    Data4 missing;
    CHECK(missing.open(code, S("NO_SUCH_TABLE")) == 0, 1);
    CHECK(errorCalls, 2);
    CHECK(lastError, e4open);
    code.errOff = 1;
    CHECK(code.SetErrorHook(before) == onError, 1);
    code.SetIndexHook(onIndex, &code);
    CHECK(code.SetIndexHook(0, 0) == onIndex, 1);

    CHECK(people.go(3), r4success);
    people.deleteRec();
    CHECK(people.deleted(), 1);
    people.recall();
    CHECK(people.deleted(), 0);
    people.deleteRec();
    code.SetPackHook(onPack, &code);
    CHECK(people.pack(), r4success);
    CHECK(code.SetPackHook(0, 0) == onPack, 1);
    CHECK(packSeen, 3 * 10 + 3 * 3 + 3);
    CHECK(packArg == &code, 1);
    CHECK(people.recCount(), 2);
}

typedef void* (KIT_THISCALL* DeletingDestructor)(void* self, unsigned flags);

// An array of two lists as Microsoft's compiler lays out new Field4info[2]:
// the count in the word before the elements.
static Field4info* new_pair(Code4& code)
{
    size_t* block = (size_t*)operator new[](sizeof(size_t) + 2 * sizeof(Field4info));
    *block = 2;
    Field4info* pair = (Field4info*)(block + 1);
    for (int i = 0; i < 2; i++) {
        new (&pair[i]) Field4info(code);
        pair[i].add(S("A"), 'C', 1);
    }
    return pair;
}

// delete and delete[] call the deleting destructor, the first virtual: flags
// 1 frees, 2 says the pointer is an array (each element destroyed, the
// count's address returned), 3 both, as delete[] does.
static void deleting_destructors(Code4& code)
{
    say("-- deleting destructors\n");
    Field4info* one = new Field4info(code);
    one->add(S("A"), 'C', 1);
    delete one;
    int before = failures;
    Field4info* pair = new_pair(code);
    DeletingDestructor destroy = **(DeletingDestructor**)pair;
    size_t* block = (size_t*)pair - 1;
    CHECK(destroy(pair, 2) == block, 1);
    CHECK(pair[0].list == 0 && pair[1].list == 0, 1);
    operator delete[](block);
    if (failures != before)
        return;  // flags 3 would free the wrong address
    pair = new_pair(code);
    CHECK(destroy(pair, 3) == (size_t*)pair - 1, 1);
    CHECK(_heapchk(), KIT_HEAPOK);
}

// PEOPLE: NAME, BORN, AMOUNT, NOTE (memo), tags NAME and AMOUNT; ORDERS:
// PERSON (a record of PEOPLE), AMOUNT, no index yet.
static int make_tables(Code4& code, const char* folder, Data4& people, Data4& orders)
{
    char path[300];
    Field4info fields(code);
    fields.add(S("NAME"), 'C', 10);
    fields.add(S("BORN"), 'D', 8);
    fields.add(S("AMOUNT"), 'N', 8, 2);
    fields.add(S("NOTE"), 'M', 10);
    Tag4info tags(code);
    tags.add(S("NAME"), S("UPPER(NAME)"));
    tags.add(S("AMOUNT"), S("AMOUNT"));
    sprintf(path, "%sPEOPLE", folder);
    people.create(code, path, fields.fields(), tags.tags());
    Field4info orderFields(code);
    orderFields.add(S("PERSON"), 'N', 5);
    orderFields.add(S("AMOUNT"), 'N', 8, 2);
    sprintf(path, "%sORDERS", folder);
    orders.create(code, path, orderFields.fields());
    if (!people.isValid() || !orders.isValid())
        return 0;
    const char* rows[][4] = {{"Zoe", "19960228", "12.50", "first note"},
                             {"adam", "20000229", "99.00", ""},
                             {"Mia", "19001231", "7.25", ""}};
    Field4 name(people, S("NAME")), born(people, S("BORN")), amount(people, S("AMOUNT"));
    Field4memo note(people, S("NOTE"));
    for (auto& row : rows) {
        people.appendStart();
        name.assign(S(row[0]));
        born.assign(S(row[1]));
        amount.assign(S(row[2]));
        note.assign(S(row[3]));
        if (people.append() != r4success)
            return 0;
    }
    const char* orderRows[][2] = {{"3", "12.50"}, {"1", "99.00"}, {"2", "7.25"}, {"3", "1.00"}};
    Field4 person(orders, S("PERSON")), paid(orders, S("AMOUNT"));
    for (auto& row : orderRows) {
        orders.appendBlank();
        person.assign(S(row[0]));
        paid.assign(S(row[1]));
    }
    return orders.flush() == r4success;
}

int main()
{
    char folder[260];
    GetTempPathA(sizeof folder, folder);
    Code4 code;
    code.safety = 0;
    code.errOff = 1;
    Data4 people, orders;
    CHECK(make_tables(code, folder, people, orders), 1);
    if (failures)
        return 1;
    strings(code, people);
    handles(people);
    moves(people);
    tags_and_expressions(code, people, orders);
    relation(people, orders);
    dates();
    files(code, folder);
    lists_sorts_and_memory(code);
    deleting_destructors(code);
    hooks_and_pack(code, people);
    CHECK(people.close(), r4success);
    CHECK(people.isValid(), 1);
    code.initUndo();
    say("%d failure%s\n", failures, failures == 1 ? "" : "s");
    return failures ? 1 : 0;
}
