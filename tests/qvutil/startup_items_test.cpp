// QVUTIL32.DLL refusing what it cannot do, under both shells;
// startup_items_check.py then finds nothing left in the Startup folder. The
// items it does make are checked where the setup wizard makes them
// (tests/setup, real_start_up_items).
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "qvutil.h"

namespace {

struct UtilLibrary {
    HMODULE module = LoadLibraryA("QVUTIL32.DLL");
    InitQVUtilFn init = Find<InitQVUtilFn>("InitQVUtil");
    DeInitQVUtilFn deinit = Find<DeInitQVUtilFn>("DeInitQVUtil");
    CreateShortcutInStartupFn shortcut = Find<CreateShortcutInStartupFn>("CreateShortcutInStartup");
    ProgmanManageGroupFn group = Find<ProgmanManageGroupFn>("ProgmanManageGroup");
    ProgmanAddItemFn addItem = Find<ProgmanAddItemFn>("ProgmanAddItem");

    template <class F>
    F Find(const char* name) {
        return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
    }
    bool Complete() const { return init && deinit && shortcut && group && addItem; }
    ~UtilLibrary() {
        if (module)
            FreeLibrary(module);
    }
};

// Program Manager under Wine opens a folder window for the group it creates
// or shows; a test closes what it opened.
struct GroupWindows {
    const char* title;
    bool close;
    int count;
};

BOOL CALLBACK VisitGroupWindow(HWND window, LPARAM context) {
    auto* visit = reinterpret_cast<GroupWindows*>(context);
    char title[MAX_PATH] = "";
    GetWindowTextA(window, title, sizeof title);
    if (IsWindowVisible(window) && lstrcmpiA(title, visit->title) == 0) {
        ++visit->count;
        if (visit->close)
            PostMessageA(window, WM_CLOSE, 0, 0);
    }
    return TRUE;
}

int GroupWindowCount(const char* group, bool close) {
    GroupWindows visit{group, close, 0};
    EnumWindows(VisitGroupWindow, reinterpret_cast<LPARAM>(&visit));
    return visit.count;
}

template <class Condition>
bool WaitFor(Condition done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(100);
    }
    return true;
}

bool ProgramManagerShell() {
    OSVERSIONINFOA v = {};
    v.dwOSVersionInfoSize = sizeof v;
    GetVersionExA(&v);
    return v.dwPlatformId != VER_PLATFORM_WIN32_WINDOWS;
}

}  // namespace

TEST(UtilLibrary, RefusesWorkBeforeInitialisation) {
    UtilLibrary lib;
    ASSERT_TRUE(lib.Complete());
    EXPECT_EQ(0, lib.shortcut("X.lnk", "C:\\KESTRIX\\QVMENU.EXE", "X", nullptr, nullptr, 0, 0));
    EXPECT_EQ(0, lib.group("startup", "startup", 0));
    EXPECT_EQ(0, lib.addItem("X", "C:\\KESTRIX\\QVMENU.EXE"));
    lib.deinit();   // harmless without InitQVUtil
}

TEST(StartupFolder, RefusesALinkWithoutTarget) {
    if (ProgramManagerShell())
        GTEST_SKIP() << "the Windows 95 shell's case";
    UtilLibrary lib;
    ASSERT_TRUE(lib.Complete());
    ASSERT_EQ(1, lib.init(0));
    EXPECT_EQ(0, lib.shortcut("Nothing.lnk", "", "Nothing", nullptr, nullptr, 0, 0));
    lib.deinit();
}

TEST(ProgramManager, RefusesAProgramThatIsNotThere) {
    if (!ProgramManagerShell())
        GTEST_SKIP() << "the Program Manager shell's case";
    UtilLibrary lib;
    ASSERT_TRUE(lib.Complete());
    ASSERT_EQ(1, lib.init(1));
    ASSERT_EQ(1, lib.group("startup", "startup", 0));
    // With or without arguments.
    EXPECT_EQ(0, lib.addItem("Missing", "\"C:\\KESTRIX\\MISSING.EXE\""));
    EXPECT_EQ(0, lib.addItem("Missing Too", "\"C:\\KESTRIX\\MISSING.EXE /KX\""));
    lib.deinit();

    // The folder windows come from Explorer processes started for each
    // command: wait for them, then close them until none has come for a while.
    EXPECT_TRUE(WaitFor([] { return GroupWindowCount("startup", false) > 0; }, 15000))
        << "CreateGroup and ShowGroup show the group";
    DWORD quietSince = GetTickCount();
    WaitFor([&quietSince] {
        if (GroupWindowCount("startup", true))
            quietSince = GetTickCount();
        return GetTickCount() - quietSince > 2000;
    }, 15000);
    EXPECT_EQ(0, GroupWindowCount("startup", false));
}
