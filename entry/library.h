// What the library learns when it is attached to a process.
#ifndef QVWIZ_LIBRARY_H
#define QVWIZ_LIBRARY_H

#include <windows.h>

// Records the module whose resources the wizards use and the platform.
// Called at process attach; tests call it with their own module.
void AttachLibrary(HINSTANCE instance);

HINSTANCE LibraryInstance();
// 1 on Windows 95, 0 on NT: chooses telephony lines and shell links.
BOOL LibraryIsWindows95();

#endif
