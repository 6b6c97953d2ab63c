/* QVWIZ32.DLL's four exports, as a suite program declares them. Link with
   QVWIZ32.lib (libQVWIZ32.dll.a with MinGW), or find them with
   GetProcAddress by these names. */
#ifndef QVWIZ32_H
#define QVWIZ32_H

/* The window handle as windows.h declares it (STRICT), so the header needs
   nothing else and either may come first. */
#ifndef _WINDEF_
struct HWND__;
typedef struct HWND__* HWND;
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Call once before the wizards; returns 1. */
int __cdecl InitWizardDlg(void);
/* Call once after them. */
void __cdecl DeInitWizardDlg(void);
/* The first-run setup wizard, modal to parent: 0 cancelled, 1 finished,
   2 finished asking to register (or no window could be made). */
int __cdecl DoSetupWizard(HWND parent);
/* The registration wizard, modal to parent: 1 registered, 0 saved for
   later or closed, 2 no window. */
int __cdecl DoRegisterWizard(HWND parent, const char* text);

#ifdef __cplusplus
}
#endif

#endif
