/* QVCMMN32's functions as the suite's programs call them, in Microsoft's
 * C++ ABI; the work is done behind, in qvcmmn32.cpp. */
#define QVCMMN32_BUILD
#include "qvcmmn32.h"
#include "services_core.h"

int MakePath(char* out, const char* directory, const char* name) {
    return ServiceMakePath(out, directory, name);
}

char* JoinPath(eSetupLongStrItems first, eSetupLongStrItems second, char* out, int size) {
    return ServiceJoinPath(first, second, out, size);
}

void MakeDBFPath(eSetupShortStrItems item, char* out) { ServiceMakeDBFPath(item, out); }

unsigned int QVLoadLibrary(HINSTANCE* module, eSetupShortStrItems item, int) {
    return ServiceLoadLibrary(module, item);
}

int DAZadUrer(HWND owner, unsigned long context, unsigned int) {
    return ServiceOpenHelp(owner, context);
}
