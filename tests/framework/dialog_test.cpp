// The dialog base: where dialogs appear, which font they get, and how the
// Help button and F1 reach the suite's help.
#include "scripted_sheet.h"
#include "platform.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {

class PlacedDialog : public WizardDialog {
public:
    PlacedDialog(UINT templateId, HWND owner, int placement)
        : WizardDialog(templateId, CWnd::FromHandle(owner), 0, placement)
    {
        Create(templateId);
    }
};

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseTestModuleAsLibrary();
        screen = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        const int caption = GetSystemMetrics(SM_CYCAPTION);
        offset = caption / 2 + GetSystemMetrics(SM_CYFRAME) + caption;
    }
    void TearDown() override
    {
        for (HWND owner : owners)
            DestroyWindow(owner);
        CWnd::DeleteTempMap();
    }
    HWND Owner(int x, int y, int width, int height)
    {
        owners.push_back(CreateWindowA("STATIC", "owner", WS_POPUP | WS_VISIBLE, x, y, width,
                                       height, nullptr, nullptr, nullptr, nullptr));
        return owners.back();
    }
    // The dialog's top-left corner and size after it placed itself.
    struct Placed { int x, y, width, height, mode; };
    Placed Place(UINT templateId, HWND owner, int placement)
    {
        PlacedDialog dialog(templateId, owner, placement);
        RECT r;
        dialog.GetWindowRect(&r);
        return {r.left, r.top, r.right - r.left, r.bottom - r.top, dialog.GetPlacement()};
    }

    SIZE screen;
    int offset;
    std::vector<HWND> owners;
};

TEST_F(DialogTest, PlacementFollowsOwnerAndScreen)
{
    // No owner: centred on the screen, whatever was asked.
    Placed p = Place(IDD_TEST_SMALL, nullptr, PlaceOverOwner);
    EXPECT_EQ(PlaceOnScreen, p.mode);
    EXPECT_EQ(screen.cx / 2 - p.width / 2, p.x);
    EXPECT_EQ(screen.cy / 2 - p.height / 2, p.y);

    // An owner too short for the dialog below its caption: its corner plus the offset.
    HWND shortOwner = Owner(100, 120, 500, p.height + offset - 1);
    p = Place(IDD_TEST_SMALL, shortOwner, PlaceOnScreen);
    EXPECT_EQ(PlaceAtOwnerCorner, p.mode);
    EXPECT_EQ(100 + offset, p.x);
    EXPECT_EQ(120 + offset, p.y);

    // A tall owner: the mode asked for holds.
    HWND tallOwner = Owner(10, 0, 400, screen.cy);
    p = Place(IDD_TEST_SMALL, tallOwner, PlaceOnScreen);
    EXPECT_EQ(PlaceOnScreen, p.mode);
    EXPECT_EQ(screen.cx / 2 - p.width / 2, p.x);
    p = Place(IDD_TEST_SMALL, tallOwner, PlaceOverOwner);
    EXPECT_EQ(10 + (400 / 2 - p.width / 2), p.x);
    EXPECT_EQ(screen.cy / 2 - p.height / 2, p.y);

    // Wider than the screen: starts one frame width in.
    p = Place(IDD_TEST_WIDE, nullptr, PlaceOnScreen);
    ASSERT_GT(p.width, screen.cx);
    EXPECT_EQ(GetSystemMetrics(SM_CXFRAME), p.x);
}

LOGFONTA FontOf(HWND window)
{
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

// Run under win95 and nt40: the harness says which through QV_EXPECT_PLATFORM.
TEST_F(DialogTest, FontReplacedOnlyOnNT)
{
    const char* platform = std::getenv("QV_EXPECT_PLATFORM");
    ASSERT_NE(nullptr, platform);
    const bool nt = std::atoi(platform) == 2;

    CDialog plain;
    ASSERT_TRUE(plain.Create(IDD_TEST_SMALL));
    const LOGFONTA templateFont = FontOf(plain.m_hWnd);
    plain.DestroyWindow();

    PlacedDialog dialog(IDD_TEST_SMALL, nullptr, PlaceOnScreen);
    EXPECT_EQ(!nt, dialog.IsWindows95());
    EXPECT_EQ(nt, dialog.GetReplacementFont() != nullptr);
    // The font the controls should have: the template's on Windows 95.
    HFONT expected = nt ? dialog.GetReplacementFont() : dialog.GetFont();
    int children = 0;
    for (HWND child = GetTopWindow(dialog.m_hWnd); child; child = GetWindow(child, GW_HWNDNEXT)) {
        children++;
        EXPECT_EQ(expected, reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)))
            << "control " << GetDlgCtrlID(child);
        LOGFONTA font = FontOf(child);
        if (nt) {
            EXPECT_EQ(FW_NORMAL, font.lfWeight) << "control " << GetDlgCtrlID(child);
            EXPECT_EQ(templateFont.lfHeight, font.lfHeight) << "control " << GetDlgCtrlID(child);
            EXPECT_STREQ(templateFont.lfFaceName, font.lfFaceName);
        }
    }
    EXPECT_EQ(4, children);
    EXPECT_TRUE(GetWindowLongA(GetDlgItem(dialog.m_hWnd, IDC_WIZARD_HELP), GWL_STYLE) & WS_VISIBLE)
        << "the Help button was not shown";
}

TEST_F(DialogTest, PlatformQueryNamesWindows95AndNT)
{
    const bool nt = std::atoi(std::getenv("QV_EXPECT_PLATFORM")) == 2;
    OSVERSIONINFOA info = {};
    EXPECT_EQ(nt ? 2 : 1, QueryPlatform(&info));
    EXPECT_EQ(!nt, LibraryIsWindows95());
    // Windows 95 has no service-pack text: the query names the version instead.
    EXPECT_STREQ(nt ? "Service Pack 6a" : "Windows 4.0 (32-bit)", info.szCSDVersion);
    EXPECT_EQ(sizeof info, info.dwOSVersionInfoSize);
}

// The suite's help function appends each context it opens to QVHELP_LOG.
std::vector<unsigned long> HelpLog()
{
    std::vector<unsigned long> contexts;
    const char* path = std::getenv("QVHELP_LOG");
    if (!path)
        return contexts;
    std::ifstream log(path);
    unsigned long context;
    while (log >> context)
        contexts.push_back(context);
    return contexts;
}

TEST_F(DialogTest, HelpButtonAndF1OpenHelp)
{
    HelpCommands().clear();
    const size_t logged = HelpLog().size();
    ScriptedSheet sheet(nullptr, {TRUE, TRUE}, true, [](ScriptedSheet& s) {
        s.Click(IDC_WIZARD_HELP);
        // F1 goes to the page created last, whichever page has the focus.
        HWND edit = GetDlgItem(s.Page(0)->m_hWnd, IDC_TEST_EDIT);
        SetFocus(edit);
        PostMessageA(edit, WM_KEYDOWN, VK_F1, 0);
        s.CancelWhen([] { return HelpCommands().size() >= 2; });
    });
    EXPECT_EQ(0, sheet.DoModal());
    EXPECT_EQ((std::vector<UINT>{100, 101}), HelpCommands());
#if QV_HAVE_QVCMMN32
    std::vector<unsigned long> log = HelpLog();
    ASSERT_EQ(logged + 2, log.size());
    EXPECT_EQ(100u, log[logged]);
    EXPECT_EQ(101u, log[logged + 1]);
#else
    (void)logged;
#endif
}

}  // namespace
