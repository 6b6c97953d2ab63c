// The start-up and the few runtime pieces code in the Windows C++ ABI asks
// for (operator new and delete, the pure-call handler, the floating-point
// mark), over MSVCRT.DLL: what Microsoft's runtime library would give a
// suite program, and the same heap the suite's DLLs allocate from.
#include "kit_runtime.h"

extern "C" {
void* malloc(size_t size);
void free(void* p);
void abort(void);
void exit(int code);
int main();

int _fltused = 0x9875;

int __cdecl _purecall(void)
{
    printf("pure virtual function called\n");
    abort();
    return 0;
}

void mainCRTStartup(void) { exit(main()); }
}

void* operator new(size_t size)
{
    void* p = malloc(size ? size : 1);
    if (!p)
        abort();
    return p;
}
void* operator new[](size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { free(p); }
void operator delete[](void* p) noexcept { free(p); }
void operator delete(void* p, size_t) noexcept { free(p); }
void operator delete[](void* p, size_t) noexcept { free(p); }
