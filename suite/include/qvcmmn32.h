/* QVCMMN32.DLL: paths, library loading and help for the suite's programs.
 * C++ functions with the caller-cleans-up convention, their names decorated
 * as Microsoft's compiler decorates them; only such a compiler sees them.
 * GCC's code calls them through qvcmmn32_calls.h. */
#ifndef QVCMMN32_H
#define QVCMMN32_H

#include "qvstp32.h"

/* The handles as windows.h declares them (STRICT), so that both headers can
 * be included together. */
struct HWND__;
typedef HWND__* HWND;
struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;

#ifdef _MSC_VER

#ifdef QVCMMN32_BUILD
#define QVCMMN32_API __declspec(dllexport)
#else
#define QVCMMN32_API __declspec(dllimport)
#endif

/* out (260 bytes) receives name inside directory. 1 on success. */
QVCMMN32_API int __cdecl MakePath(char* out, const char* directory, const char* name);

/* out receives the paths held by two long profile items joined; returns out. */
QVCMMN32_API char* __cdecl JoinPath(eSetupLongStrItems first, eSetupLongStrItems second,
                                    char* out, int size);

/* out (260 bytes) receives the full path of the database file whose name
 * the short item holds, inside the suite directory. */
QVCMMN32_API void __cdecl MakeDBFPath(eSetupShortStrItems item, char* out);

/* Loads the library whose file name the short item holds (a relative name is
 * looked up in the suite directory). 0 and *module set on success, else a
 * non-zero error code. The caller frees the module with FreeLibrary. */
QVCMMN32_API unsigned int __cdecl QVLoadLibrary(HINSTANCE* module, eSetupShortStrItems item,
                                                int reserved);

/* Opens the suite's help at a context number. Non-zero on success. */
QVCMMN32_API int __cdecl DAZadUrer(HWND owner, unsigned long context, unsigned int reserved);

#endif  /* _MSC_VER */

#endif
