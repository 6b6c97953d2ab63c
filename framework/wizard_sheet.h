// WizardSheet: the wizard frame. A top-level dialog with its own modal
// loop that shows one WizardPage at a time on its right and the page's
// picture on its left. Derived sheets create their pages in OnInitDialog,
// AddPage them in order, mark the last final and call this OnInitDialog.
#ifndef QVWIZ_WIZARD_SHEET_H
#define QVWIZ_WIZARD_SHEET_H

#include "wizard_dialog.h"
#include "wizard_page.h"
#include "wizard_picture.h"

// SetFinalPage's index for "the last page added".
const int kLastPage = 9999;

// What the sheet knows about one page.
class WizardPageEntry : public CObject {
public:
    BOOL m_bEnabled = TRUE;    // disabled pages are skipped by Next and Back
    BOOL m_bFinal = FALSE;     // Next reads the done caption and finishes
    UINT m_bitmapId = 0;       // picture shown with the page; 0 keeps the current one
    WizardPage* m_pPage = nullptr;   // not owned: the derived sheet deletes its pages
};

// The page list owns its entries.
class WizardPageList : public CObArray {
public:
    ~WizardPageList() override;
    WizardPageEntry* Entry(int index) const { return static_cast<WizardPageEntry*>(GetAt(index)); }
};

class WizardSheet : public WizardDialog {
public:
    WizardSheet(UINT templateId, CWnd* owner);

    // Creates the window, disables the owner and runs until a page or the
    // sheet ends the wizard. Returns the result; 2 when the window cannot
    // be created.
    int DoModal() override;

    BOOL OnInitDialog() override;
    // Finish: every page's data is read back; result 1.
    void OnOK() override;
    // Close or cancel: result 0.
    void OnCancel() override;

    // Adds a page created as a child of this sheet. Returns the page, or
    // null when nothing was added.
    virtual WizardPage* AddPage(WizardPage* page, BOOL enabled, UINT bitmapId);
    // Shows the page at index; forward chooses Next as the default button.
    // FALSE for a disabled page.
    virtual BOOL ShowPage(int index, BOOL forward);
    // Target 0: the next (previous) enabled page; Next past the last
    // enabled page finishes the wizard.
    virtual void NextPage(int target);
    virtual void PreviousPage(int target);
    // A message box with a string resource and the caption "Error".
    virtual void ShowMessage(UINT stringId);
    virtual void EndWizard(int result);
    // Right-aligns a page in the parent's client area, top at 0, hidden.
    virtual WizardPage* PlacePage(WizardPage* page, CWnd* parent);

    // The current page cannot be disabled.
    void SetPageEnabled(int index, BOOL enabled);
    // kLastPage marks the last page added.
    void SetFinalPage(int index, BOOL final);
    // At most 19 characters are kept.
    void SetDoneCaption(const char* text);

    int GetPageCount() const { return m_pageCount; }
    int GetCursor() const { return m_cursor; }
    WizardPage* GetCurrentPage() const { return m_pCurrentPage; }
    WizardPageEntry* GetEntry(int index) const;
    const char* GetDoneCaption() const { return m_doneCaption; }
    const WizardPicture& GetPicture() const { return m_picture; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnEraseBkgnd(HDC dc) override;
    int OnMouseActivate(HWND topLevel, UINT hitTest, UINT message) override;
    void OnSetFocus(HWND previous) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnPaint() override;

    WizardPicture m_picture;
    int m_clientWidth = 0;
    int m_clientHeight = 0;
    int m_pageCount = 0;
    int m_shownIndex = 0;
    WizardPageList m_pages;
    int m_cursor = -1;
    WizardPage* m_pCurrentPage = nullptr;
    BOOL m_bRunning = FALSE;
    int m_result = 0;
    char m_doneCaption[21];
    char m_nextCaption[21];
};

#endif
