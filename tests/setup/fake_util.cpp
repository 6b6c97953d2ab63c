// A stand-in utility library that records its calls. Built in variants
// that lack some exports (FAKE_NO_DEINIT, FAKE_NO_ITEMS); FAKE_INIT and
// FAKE_GROUP in the environment set what InitQVUtil and ProgmanManageGroup
// return (default 1); FAKE_FAIL names the one item, by its description,
// whose creation fails.
#include "call_log.h"
#include <cstdlib>

[[maybe_unused]] static int ItemResult(const char* description)
{
    char failing[64];
    return !(GetEnvironmentVariableA("FAKE_FAIL", failing, sizeof failing) && description &&
             !strcmp(failing, description));
}

#define EXPORT extern "C" __declspec(dllexport)

EXPORT int __cdecl InitQVUtil(int programManager)
{
    LogCall("InitQVUtil %d", programManager);
    return Setting("FAKE_INIT", 1);
}

#ifndef FAKE_NO_DEINIT
EXPORT void __cdecl DeInitQVUtil(void)
{
    LogCall("DeInitQVUtil");
}
#endif

#ifndef FAKE_NO_ITEMS
EXPORT int __cdecl CreateShortcutInStartup(const char* link, const char* target,
                                           const char* description, const char* workDir,
                                           const char* arguments, int show, int icon)
{
    LogCall("CreateShortcutInStartup|%s|%s|%s|%s|%s|%d|%d", Show(link), Show(target),
            Show(description), Show(workDir), Show(arguments), show, icon);
    return ItemResult(description);
}

EXPORT int __cdecl ProgmanManageGroup(const char* group, const char* file, int flags)
{
    LogCall("ProgmanManageGroup|%s|%s|%d", Show(group), Show(file), flags);
    return Setting("FAKE_GROUP", 1);
}

EXPORT int __cdecl ProgmanAddItem(const char* description, const char* commandLine)
{
    LogCall("ProgmanAddItem|%s|%s", Show(description), Show(commandLine));
    return ItemResult(description);
}
#endif
