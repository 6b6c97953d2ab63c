#include "afxwin.h"

static AFX_MODULE_STATE g_appState = {nullptr, nullptr};

AFX_MODULE_STATE* AfxGetAppState()
{
    // Both handles start as the program's own module, as in an application
    // whose resources are its own.
    if (!g_appState.m_hCurrentInstanceHandle) {
        g_appState.m_hCurrentInstanceHandle = GetModuleHandleA(nullptr);
        g_appState.m_hCurrentResourceHandle = g_appState.m_hCurrentInstanceHandle;
    }
    return &g_appState;
}

AFX_MODULE_STATE* AfxGetModuleState()
{
    return AfxGetAppState();
}

HINSTANCE AfxGetResourceHandle()
{
    return AfxGetAppState()->m_hCurrentResourceHandle;
}

HINSTANCE AfxGetInstanceHandle()
{
    return AfxGetAppState()->m_hCurrentInstanceHandle;
}

HINSTANCE AfxFindResourceHandle(LPCSTR name, LPCSTR type)
{
    HINSTANCE current = AfxGetResourceHandle();
    if (FindResourceA(current, name, type))
        return current;
    HINSTANCE program = GetModuleHandleA(nullptr);
    if (program != current && FindResourceA(program, name, type))
        return program;
    return current;
}
