// QVWIZ32.DLL's entry point and its four exports (named in qvwiz32.def).
#include <windows.h>
#include "library.h"
#include "qvwiz32.h"
#include "wizard_shell.h"

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        AttachLibrary(instance);
    return TRUE;
}

int __cdecl InitWizardDlg(void)
{
    return 1;
}

void __cdecl DeInitWizardDlg(void)
{
}

int __cdecl DoSetupWizard(HWND parent)
{
    return RunSetupWizard(parent);
}

int __cdecl DoRegisterWizard(HWND parent, const char* text)
{
    return RunRegisterWizard(parent, text);
}

}
