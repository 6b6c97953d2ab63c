/* What QVCMMN32's face (qvcmmn32_face.cpp, compiled in the suite's Windows
 * C++ ABI) calls in the code behind it (qvcmmn32.cpp, MinGW): plain C
 * functions, one per exported function, item numbers as plain ints. */
#ifndef SERVICES_CORE_H
#define SERVICES_CORE_H

struct HWND__;
typedef HWND__* HWND;
struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;

extern "C" {
int ServiceMakePath(char* out, const char* directory, const char* name);
char* ServiceJoinPath(int first, int second, char* out, int size);
void ServiceMakeDBFPath(int item, char* out);
unsigned int ServiceLoadLibrary(HINSTANCE* module, int item);
int ServiceOpenHelp(HWND owner, unsigned long context);
}

#endif
