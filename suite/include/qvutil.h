/* The suite's utility library (its file name is short profile item 35):
 * start-up items as shell links or Program Manager items. It is loaded at
 * run time and each function looked up by name; all use the C convention. */
#ifndef QVUTIL_H
#define QVUTIL_H

#include <windows.h>

extern "C" {
typedef int (__cdecl *InitQVUtilFn)(int programManagerShell);
typedef void (__cdecl *DeInitQVUtilFn)(void);
/* Non-zero when the link was made in the user's Startup folder. */
typedef int (__cdecl *CreateShortcutInStartupFn)(const char* linkName, const char* target,
                                                 const char* description, const char* workDir,
                                                 const char* arguments, int showCommand,
                                                 int iconIndex);
/* Non-zero when the group exists (made if need be) and is current. */
typedef int (__cdecl *ProgmanManageGroupFn)(const char* group, const char* groupFile, int flags);
/* Non-zero when the item was added to the current group. */
typedef int (__cdecl *ProgmanAddItemFn)(const char* description, const char* commandLine);
}

#endif
