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

TEST_F(SheetTest, NextAndBackSkipDisabledPagesAndDefaultFollowsDirection)
{
    ScriptedSheet sheet(nullptr, {TRUE, FALSE, TRUE}, true, [](ScriptedSheet& s) {
        EXPECT_EQ(0, s.GetCursor());
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(s.Page(0)->m_hWnd, IDC_WIZARD_BACK)))
            << "the first page's Back button is enabled";
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(s.Page(2)->m_hWnd, IDC_WIZARD_BACK)));

        s.Click(IDC_WIZARD_NEXT);
        EXPECT_EQ(2, s.GetCursor());
        EXPECT_EQ(s.Page(2), s.GetCurrentPage());
        EXPECT_TRUE(s.Page(2)->IsWindowVisible());
        EXPECT_FALSE(s.Page(0)->IsWindowVisible());
        EXPECT_EQ(IDC_WIZARD_NEXT, DefaultButton(s.Page(2)));

        s.Click(IDC_WIZARD_BACK);
        EXPECT_EQ(0, s.GetCursor());
        EXPECT_EQ(s.Page(0), s.GetCurrentPage());
        // The first page gets Next as default even when reached by Back.
        EXPECT_EQ(IDC_WIZARD_NEXT, DefaultButton(s.Page(0)));

        // Back at the first page stays there.
        s.PreviousPage(0);
        EXPECT_EQ(0, s.GetCursor());
        EXPECT_TRUE(s.Running());
        s.OnCancel();
    });
    EXPECT_EQ(0, sheet.DoModal());
}

TEST_F(SheetTest, PageReachedByBackDefaultsToBack)
{
    ScriptedSheet sheet(nullptr, {TRUE, TRUE, TRUE}, true, [](ScriptedSheet& s) {
        s.Click(IDC_WIZARD_NEXT);
        s.Click(IDC_WIZARD_NEXT);
        s.Click(IDC_WIZARD_BACK);
        EXPECT_EQ(1, s.GetCursor());
        EXPECT_EQ(IDC_WIZARD_BACK, DefaultButton(s.Page(1)));
        s.OnCancel();
    });
    EXPECT_EQ(0, sheet.DoModal());
}

TEST_F(SheetTest, FinalPageReadsDoneAndFinishes)
{
    ScriptedSheet sheet(nullptr, {TRUE, TRUE}, true, [](ScriptedSheet& s) {
        EXPECT_STREQ("&Next >", ButtonText(s.Page(0), IDC_WIZARD_NEXT));
        EXPECT_STREQ("&Done", ButtonText(s.Page(1), IDC_WIZARD_NEXT));
        s.Click(IDC_WIZARD_NEXT);
        EXPECT_TRUE(s.Running());
        s.Click(IDC_WIZARD_NEXT);
        EXPECT_FALSE(s.Running());
    });
    EXPECT_EQ(1, sheet.DoModal());
}

TEST_F(SheetTest, NextBeforeDisabledLastPageFinishes)
{
    ScriptedSheet sheet(nullptr, {TRUE, TRUE, FALSE}, false, [](ScriptedSheet& s) {
        s.Click(IDC_WIZARD_NEXT);
        EXPECT_EQ(1, s.GetCursor());
        s.Click(IDC_WIZARD_NEXT);
        EXPECT_FALSE(s.Running()) << "Next on the last enabled page did not finish";
    });
    EXPECT_EQ(1, sheet.DoModal());
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

TEST_F(SheetTest, OwnerDisabledWhileRunningAndCloseCancels)
{
    HWND owner = CreateWindowA("STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 600, 500,
                               nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, owner);
    ScriptedSheet sheet(CWnd::FromHandle(owner), {TRUE, TRUE}, true, [owner](ScriptedSheet& s) {
        EXPECT_FALSE(IsWindowEnabled(owner)) << "owner enabled while the wizard runs";
        EXPECT_EQ(owner, GetWindow(s.m_hWnd, GW_OWNER));
        s.PostMessage(WM_CLOSE);
    });
    EXPECT_EQ(0, sheet.DoModal());
    EXPECT_TRUE(IsWindowEnabled(owner)) << "owner left disabled";
    EXPECT_EQ(nullptr, sheet.m_hWnd) << "sheet window not destroyed";
    DestroyWindow(owner);
    CWnd::DeleteTempMap();
}

TEST_F(SheetTest, EscapeOnAPageCancels)
{
    ScriptedSheet sheet(nullptr, {TRUE, TRUE}, true, [](ScriptedSheet& s) {
        HWND edit = ::GetDlgItem(s.Page(0)->m_hWnd, IDC_TEST_EDIT);
        ::SetFocus(edit);
        ::PostMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    // The script posts the key and returns; the loop delivers it.
    EXPECT_EQ(0, sheet.DoModal());
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
