#include "progress_dialog.h"
#include "percent_bar.h"
#include "registration_ids.h"

RegisterProgressDialog::RegisterProgressDialog(CWnd* parent)
    : WizardDialog(IDD_REGISTER_PROGRESS, parent, 0, PlaceOverOwner), m_pParent(parent)
{
    RegisterPercentBarClass();
    Create(IDD_REGISTER_PROGRESS, parent);
    m_pBar = dynamic_cast<CQPercentBar*>(CWnd::FromHandlePermanent(::GetDlgItem(m_hWnd, IDC_REG_PERCENT_BAR)));
    if (m_pParent)
        m_pParent->EnableWindow(FALSE);
}

RegisterProgressDialog::~RegisterProgressDialog()
{
    if (m_pParent)
        m_pParent->EnableWindow(TRUE);
}

void RegisterProgressDialog::SetStatus(UINT stringId)
{
    CString text;
    text.LoadString(stringId);
    SetStatusText(text);
}

void RegisterProgressDialog::SetStatusText(const char* text)
{
    ::SetDlgItemTextA(m_hWnd, IDC_REG_STATUS, text);
}

void RegisterProgressDialog::SetPercent(int value)
{
    if ((m_bHasPercent && value == m_lastPercent) || !m_pBar)
        return;
    m_pBar->m_percent = value < 0 ? 0 : value > 100 ? 100 : value;
    m_pBar->Invalidate(TRUE);
    m_pBar->UpdateWindow();
    m_lastPercent = value;
    m_bHasPercent = TRUE;
    if (::IsIconic(m_hWnd))
        Invalidate(TRUE);
}

void RegisterProgressDialog::SetFinished()
{
    CString ok;
    ok.LoadString(IDS_REG_OK);
    ::SetDlgItemTextA(m_hWnd, IDCANCEL, ok);
    m_bInProgress = FALSE;
}

void RegisterProgressDialog::OnCancel()
{
    if (m_bInProgress)
        SetStatus(IDS_REG_CANCEL_PRESSED);
    m_bStop = TRUE;
}
