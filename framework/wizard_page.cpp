#include "wizard_page.h"
#include "wizard_sheet.h"
#include "resource.h"

WizardPage::WizardPage(UINT helpContext) : WizardDialog(helpContext, PlaceOverOwner)
{
}

BOOL WizardPage::OnInitDialog()
{
    return WizardDialog::OnInitDialog();
}

WizardSheet* WizardPage::GetSheet() const
{
    return dynamic_cast<WizardSheet*>(CWnd::FromHandlePermanent(::GetParent(m_hWnd)));
}

void WizardPage::OnCancel()
{
    if (WizardSheet* sheet = GetSheet())
        sheet->OnCancel();
}

void WizardPage::OnNext()
{
    if (WizardSheet* sheet = GetSheet())
        sheet->NextPage(0);
}

void WizardPage::OnBack()
{
    if (WizardSheet* sheet = GetSheet())
        sheet->PreviousPage(0);
}

BOOL WizardPage::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) <= 1) {
        switch (LOWORD(wParam)) {
        case IDC_WIZARD_NEXT:
            OnNext();
            return TRUE;
        case IDC_WIZARD_BACK:
            OnBack();
            return TRUE;
        }
    }
    return WizardDialog::OnCommand(wParam, lParam);
}

// The page's half of the etched line above the buttons: from the left edge
// to the Help button's right edge, eight pixels above the buttons.
void WizardPage::OnPaint()
{
    Default();
    HWND help = ::GetDlgItem(m_hWnd, IDC_WIZARD_HELP);
    if (!help)
        return;
    RECT helpRect, pageRect;
    ::GetWindowRect(help, &helpRect);
    GetWindowRect(&pageRect);
    const int xEnd = helpRect.right - pageRect.left;
    const int y = helpRect.top - pageRect.top - 8;

    CClientDC dc(this);
    CPen shadow(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    CPen highlight(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    CPen* previous = dc.SelectObject(&shadow);
    dc.MoveTo(0, y);
    dc.LineTo(xEnd, y);
    dc.SelectObject(&highlight);
    dc.MoveTo(0, y + 1);
    dc.LineTo(xEnd + 1, y + 1);
    dc.SelectObject(previous);
}
