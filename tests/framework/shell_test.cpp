// The wizards as the exports run them: resource handle switched and put
// back, owner handling, parents that are not windows.
#include "scripted_sheet.h"
#include "wizard_shell.h"
#include <gtest/gtest.h>

#include "../common/wizard_watch.h"

namespace {

// Finds a wizard from a second thread, notes what it sees, then ends it
// with a posted message, as a user's click would arrive.
class Driver {
public:
    enum Action { Close, PressDone };
    Driver(const char* title, Action action, HWND watched = nullptr)
        : m_thread([=] { Run(title, action, watched); }) {}
    ~Driver() { Join(); }
    void Join() { m_thread.join(); }

    bool found = false;
    RECT rect = {};
    HINSTANCE resourcesWhileRunning = nullptr;
    bool watchedEnabled = true;
    bool foreground = false;

private:
    void Run(const char* title, Action action, HWND watched)
    {
        // The sheet is shown once it has placed itself and added its pages.
        HWND sheet = WaitForWizard(title, 10000);
        if (!sheet)
            return;
        // The loop disables the owner just after showing the sheet.
        Sleep(200);
        GetWindowRect(sheet, &rect);
        resourcesWhileRunning = AfxGetAppState()->m_hCurrentResourceHandle;
        if (watched)
            watchedEnabled = IsWindowEnabled(watched) != FALSE;
        found = true;
        foreground = GetForegroundWindow() == sheet;
        if (action == PressDone)
            PostMessageA(FindWindowExA(sheet, nullptr, "#32770", nullptr), WM_COMMAND,
                         IDC_WIZARD_NEXT, 0);
        else
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

TEST_F(ShellTest, SetupWithoutParentIsCentredDisablesNothingAndRestoresResources)
{
    HWND bystander = CreateWindowA("STATIC", "bystander", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200,
                                   nullptr, nullptr, nullptr, nullptr);
    Driver driver("Kestrix Setup Wizard", Driver::Close, bystander);
    int result = RunSetupWizard(nullptr);
    driver.Join();
    ASSERT_TRUE(driver.found) << "the setup wizard never appeared";
    EXPECT_EQ(0, result);
    EXPECT_EQ(LibraryInstance(), driver.resourcesWhileRunning);
    EXPECT_EQ(callerResources, CurrentResources());
    EXPECT_TRUE(driver.watchedEnabled) << "a window not the owner was disabled";
    EXPECT_TRUE(driver.foreground) << "the wizard is not the foreground window";
    const int width = driver.rect.right - driver.rect.left;
    const int height = driver.rect.bottom - driver.rect.top;
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2, driver.rect.left);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2, driver.rect.top);
    DestroyWindow(bystander);
}

// The setup wizard's Done sits behind five pages that validate their
// fields; finishing it is walked end to end in tests/setup.
TEST_F(ShellTest, SetupWithOwnerDisablesItWhileRunning)
{
    HWND owner = CreateWindowA("STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600,
                               nullptr, nullptr, nullptr, nullptr);
    Driver driver("Kestrix Setup Wizard", Driver::Close, owner);
    int result = RunSetupWizard(owner);
    driver.Join();
    ASSERT_TRUE(driver.found);
    EXPECT_EQ(0, result);
    EXPECT_FALSE(driver.watchedEnabled) << "owner enabled while the wizard ran";
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(callerResources, CurrentResources());
    DestroyWindow(owner);
}

TEST_F(ShellTest, ParentThatIsNotAWindowGivesTwoAndRestoresResources)
{
    HWND bogus = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x5e70u));
    EXPECT_EQ(2, RunSetupWizard(bogus));
    EXPECT_EQ(callerResources, CurrentResources());
    EXPECT_EQ(2, RunRegisterWizard(bogus, "text"));
    EXPECT_EQ(callerResources, CurrentResources());
}

TEST_F(ShellTest, RegistrationClosedGivesZero)
{
    Driver driver("Registration Wizard", Driver::Close);
    int result = RunRegisterWizard(nullptr, nullptr);
    driver.Join();
    ASSERT_TRUE(driver.found);
    EXPECT_EQ(0, result);
    EXPECT_EQ(callerResources, CurrentResources());
}

}  // namespace
