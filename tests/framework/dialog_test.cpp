// The dialog base: where dialogs appear, which font they get, and how the
// Help button and F1 reach the suite's help.
#include "scripted_sheet.h"
#include "platform.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
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
        // Run under win95 and nt40: the harness says which.
        const char* platform = std::getenv("QV_EXPECT_PLATFORM");
        ASSERT_NE(nullptr, platform);
        nt = std::atoi(platform) == 2;
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
    bool nt;
    std::vector<HWND> owners;
};

TEST_F(DialogTest, PlacementFollowsOwnerAndScreen)
{
    const Placed alone = Place(IDD_TEST_SMALL, nullptr, PlaceOnScreen);
    const int w = alone.width, h = alone.height;
    const POINT centred = {screen.cx / 2 - w / 2, screen.cy / 2 - h / 2};
    // Too short for the dialog below its caption; tall, and off the screen's
    // centre, so that centring over it is not centring on the screen.
    const RECT shortOwner = {100, 120, 600, 120 + h + offset - 1};
    const RECT tallOwner = {10, 40, 410, screen.cy};
    const struct { const RECT* owner; int asked, mode, x, y; } cases[] = {
        {nullptr, PlaceOverOwner, PlaceOnScreen, centred.x, centred.y},
        {&shortOwner, PlaceOnScreen, PlaceAtOwnerCorner, 100 + offset, 120 + offset},
        {&shortOwner, PlaceOverOwner, PlaceAtOwnerCorner, 100 + offset, 120 + offset},
        {&tallOwner, PlaceOnScreen, PlaceOnScreen, centred.x, centred.y},
        {&tallOwner, PlaceOverOwner, PlaceOverOwner, 10 + (400 / 2 - w / 2),
         40 + ((screen.cy - 40) / 2 - h / 2)},
    };
    for (const auto& c : cases) {
        const RECT* o = c.owner;
        HWND owner = o ? Owner(o->left, o->top, o->right - o->left, o->bottom - o->top) : nullptr;
        Placed p = Place(IDD_TEST_SMALL, owner, c.asked);
        const int row = static_cast<int>(&c - cases);
        EXPECT_EQ(c.mode, p.mode) << "case " << row;
        EXPECT_EQ(c.x, p.x) << "case " << row;
        EXPECT_EQ(c.y, p.y) << "case " << row;
    }
    ASSERT_NE(cases[4].y, centred.y);

    // Wider than the screen: starts one frame width in.
    Placed p = Place(IDD_TEST_WIDE, nullptr, PlaceOnScreen);
    ASSERT_GT(p.width, screen.cx);
    EXPECT_EQ(GetSystemMetrics(SM_CXFRAME), p.x);
}

LOGFONTA FontOf(HWND window)
{
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

TEST_F(DialogTest, FontReplacedOnlyOnNT)
{
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
    OSVERSIONINFOA info = {};
    EXPECT_EQ(nt ? 2 : 1, QueryPlatform(&info));
    EXPECT_EQ(!nt, LibraryIsWindows95());
    // Windows 95 has no service-pack text: the query names the version instead.
    EXPECT_STREQ(nt ? "Service Pack 6a" : "Windows 4.0 (32-bit)", info.szCSDVersion);
    EXPECT_EQ(sizeof info, info.dwOSVersionInfoSize);
    // Platform 917 counts as Windows 95 too.
    for (int id : {0, 1, 2, 3, 917, 918})
        EXPECT_EQ(id == 1 || id == 917, IsWindows95Platform(id)) << "platform " << id;
}

// A command of the system menu the library pops up reaches the dialog as
// WM_SYSCOMMAND, with its own wParam and lParam; on Windows 95 the system's
// menu does that itself and the library leaves WM_COMMAND alone.
TEST_F(DialogTest, SystemMenuCommandsComeBackAsSysCommandOnNT)
{
    PlacedDialog dialog(IDD_TEST_SMALL, nullptr, PlaceOnScreen);
    for (WPARAM command : {WPARAM(SC_SIZE - 1), WPARAM(SC_SIZE), WPARAM(SC_MOVE), WPARAM(SC_KEYMENU)})
        SendMessageA(dialog.m_hWnd, WM_COMMAND, command, 0x00280014);
    // Taken off the queue, not dispatched: a move or size loop would wait
    // for the mouse.
    std::vector<std::pair<WPARAM, LPARAM>> posted;
    MSG msg;
    while (PeekMessageA(&msg, dialog.m_hWnd, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE))
        if (msg.lParam == 0x00280014)   // not the controls' own notifications
            posted.push_back({msg.wParam, msg.lParam});
    const std::vector<std::pair<WPARAM, LPARAM>> forwarded = {
        {SC_SIZE, 0x00280014}, {SC_MOVE, 0x00280014}, {SC_KEYMENU, 0x00280014}};
    EXPECT_EQ(nt ? forwarded : decltype(forwarded){}, posted);
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

// One help command per press or key: the page's own context for its Help
// button, the context of the page created last for F1.
TEST_F(DialogTest, HelpButtonAndF1OpenHelpOnce)
{
    HelpCommands().clear();
    const size_t logged = HelpLog().size();
    ScriptedSheet sheet(nullptr, {TRUE, TRUE}, true, [](ScriptedSheet& s) {
        s.Click(IDC_WIZARD_HELP);
        HWND edit = GetDlgItem(s.Page(0)->m_hWnd, IDC_TEST_EDIT);
        SetFocus(edit);
        PostMessageA(edit, WM_KEYDOWN, VK_F1, 0);
        // Give a second command from the same key time to arrive.
        s.CancelWhen([rounds = 0]() mutable { return HelpCommands().size() >= 2 && ++rounds > 20; });
    });
    EXPECT_EQ(0, sheet.DoModal());
    EXPECT_EQ((std::vector<UINT>{100, 101}), HelpCommands());
    std::vector<unsigned long> log = HelpLog();
    EXPECT_EQ((std::vector<unsigned long>{100, 101}),
              std::vector<unsigned long>(log.begin() + std::min(logged, log.size()), log.end()));
}

TEST_F(DialogTest, HelpContextZeroDoesNothing)
{
    const size_t logged = HelpLog().size();
    PlacedDialog dialog(IDD_TEST_SMALL, nullptr, PlaceOnScreen);
    ASSERT_EQ(0u, dialog.GetHelpContext());
    HWND help = GetDlgItem(dialog.m_hWnd, IDC_WIZARD_HELP);
    SendMessageA(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_WIZARD_HELP, BN_CLICKED),
                 reinterpret_cast<LPARAM>(help));
    EXPECT_EQ(logged, HelpLog().size()) << "help opened at context " << HelpLog().back();
}

}  // namespace
