// The MFC-like layer where the wizards lean on it: strings, arrays, window
// links, subclassing and modal dialogs.
#include "scripted_sheet.h"
#include <gtest/gtest.h>
#include <utility>

namespace {

TEST(AfxString, EditsAndResources)
{
    CString s("  Kestrix Setup  ");
    s.TrimLeft();
    s.TrimRight();
    CString f;
    f.Format("Direct to COM%d %s", 3, "now");
    const std::pair<CString, const char*> edits[] = {
        {s, "Kestrix Setup"}, {s.Left(7), "Kestrix"}, {s.Mid(8), "Setup"}, {s.Mid(8, 3), "Set"},
        {s.Mid(40), ""}, {s.Right(5), "Setup"}, {s.Right(99), "Kestrix Setup"},
        {f, "Direct to COM3 now"}};
    for (const auto& e : edits)
        EXPECT_STREQ(e.second, e.first) << "edit " << &e - edits;
    EXPECT_EQ(8, s.Find("Setup"));
    EXPECT_EQ(-1, s.Find('z'));

    UseTestModuleAsLibrary();
    CString text;
    EXPECT_TRUE(text.LoadString(IDS_ERROR));
    EXPECT_STREQ("Error", text);
    EXPECT_FALSE(text.LoadString(4321));
    EXPECT_TRUE(text.IsEmpty());
}

TEST(AfxArrays, GrowInsertRemove)
{
    CStringArray names;
    names.SetAtGrow(2, "c");
    ASSERT_EQ(3, names.GetSize());
    EXPECT_STREQ("", names[0]);
    names.InsertAt(0, "a");
    names.RemoveAt(1, 2);
    ASSERT_EQ(2, names.GetSize());
    EXPECT_STREQ("a", names[0]);
    EXPECT_STREQ("c", names[1]);
    names.RemoveAt(5);  // out of range: nothing happens
    EXPECT_EQ(2, names.GetSize());

    CObArray objects;
    objects.SetAtGrow(1, &objects);
    EXPECT_EQ(nullptr, objects[0]);
    EXPECT_EQ(&objects, objects[1]);
}

// A control whose clicks are counted, its own behaviour kept.
class CountingButton : public CButton {
public:
    int downs = 0;
protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_LBUTTONDOWN)
            downs++;
        return CButton::WindowProc(message, wParam, lParam);
    }
};

class ModalDialog : public CDialog {
public:
    ModalDialog() : CDialog(IDD_TEST_SMALL) {}
    int clicks = 0;
    BOOL linked = FALSE;
    CountingButton m_check;
protected:
    BOOL OnInitDialog() override
    {
        linked = CWnd::FromHandle(m_hWnd) == this && CWnd::FromHandlePermanent(m_hWnd) == this;
        m_check.SubclassDlgItem(1002, this);
        // Descendants get messages deeply; the subclassed one counts them.
        SendMessageToDescendants(WM_LBUTTONDOWN, 0, 0, TRUE, TRUE);
        m_check.SendMessage(BM_CLICK);
        EXPECT_EQ(BST_CHECKED, m_check.GetCheck()) << "Default() lost the button's own behaviour";
        PostMessage(WM_COMMAND, IDOK);
        return TRUE;
    }
    void OnOK() override
    {
        clicks = m_check.downs;
        EndDialog(42);
    }
};

TEST(AfxWindows, ModalDialogSubclassingAndLinks)
{
    UseTestModuleAsLibrary();
    ModalDialog dialog;
    EXPECT_EQ(42, dialog.DoModal());
    EXPECT_TRUE(dialog.linked);
    EXPECT_EQ(2, dialog.clicks);  // one sent to descendants, one from BM_CLICK
    EXPECT_EQ(nullptr, dialog.m_hWnd) << "not unlinked when the window went";
    EXPECT_EQ(nullptr, dialog.m_check.m_hWnd);

    HWND plain = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    CWnd* temp = CWnd::FromHandle(plain);
    EXPECT_EQ(temp, CWnd::FromHandle(plain));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(plain));
    EXPECT_EQ(nullptr, CWnd::FromHandle(nullptr));
    DestroyWindow(plain);
    CWnd::DeleteTempMap();
}

}  // namespace
