// The wizards as the exports run them: resource handle switched and put
// back, owner handling, parents that are not windows.
#include "scripted_sheet.h"
#include "wizard_shell.h"
#include <gtest/gtest.h>

#include "../../tools/wine/wizard_watch.h"

namespace {

// Finds a wizard from a second thread, notes what it sees, then closes it
// with a posted message, as a user's click would arrive.
class Driver {
public:
    Driver(const char* title, HWND watched) : m_thread([this, title, watched] { Run(title, watched); }) {}
    ~Driver() { Join(); }
    void Join() { m_thread.join(); }

    bool found = false;
    RECT rect = {};
    HINSTANCE resourcesWhileRunning = nullptr;
    bool watchedEnabled = true;
    bool foreground = false;

private:
    void Run(const char* title, HWND watched)
    {
        // The sheet is shown once it has placed itself and added its pages.
        HWND sheet = WaitForWizard(title, 10000);
        if (!sheet)
            return;
        // The loop disables the owner just after showing the sheet.
        Sleep(200);
        GetWindowRect(sheet, &rect);
        resourcesWhileRunning = AfxGetAppState()->m_hCurrentResourceHandle;
        watchedEnabled = IsWindowEnabled(watched) != FALSE;
        found = true;
        foreground = GetForegroundWindow() == sheet;
        PostMessageA(sheet, WM_CLOSE, 0, 0);
    }
    WatchThread m_thread;
};

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseTestModuleAsLibrary();
        // The caller's resources: any module other than the library.
        callerResources = GetModuleHandleA("kernel32.dll");
        saved = AfxGetAppState()->m_hCurrentResourceHandle;
        AfxGetAppState()->m_hCurrentResourceHandle = callerResources;
    }
    void TearDown() override { AfxGetAppState()->m_hCurrentResourceHandle = saved; }
    HINSTANCE CurrentResources() const { return AfxGetAppState()->m_hCurrentResourceHandle; }

    HINSTANCE callerResources = nullptr;
    HINSTANCE saved = nullptr;
};

// Closed, each wizard gives 0. While it runs the library's resources are
// current and only its owner is disabled; both are put back after. Finishing
// the setup wizard is walked end to end in tests/setup.
TEST_F(ShellTest, WizardsUseTheLibrarysResourcesAndDisableOnlyTheirOwner)
{
    HWND window = CreateWindowA("STATIC", "window", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600,
                                nullptr, nullptr, nullptr, nullptr);
    const struct { bool setup; HWND owner; } runs[] = {{true, nullptr}, {true, window},
                                                       {false, nullptr}};
    for (const auto& run : runs) {
        Driver driver(run.setup ? "Kestrix Setup Wizard" : "Kestrix Registration Wizard", window);
        const int result = run.setup ? RunSetupWizard(run.owner) : RunRegisterWizard(run.owner, nullptr);
        driver.Join();
        const int row = static_cast<int>(&run - runs);
        ASSERT_TRUE(driver.found) << "run " << row << ": the wizard never appeared";
        EXPECT_EQ(0, result) << row;
        EXPECT_EQ(LibraryInstance(), driver.resourcesWhileRunning) << row;
        EXPECT_EQ(callerResources, CurrentResources()) << row;
        EXPECT_EQ(run.owner == nullptr, driver.watchedEnabled) << row;
        EXPECT_TRUE(IsWindowEnabled(window)) << row;
        EXPECT_TRUE(driver.foreground) << row << ": the wizard is not the foreground window";
        // The owner is tall enough: the sheet is centred on the screen either way.
        const int width = driver.rect.right - driver.rect.left;
        const int height = driver.rect.bottom - driver.rect.top;
        EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2, driver.rect.left) << row;
        EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2, driver.rect.top) << row;
    }
    DestroyWindow(window);
}

TEST_F(ShellTest, ParentThatIsNotAWindowGivesTwoAndRestoresResources)
{
    HWND bogus = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x5e70u));
    EXPECT_EQ(2, RunSetupWizard(bogus));
    EXPECT_EQ(callerResources, CurrentResources());
    EXPECT_EQ(2, RunRegisterWizard(bogus, "text"));
    EXPECT_EQ(callerResources, CurrentResources());
}

}  // namespace
