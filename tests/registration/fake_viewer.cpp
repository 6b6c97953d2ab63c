// A stand-in for the product file's viewers: copied into the suite folder as
// WRITE.EXE or WORDPAD.EXE, or named by a file association, it records how
// it was started ("viewer WRITE <arguments>") in CALLS.LOG beside itself.
#include <windows.h>
#include <cstdio>
#include <cstring>

int main()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    char* name = strrchr(path, '\\') ? strrchr(path, '\\') + 1 : path;
    char program[MAX_PATH];
    lstrcpynA(program, name, sizeof program);
    if (char* dot = strrchr(program, '.'))
        *dot = '\0';
    CharUpperA(program);
    const char* arguments = GetCommandLineA();
    bool quoted = *arguments == '"';
    for (arguments += quoted; *arguments && (quoted ? *arguments != '"' : *arguments != ' '); arguments++) {
    }
    arguments += *arguments == '"';
    while (*arguments == ' ')
        arguments++;
    strcpy(name, "CALLS.LOG");
    if (FILE* f = fopen(path, "a")) {
        fprintf(f, "viewer %s %s\n", program, arguments);
        fclose(f);
    }
    return 0;
}
