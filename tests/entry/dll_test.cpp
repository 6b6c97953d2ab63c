// QVWIZ32.DLL as a suite program uses it: loaded by name, its exports
// called. This program carries no resources of its own, so the wizards
// can only appear if the library finds its own.
#include <windows.h>
#include <gtest/gtest.h>

#include "../../tools/wine/wizard_watch.h"

namespace {

template <class Fn>
Fn Export(HMODULE library, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// Closes the wizard with the given title from a second thread once it shows.
WatchThread CloseWhenShown(const char* title)
{
    return WatchThread([=] {
        HWND sheet = WaitForWizard(title, 10000);
        if (sheet)
            PostMessageA(sheet, WM_CLOSE, 0, 0);
        else
            ADD_FAILURE() << "\"" << title << "\" never appeared";
    });
}

TEST(QvWiz32Dll, ExportsRunTheWizardsWithTheLibrarysResources)
{
    HMODULE library = LoadLibraryA("QVWIZ32.DLL");
    ASSERT_NE(nullptr, library) << "error " << GetLastError();
    auto init = Export<int(__cdecl*)()>(library, "InitWizardDlg");
    auto deinit = Export<void(__cdecl*)()>(library, "DeInitWizardDlg");
    auto setup = Export<int(__cdecl*)(HWND)>(library, "DoSetupWizard");
    auto registration = Export<int(__cdecl*)(HWND, const char*)>(library, "DoRegisterWizard");
    ASSERT_TRUE(init && deinit && setup && registration);

    EXPECT_EQ(1, init());
    WatchThread closer = CloseWhenShown("Kestrix Setup Wizard");
    EXPECT_EQ(0, setup(nullptr));
    closer.join();
    // Finishing the six-page setup wizard is walked through the launcher in
    // tests/setup.
    WatchThread registrationCloser = CloseWhenShown("Kestrix Registration Wizard");
    EXPECT_EQ(0, registration(nullptr, "a text longer than the fifty-nine characters the record keeps"));
    registrationCloser.join();
    EXPECT_EQ(2, setup(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x5e70))));
    deinit();
    FreeLibrary(library);
}

}  // namespace
