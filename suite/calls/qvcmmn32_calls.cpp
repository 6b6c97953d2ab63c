/* The calls into QVCMMN32's functions, compiled in the suite's ABI. */
#include "qvcmmn32.h"
#include "qvcmmn32_calls.h"

int CallMakePath(char* out, const char* directory, const char* name) {
    return MakePath(out, directory, name);
}

char* CallJoinPath(eSetupLongStrItems first, eSetupLongStrItems second, char* out, int size) {
    return JoinPath(first, second, out, size);
}

void CallMakeDBFPath(eSetupShortStrItems item, char* out) { MakeDBFPath(item, out); }

unsigned int CallQVLoadLibrary(HINSTANCE* module, eSetupShortStrItems item, int reserved) {
    return QVLoadLibrary(module, item, reserved);
}

int CallDAZadUrer(HWND owner, unsigned long context, unsigned int reserved) {
    return DAZadUrer(owner, context, reserved);
}
