// The wizard frame as a user drives it: Next, Back, Done, Cancel.
#include "scripted_sheet.h"
#include <gtest/gtest.h>

namespace {

class SheetTest : public ::testing::Test {
protected:
    void SetUp() override { UseTestModuleAsLibrary(); }
};

int DefaultButton(CWnd* page)
{
    return LOWORD(page->SendMessage(DM_GETDEFID));
}

CString ButtonText(CWnd* page, int id)
{
    CString text;
    page->GetDlgItemText(id, text);
    return text;
}

// Disabled pages are skipped both ways; the default button follows the
// direction the page was reached in, except on the first page.
TEST_F(SheetTest, NextAndBackSkipDisabledPagesAndDefaultFollowsDirection)
{
    ScriptedSheet sheet(nullptr, {TRUE, FALSE, TRUE, TRUE}, true, [](ScriptedSheet& s) {
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(s.Page(0)->m_hWnd, IDC_WIZARD_BACK)))
            << "the first page's Back button is enabled";
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(s.Page(2)->m_hWnd, IDC_WIZARD_BACK)));
        const struct { int button, cursor, defaultButton; } steps[] = {
            {IDC_WIZARD_NEXT, 2, IDC_WIZARD_NEXT}, {IDC_WIZARD_NEXT, 3, IDC_WIZARD_NEXT},
            {IDC_WIZARD_BACK, 2, IDC_WIZARD_BACK}, {IDC_WIZARD_BACK, 0, IDC_WIZARD_NEXT},
        };
        int previous = 0;
        for (const auto& step : steps) {
            s.Click(step.button);
            EXPECT_EQ(step.cursor, s.GetCursor()) << "after page " << previous;
            EXPECT_EQ(s.Page(step.cursor), s.GetCurrentPage());
            EXPECT_TRUE(s.Page(step.cursor)->IsWindowVisible());
            EXPECT_FALSE(s.Page(previous)->IsWindowVisible()) << "page " << previous;
            EXPECT_EQ(step.defaultButton, DefaultButton(s.Page(step.cursor))) << step.cursor;
            previous = step.cursor;
        }
        // Back at the first page stays there.
        s.PreviousPage(0);
        EXPECT_EQ(0, s.GetCursor());
        EXPECT_TRUE(s.Running());
        s.OnCancel();
    });
    EXPECT_EQ(0, sheet.DoModal());
}

// A page's picture replaces the sheet's; a page without one keeps it.
TEST_F(SheetTest, PicturesFollowThePagesAndZeroKeepsTheCurrentOne)
{
    ScriptedSheet sheet(nullptr, {TRUE, TRUE, TRUE}, true, [](ScriptedSheet& s) {
        const struct { int button; LONG width, height; } steps[] = {
            {0, 117, 213}, {IDC_WIZARD_NEXT, 117, 213}, {IDC_WIZARD_NEXT, 108, 291},
            {IDC_WIZARD_BACK, 108, 291},
        };
        for (const auto& step : steps) {
            if (step.button)
                s.Click(step.button);
            const BITMAP& shown = s.GetPicture().GetPictureInfo();
            EXPECT_TRUE(s.GetPicture().HasPicture()) << "page " << s.GetCursor();
            EXPECT_EQ(step.width, shown.bmWidth) << "page " << s.GetCursor();
            EXPECT_EQ(step.height, shown.bmHeight) << "page " << s.GetCursor();
        }
        s.OnCancel();
    });
    sheet.bitmaps = {IDB_SETUP_WELCOME, 0, IDB_REGISTER};
    sheet.DoModal();
}

TEST_F(SheetTest, PlacePageRightAlignsAtTheTopAndHides)
{
    ScriptedSheet sheet(nullptr, {TRUE}, true, [](ScriptedSheet& s) {
        TestPage page(&s, 0);
        page.SetWindowPos(nullptr, 5, 7, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
        EXPECT_EQ(&page, s.PlacePage(&page, &s));
        RECT client, placed;
        ::GetClientRect(s.m_hWnd, &client);
        ::GetWindowRect(page.m_hWnd, &placed);
        ::MapWindowPoints(nullptr, s.m_hWnd, reinterpret_cast<POINT*>(&placed), 2);
        EXPECT_GT(placed.left, 0) << "the page is as wide as the sheet: nothing to align";
        EXPECT_EQ(client.right, placed.right);
        EXPECT_EQ(0, placed.top);
        EXPECT_FALSE(page.IsWindowVisible());
        s.OnCancel();
    });
    sheet.DoModal();
}

// Next finishes the wizard with 1 on the page marked final, which reads
// "&Done", and on the last enabled page, marked or not.
TEST_F(SheetTest, NextOnTheFinalOrLastEnabledPageFinishes)
{
    for (bool final : {true, false}) {
        std::vector<BOOL> pages = {TRUE, TRUE};
        if (!final)
            pages.push_back(FALSE);
        ScriptedSheet sheet(nullptr, pages, final, [final](ScriptedSheet& s) {
            EXPECT_STREQ("&Next >", ButtonText(s.Page(0), IDC_WIZARD_NEXT));
            EXPECT_STREQ(final ? "&Done" : "&Next >", ButtonText(s.Page(1), IDC_WIZARD_NEXT));
            s.Click(IDC_WIZARD_NEXT);
            EXPECT_TRUE(s.Running());
            s.Click(IDC_WIZARD_NEXT);
            EXPECT_FALSE(s.Running()) << (final ? "the final page" : "the last enabled page");
        });
        EXPECT_EQ(1, sheet.DoModal());
    }
}

TEST_F(SheetTest, CurrentPageCannotBeDisabled)
{
    ScriptedSheet sheet(nullptr, {TRUE, TRUE}, true, [](ScriptedSheet& s) {
        s.SetPageEnabled(0, FALSE);
        EXPECT_TRUE(s.GetEntry(0)->m_bEnabled);
        s.SetPageEnabled(1, FALSE);
        EXPECT_FALSE(s.GetEntry(1)->m_bEnabled);
        EXPECT_FALSE(s.ShowPage(1, TRUE));
        EXPECT_EQ(s.Page(0), s.GetCurrentPage());
        s.OnCancel();
    });
    EXPECT_EQ(0, sheet.DoModal());
}

TEST_F(SheetTest, DoneCaptionKeepsNineteenCharacters)
{
    ScriptedSheet sheet(nullptr, {TRUE}, false, [](ScriptedSheet& s) {
        s.SetDoneCaption("&Register this product now");
        s.SetFinalPage(kLastPage, TRUE);
        EXPECT_STREQ("&Register this prod", ButtonText(s.Page(0), IDC_WIZARD_NEXT));
        s.SetFinalPage(0, FALSE);
        EXPECT_STREQ("&Next >", ButtonText(s.Page(0), IDC_WIZARD_NEXT));
        s.OnCancel();
    });
    sheet.DoModal();
}

TEST_F(SheetTest, EscapeOnAPageCancels)
{
    ScriptedSheet sheet(nullptr, {TRUE, TRUE}, true, [](ScriptedSheet& s) {
        HWND edit = ::GetDlgItem(s.Page(0)->m_hWnd, IDC_TEST_EDIT);
        ::SetFocus(edit);
        ::PostMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    // The script posts the key and returns; the loop delivers it. Closing
    // with the owner disabled meanwhile is the wizards' own check (shell_test).
    EXPECT_EQ(0, sheet.DoModal());
    EXPECT_EQ(nullptr, sheet.m_hWnd) << "sheet window not destroyed";
}

TEST_F(SheetTest, MissingTemplateReturnsTwo)
{
    class MissingSheet : public WizardSheet {
    public:
        MissingSheet() : WizardSheet(IDD_MISSING, nullptr) {}
    } sheet;
    EXPECT_EQ(2, sheet.DoModal());
}

}  // namespace
