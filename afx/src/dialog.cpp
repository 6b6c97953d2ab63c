#include "afxwin.h"

// Every dialog of the layer is created with this dialog procedure. On
// WM_INITDIALOG it links the object and routes the window through
// AfxWndProc; from then on it answers FALSE, so the dialog manager does its
// usual work whenever a handler asks for Default().
INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_INITDIALOG || CWnd::FromHandlePermanent(hwnd))
        return FALSE;
    CDialog* dialog = reinterpret_cast<CDialog*>(lParam);
    if (!dialog->SubclassWindow(hwnd))
        return FALSE;
    return AfxWndProc(hwnd, message, wParam, lParam);
}

BOOL CDialog::Create(UINT templateId, CWnd* parent)
{
    m_templateId = templateId;
    if (parent)
        m_pParentWnd = parent;
    LPCSTR name = MAKEINTRESOURCEA(templateId);
    HWND hwnd = ::CreateDialogParamA(AfxFindResourceHandle(name, RT_DIALOG), name,
                                     m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr,
                                     DialogProc, reinterpret_cast<LPARAM>(this));
    return hwnd != nullptr;
}

int CDialog::DoModal()
{
    LPCSTR name = MAKEINTRESOURCEA(m_templateId);
    INT_PTR result = ::DialogBoxParamA(AfxFindResourceHandle(name, RT_DIALOG), name,
                                       m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr,
                                       DialogProc, reinterpret_cast<LPARAM>(this));
    return static_cast<int>(result);
}

void CDialog::EndDialog(int result)
{
    ::EndDialog(m_hWnd, result);
}

void CDialog::OnOK()
{
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        return OnInitDialog();
    return CWnd::WindowProc(message, wParam, lParam);
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    // Buttons (code 0) and accelerators (code 1) only, not notifications.
    if (HIWORD(wParam) > 1)
        return CWnd::OnCommand(wParam, lParam);
    switch (LOWORD(wParam)) {
    case IDOK:
        OnOK();
        return TRUE;
    case IDCANCEL:
        OnCancel();
        return TRUE;
    }
    return CWnd::OnCommand(wParam, lParam);
}

void DDX_Text(CDataExchange* dx, int id, CString& value)
{
    if (dx->m_bSaveAndValidate)
        dx->m_pDlgWnd->GetDlgItemText(id, value);
    else
        dx->m_pDlgWnd->SetDlgItemText(id, value);
}

void DDX_Check(CDataExchange* dx, int id, int& value)
{
    if (dx->m_bSaveAndValidate)
        value = static_cast<int>(dx->m_pDlgWnd->IsDlgButtonChecked(id));
    else
        dx->m_pDlgWnd->CheckDlgButton(id, value);
}
