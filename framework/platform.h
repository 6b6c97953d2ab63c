// Which Windows the library runs on.
#ifndef QVWIZ_PLATFORM_H
#define QVWIZ_PLATFORM_H

#include <windows.h>

// GetVersionExA's platform identifier, or -1 when it fails. When the
// service-pack text is empty it is replaced by "Windows <major>.<minor>
// (32-bit)"; a non-null info receives the whole structure.
int QueryPlatform(OSVERSIONINFOA* info = nullptr);

// Windows 95 reports platform 1; 917 is counted with it as well.
inline BOOL IsWindows95Platform(int platform) { return platform == 1 || platform == 917; }

#endif
