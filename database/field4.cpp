// Field4 and Field4memo: a field of a table's current record as a string;
// the field and tag lists and their deletion.
#include "cbase32.hpp"

typedef decltype(sizeof 0) size_t;

// ---- Field4 ----

Field4::Field4(Data4 d, char* name) : field(d4field(d.data, name)) {}
Field4::Field4(Data4 d, int j) : field(d4field_j(d.data, j)) {}
Field4::Field4(const Field4& other) = default;
Field4& Field4::operator=(const Field4& other) = default;

int Field4::decimals() { return f4decimals(field); }
unsigned Field4::len() { return f4len(field); }
char* Field4::ptr() { return f4ptr(field); }
// The bytes were changed in place: the record must be written.
void Field4::changed()
{
    if (field)
        field->data->recordChanged = 1;
}
int Field4::assignField(Field4& from) { return f4assign_field(field, from.field); }
Data4 Field4::data() { return Data4(field ? field->data : 0); }
void Field4::init(Data4 d, char* name) { field = d4field(d.data, name); }
void Field4::init(Data4 d, int j) { field = d4field_j(d.data, j); }
int Field4::isValid() { return field != 0; }
const char* Field4::name() { return f4name(field); }
int Field4::number() { return field ? d4field_number(field->data, f4name(field)) : e4parm; }
int Field4::type() { return f4type(field); }

// ---- Field4memo ----

Field4memo::Field4memo() : field(0) {}
Field4memo::Field4memo(Data4& d, char* name) : field(d4field(d.data, name)) {}
Field4memo::Field4memo(const Field4memo& other) = default;
Field4memo& Field4memo::operator=(const Field4memo& other) = default;

int Field4memo::decimals() { return f4decimals(field); }
unsigned Field4memo::len() { return f4memo_len(field); }
char* Field4memo::ptr() { return f4memo_ptr(field); }
char* Field4memo::str() { return f4memo_str(field); }
int Field4memo::setLen(unsigned newLen) { return f4memo_set_len(field, newLen); }
void Field4memo::free() { f4memo_free(field); }

// ---- the field and tag lists ----

FIELD4INFO* Field4info::fields() { return list; }
int Field4info::numFields() { return size; }

TAG4INFO* Tag4info::tags() { return list; }
int Tag4info::numTags() { return size; }

// The vector deleting destructor of a class with a virtual destructor, which
// this compiler never writes (it compiles delete[] inline) but programs
// built with the suite's compiler call for delete[]. Exported under that
// name, derived at build time from the scalar deleting destructor's
// (exports.cmake). flags 2: an array whose element count is in the word
// before it, destroyed last to first; flags 1: the memory is freed (from
// the count for an array). Returns where the memory starts.
template <class List>
void* __thiscall vector_deleting_destructor(List* self, unsigned flags)
{
    if (!(flags & 2)) {
        self->List::~List();
        if (flags & 1)
            operator delete(self);
        return self;
    }
    size_t* count = reinterpret_cast<size_t*>(self) - 1;
    for (size_t i = *count; i-- > 0;)
        self[i].List::~List();
    if (flags & 1)
        operator delete[](count);
    return count;
}
template void* __thiscall vector_deleting_destructor(Field4info*, unsigned);
template void* __thiscall vector_deleting_destructor(Tag4info*, unsigned);
