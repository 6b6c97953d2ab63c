#include "afxwin.h"

void CComboBox::GetLBText(int index, CString& text) const
{
    int length = static_cast<int>(::SendMessageA(m_hWnd, CB_GETLBTEXTLEN, index, 0));
    if (length < 0) {
        text.Empty();
        return;
    }
    ::SendMessageA(m_hWnd, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.GetBuffer(length + 1)));
    text.ReleaseBuffer();
}

void CListBox::GetText(int index, CString& text) const
{
    int length = static_cast<int>(::SendMessageA(m_hWnd, LB_GETTEXTLEN, index, 0));
    if (length < 0) {
        text.Empty();
        return;
    }
    ::SendMessageA(m_hWnd, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.GetBuffer(length + 1)));
    text.ReleaseBuffer();
}
