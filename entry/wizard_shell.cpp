#include "wizard_shell.h"
#include "library.h"
#include <afx.h>
#include "setup_sheet.h"
#include "register_sheet.h"

// Dialogs, strings and bitmaps are looked up in this library while the
// sheet runs. The caller's resource handle is put back before the sheet
// is destroyed, also when its window could not be created.
template <class Sheet, class... Args>
static int RunSheet(Args... args)
{
    AFX_MODULE_STATE* state = AfxGetAppState();
    HINSTANCE callerResources = state->m_hCurrentResourceHandle;
    state->m_hCurrentResourceHandle = LibraryInstance();
    int result;
    {
        Sheet sheet(args...);
        result = sheet.DoModal();
        state->m_hCurrentResourceHandle = callerResources;
    }
    CWnd::DeleteTempMap();
    return result;
}

int RunSetupWizard(HWND parent)
{
    return RunSheet<SetupWizardSheet>(CWnd::FromHandle(parent));
}

int RunRegisterWizard(HWND parent, const char* text)
{
    return RunSheet<RegisterWizardSheet>(CWnd::FromHandle(parent), text);
}
