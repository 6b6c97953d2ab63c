// Data4: an open table.
#include "cbase32.hpp"

Data4::Data4(Code4& cb, char* name) : data(d4open(&cb, name)) {}
Data4::Data4(const Data4& other) = default;
Data4& Data4::operator=(const Data4& other) = default;

char* Data4::alias() { return (char*)d4alias(data); }
void Data4::alias(char* name) { d4alias_set(data, name); }
int Data4::append() { return d4append(data); }
int Data4::appendBlank() { return d4append_blank(data); }
int Data4::appendData() { return d4append_data(data); }
int Data4::appendStart(int useMemoEntries) { return d4append_start(data, useMemoEntries); }
void Data4::blank() { d4blank(data); }
int Data4::bof() { return d4bof(data); }
int Data4::bottom() { return d4bottom(data); }
int Data4::changed(int flag) { return d4changed(data, flag); }
int Data4::check() { return d4check(data); }
int Data4::close() { return d4close(data); }
DATA4* Data4::create(Code4& cb, char* name, FIELD4INFO* fields, TAG4INFO* tags)
{
    return data = d4create(&cb, name, fields, tags);
}
void Data4::deleteRec() { d4delete(data); }
int Data4::deleted() { return d4deleted(data); }
int Data4::eof() { return d4eof(data); }
int Data4::fieldNumber(char* name) { return d4field_number(data, name); }
char* Data4::fileName() { return data ? data->fileName : 0; }
int Data4::flush() { return d4flush(data); }
int Data4::flushData() { return d4flush_data(data); }
int Data4::freeBlocks() { return d4free_blocks(data); }
int Data4::go(long rec) { return d4go(data, rec); }
int Data4::goData(long rec) { return d4go_data(data, rec); }
int Data4::goEof() { return d4go_eof(data); }
INDEX4* Data4::index(char* name) { return d4index(data, name); }
int Data4::isValid() { return data != 0; }
int Data4::lock(long rec) { return d4lock(data, rec); }
int Data4::lockAll() { return d4lock_all(data); }
int Data4::lockAppend() { return d4lock_append(data); }
int Data4::lockFile() { return d4lock_file(data); }
int Data4::lockGroup(long* recs, int count) { return d4lock_group(data, recs, count); }
int Data4::lockIndex() { return d4lock_index(data); }
int Data4::lockTest(long rec) { return d4lock_test(data, rec); }
int Data4::lockTestAppend() { return d4lock_test_append(data); }
int Data4::lockTestFile() { return d4lock_test_file(data); }
int Data4::lockTestIndex() { return d4lock_test_index(data); }
int Data4::memoCompress() { return d4memo_compress(data); }
int Data4::numFields() { return d4num_fields(data); }
DATA4* Data4::open(Code4& cb, char* name) { return data = d4open(&cb, name); }
int Data4::optimize(int flag) { return d4optimize(data, flag); }
int Data4::optimizeWrite(int flag) { return d4optimize_write(data, flag); }
int Data4::pack() { return d4pack(data); }
int Data4::packData() { return d4pack_data(data); }
double Data4::position() { return d4position(data); }
int Data4::position(double pos) { return d4position_set(data, pos); }
int Data4::read(long rec, char* buffer) { return d4read(data, rec, buffer); }
int Data4::readOld(long rec) { return d4read_old(data, rec); }
void Data4::recall() { d4recall(data); }
long Data4::recCount() { return d4reccount(data); }
long Data4::recNo() { return d4recno(data); }
long Data4::recPosition(long rec) { return d4record_position(data, rec); }
unsigned Data4::recWidth() { return d4record_width(data); }
char* Data4::record() { return d4record(data); }
int Data4::refresh() { return d4refresh(data); }
int Data4::refreshRecord() { return d4refresh_record(data); }
int Data4::reindex() { return d4reindex(data); }
int Data4::seek(char* key) { return d4seek(data, key); }
int Data4::seek(char* key, int len) { return d4seek_n(data, key, len); }
int Data4::seek(double key) { return d4seek_double(data, key); }
void Data4::select(Tag4 tag) { d4tag_select(data, tag.tag); }
void Data4::select() { d4tag_select(data, 0); }
int Data4::skip(long n) { return d4skip(data, n); }
int Data4::top() { return d4top(data); }
int Data4::unlock() { return d4unlock(data); }
int Data4::validateMemo() { return d4validate_memo_ids(data); }
int Data4::write(long rec) { return d4write(data, rec == -1 ? d4recno(data) : rec); }
int Data4::writeData(long rec) { return d4write_data(data, rec == -1 ? d4recno(data) : rec); }
int Data4::writeKeys() { return d4write_keys(data); }
int Data4::zap(long first, long last) { return d4zap(data, first, last); }
int Data4::zapData(long first, long last) { return d4zap_data(data, first, last); }
