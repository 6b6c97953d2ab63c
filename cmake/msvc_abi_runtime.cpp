// What code compiled in the Windows C++ ABI asks of its runtime, in a module
// whose runtime is MinGW's: the operators new and delete under their
// Windows names, the handler of a pure virtual call and the mark that
// floating point is used. Memory comes from the module's C runtime, so an
// object is freed by the module that allocated it whichever ABI it was
// allocated in.
typedef decltype(sizeof 0) size_t;

extern "C" {
void* malloc(size_t size);
void free(void* p);
void abort(void);

// Referenced by every object that uses floating point.
int _fltused = 0x9875;

// In the table of virtuals of an abstract class.
int __cdecl _purecall(void)
{
    abort();
    return 0;
}
}

void* operator new(size_t size)
{
    void* p = malloc(size ? size : 1);
    if (!p)
        abort();  // the suite reports failures by value and catches nothing
    return p;
}
void* operator new[](size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { free(p); }
void operator delete[](void* p) noexcept { free(p); }
void operator delete(void* p, size_t) noexcept { free(p); }
void operator delete[](void* p, size_t) noexcept { free(p); }
