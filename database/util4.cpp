// List4, Sort4, Mem4, Relate4 and Relate4set.
#include "cbase32.hpp"

// ---- List4 ----

List4::List4() { reset(); }
void List4::add(void* item) { l4add(this, item); }
void List4::addAfter(void* anchor, void* item) { l4add_after(this, anchor, item); }
void List4::addBefore(void* anchor, void* item) { l4add_before(this, anchor, item); }
void* List4::first() { return l4first(this); }
void* List4::last() { return lastNode; }
void* List4::next(void* item) { return l4next(this, item); }
int List4::numNodes() { return nLink; }
void* List4::pop() { return l4pop(this); }
void* List4::prev(void* item) { return l4prev(this, item); }
void List4::remove(void* item) { l4remove(this, item); }
void List4::reset()
{
    lastNode = 0;
    selected = 0;
    nLink = 0;
}

// ---- Sort4 ----

Sort4::Sort4() : result(0), resultOther(0), resultRec(0)
{
    __builtin_memset(static_cast<SORT4*>(this), 0, sizeof(SORT4));
    spill.hand = -1;
}
Sort4::Sort4(Code4& cb, int sortLen, int infoLen) : result(0), resultOther(0), resultRec(0)
{
    sort4init(this, &cb, sortLen, infoLen);
}
int Sort4::free() { return sort4free(this); }
int Sort4::get() { return sort4get(this, &resultRec, &result, &resultOther); }
int Sort4::getInit() { return sort4get_init(this); }
int Sort4::init(Code4& cb, int sortLen, int infoLen) { return sort4init(this, &cb, sortLen, infoLen); }
int Sort4::put(long rec, void* sortData, void* info) { return sort4put(this, rec, sortData, info); }

// ---- Mem4 ----

Mem4::Mem4(Code4& cb, int start, int unitSize, int expand, int isTemp)
    : mem(mem4create(&cb, start, (unsigned)unitSize, expand, isTemp))
{
}
Mem4::Mem4(const Mem4& other) = default;
Mem4& Mem4::operator=(const Mem4& other) = default;
void* Mem4::alloc() { return mem4alloc(mem); }
MEM4* Mem4::create(Code4& cb, int start, int unitSize, int expand, int isTemp)
{
    return mem = mem4create(&cb, start, (unsigned)unitSize, expand, isTemp);
}
int Mem4::free(void* unit) { return mem4free(mem, unit); }
int Mem4::isValid() { return mem != 0; }
void Mem4::release() { mem4release(mem); }

// ---- Relate4 ----

Relate4::Relate4(Relate4 master, Data4 slave, char* masterExpr, Tag4 tag)
    : relate(relate4create_slave(master.relate, slave.data, masterExpr, tag.tag))
{
}
Relate4::Relate4(const Relate4& other) = default;
Relate4& Relate4::operator=(const Relate4& other) = default;

Data4 Relate4::data() { return Data4(relate ? relate->data : 0); }
Tag4 Relate4::dataTag() { return Tag4(relate ? relate->dataTag : 0); }
int Relate4::doOne() { return relate4do_one(relate); }
int Relate4::errorAction(int action) { return relate4error_action(relate, action); }
void Relate4::init(Relate4 master, Data4 slave, char* masterExpr, Tag4 tag)
{
    relate = relate4create_slave(master.relate, slave.data, masterExpr, tag.tag);
}
int Relate4::isValid() { return relate != 0; }
Relate4 Relate4::master() { return Relate4(relate ? relate->master : 0); }
Expr4 Relate4::masterExpr() { return Expr4(relate ? relate->masterExpr : 0); }
int Relate4::matchLen(int len) { return relate4match_len(relate, len); }
int Relate4::type(int relationType) { return relate4type(relate, relationType); }

// ---- Relate4set ----

Relate4set::Relate4set(Data4 master) { relate = relate4init(master.data); }
int Relate4set::bottom() { return relate4bottom(relate); }
int Relate4set::changed() { return relate4changed(relate); }
int Relate4set::doAll() { return relate4do(relate); }
int Relate4set::free(int closeFiles) { return relate4free(relate, closeFiles); }
void Relate4set::init(Data4 master) { relate = relate4init(master.data); }
int Relate4set::lock() { return relate4lock(relate); }
int Relate4set::querySet(char* query) { return relate4query_set(relate, query); }
int Relate4set::skip(long n) { return relate4skip(relate, n); }
int Relate4set::skipEnable(int enable) { return relate4skip_enable(relate, enable); }
int Relate4set::sortSet(char* tagName) { return relate4sort_set(relate, tagName); }
int Relate4set::top() { return relate4top(relate); }
int Relate4set::unlock() { return relate4unlock(relate); }
