/* The suite's utility library, QVUTIL32.DLL (its file name is short profile
 * item 35): start-up items as shell links in the user's Startup folder or as
 * Program Manager items. It is loaded at run time and each function looked
 * up by name; all use the C convention and undecorated names. */
#ifndef QVUTIL_H
#define QVUTIL_H

#include <windows.h>

extern "C" {
/* programManagerShell: 1 to talk to Program Manager over DDE, 0 for shell
 * links only. Non-zero when ready; DeInitQVUtil undoes it. */
typedef int (__cdecl *InitQVUtilFn)(int programManagerShell);
typedef void (__cdecl *DeInitQVUtilFn)(void);
/* Writes linkName (".lnk" added if missing) into the user's Startup folder.
 * workDir null/empty: the target's folder; arguments null: none;
 * showCommand 0: SW_SHOWNORMAL; iconIndex: icon inside the target.
 * Non-zero when the link was made. */
typedef int (__cdecl *CreateShortcutInStartupFn)(const char* linkName, const char* target,
                                                 const char* description, const char* workDir,
                                                 const char* arguments, int showCommand,
                                                 int iconIndex);
/* Creates the group if need be, makes it current and shows it (showCommand
 * 0: normal). groupFile is Program Manager's group file; empty or the
 * group's own name lets Program Manager choose. Non-zero when the group
 * exists and is current. */
typedef int (__cdecl *ProgmanManageGroupFn)(const char* group, const char* groupFile,
                                            int showCommand);
/* Adds an item to the current group. The command line may be
 * "\"C:\\DIR\\PROG.EXE\" /A", "\"C:\\DIR\\PROG.EXE /A\"" or unquoted; the
 * arguments are kept. Non-zero when the item was added with them. */
typedef int (__cdecl *ProgmanAddItemFn)(const char* description, const char* commandLine);
}

#endif
