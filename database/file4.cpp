// File4 and the sequential reader and writer over it.
#include "cbase32.hpp"

File4::File4()
{
    __builtin_memset(static_cast<FILE4*>(this), 0, sizeof(FILE4));
    hand = -1;
}
File4::File4(Code4& cb, char* name, int doAlloc) : File4() { file4open(this, &cb, name, doAlloc); }

int File4::close() { return file4close(this); }
int File4::create(Code4& cb, char* name, int doAlloc) { return file4create(this, &cb, name, doAlloc); }
int File4::createTemp(Code4& cb, char* name, int autoRemove) { return file4temp(this, &cb, name, autoRemove); }
char* File4::fileName() { return name; }
int File4::flush() { return file4flush(this); }
int File4::isValid() { return hand >= 0; }
long File4::len() { return file4len(this); }
int File4::lock(long pos, long bytes) { return file4lock(this, pos, bytes); }
int File4::open(Code4& cb, char* name, int doAlloc) { return file4open(this, &cb, name, doAlloc); }
int File4::optimize(int optFlag, int fileType) { return file4optimize(this, optFlag, fileType); }
int File4::optimizeWrite(int optFlag) { return file4optimize_write(this, optFlag); }
unsigned File4::read(long pos, void* buf, unsigned len) { return file4read(this, pos, buf, len); }
unsigned File4::read(long pos, Str4& s) { return file4read(this, pos, s.ptr(), s.len()); }
int File4::readAll(long pos, void* buf, unsigned len) { return file4read_all(this, pos, buf, len); }
int File4::readAll(long pos, Str4& s) { return file4read_all(this, pos, s.ptr(), s.len()); }
int File4::refresh() { return file4refresh(this); }
int File4::replace(File4& other) { return file4replace(this, &other); }
int File4::setLen(long len) { return file4len_set(this, len); }
int File4::unlock(long pos, long bytes) { return file4unlock(this, pos, bytes); }
int File4::write(long pos, void* buf, unsigned len) { return file4write(this, pos, buf, len); }
int File4::write(long pos, char* text) { return file4write(this, pos, text, (unsigned)__builtin_strlen(text)); }
int File4::write(long pos, Str4& s) { return file4write(this, pos, s.ptr(), s.len()); }

File4seqRead::File4seqRead() { __builtin_memset(static_cast<FILE4SEQ_READ*>(this), 0, sizeof(FILE4SEQ_READ)); }
File4seqRead::File4seqRead(File4& f, long start, void* buffer, unsigned size)
{
    file4seq_read_init(this, &f, start, buffer, size);
}
int File4seqRead::init(File4& f, long start, void* buffer, unsigned size)
{
    return file4seq_read_init(this, &f, start, buffer, size);
}
unsigned File4seqRead::read(void* buf, unsigned len) { return file4seq_read(this, buf, len); }
unsigned File4seqRead::read(Str4& s) { return file4seq_read(this, s.ptr(), s.len()); }
int File4seqRead::readAll(void* buf, unsigned len) { return file4seq_read_all(this, buf, len); }
int File4seqRead::readAll(Str4& s) { return file4seq_read_all(this, s.ptr(), s.len()); }

File4seqWrite::File4seqWrite() { __builtin_memset(static_cast<FILE4SEQ_WRITE*>(this), 0, sizeof(FILE4SEQ_WRITE)); }
File4seqWrite::File4seqWrite(File4& f, long start, void* buffer, unsigned size)
{
    file4seq_write_init(this, &f, start, buffer, size);
}
int File4seqWrite::init(File4& f, long start, void* buffer, unsigned size)
{
    return file4seq_write_init(this, &f, start, buffer, size);
}
int File4seqWrite::flush() { return file4seq_write_flush(this); }
int File4seqWrite::repeat(long count, char c) { return file4seq_write_repeat(this, count, c); }
int File4seqWrite::write(void* data, unsigned len) { return file4seq_write(this, data, len); }
int File4seqWrite::write(char* text) { return file4seq_write(this, text, (unsigned)__builtin_strlen(text)); }
int File4seqWrite::write(Str4& s) { return file4seq_write(this, s.ptr(), s.len()); }
File4seqWrite& File4seqWrite::operator<<(char* text)
{
    write(text);
    return *this;
}
File4seqWrite& File4seqWrite::operator<<(Str4& s)
{
    write(s);
    return *this;
}
