// The little of the C runtime (MSVCRT.DLL) and of Windows the kit program
// uses, declared here: a suite program built from the kit alone has no
// other headers.
#ifndef KIT_RUNTIME_H
#define KIT_RUNTIME_H

typedef decltype(sizeof 0) size_t;

extern "C" {
int printf(const char* format, ...);
int vprintf(const char* format, __builtin_va_list args);
int sprintf(char* out, const char* format, ...);
int fflush(void* stream);
size_t strlen(const char* s);
int strcmp(const char* a, const char* b);
int memcmp(const void* a, const void* b, size_t n);
void* memset(void* p, int c, size_t n);
int remove(const char* path);
int _heapchk(void);
__declspec(dllimport) unsigned long __stdcall GetTempPathA(unsigned long size, char* path);
}

#define KIT_HEAPOK (-2)  // _heapchk: the heap is consistent

inline void* operator new(size_t, void* place) noexcept { return place; }

#endif
