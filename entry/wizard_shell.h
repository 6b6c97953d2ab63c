// The two wizards as the exports run them: resources switched to this
// library for the duration, the sheet run modally, the caller's resource
// handle put back in every case.
#ifndef QVWIZ_WIZARD_SHELL_H
#define QVWIZ_WIZARD_SHELL_H

#include <windows.h>

// 0 cancelled, 1 finished, 2 finished asking to register or no window.
int RunSetupWizard(HWND parent);
// 1 registered, 0 saved for later or closed, 2 no window.
int RunRegisterWizard(HWND parent, const char* text);

#endif
