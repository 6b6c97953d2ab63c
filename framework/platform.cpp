#include "platform.h"
#include <cstdio>

int QueryPlatform(OSVERSIONINFOA* info)
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA is 148 bytes");
    if (!GetVersionExA(&version))
        return -1;
    if (version.szCSDVersion[0] == '\0')
        std::snprintf(version.szCSDVersion, sizeof version.szCSDVersion, "Windows %d.%d (32-bit)",
                      (int)version.dwMajorVersion, (int)version.dwMinorVersion);
    if (info)
        *info = version;
    return static_cast<int>(version.dwPlatformId);
}
