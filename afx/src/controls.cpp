#include "afxwin.h"

namespace {

/* A list or combo box item's text: its length first, then the text into a
 * buffer that size; a bad index (the length comes back as an error) gives "". */
void GetItemText(HWND box, UINT lengthMessage, UINT textMessage, int index, CString& text)
{
    int length = static_cast<int>(::SendMessageA(box, lengthMessage, index, 0));
    if (length < 0) {
        text.Empty();
        return;
    }
    ::SendMessageA(box, textMessage, index, reinterpret_cast<LPARAM>(text.GetBuffer(length + 1)));
    text.ReleaseBuffer();
}

}  // namespace

void CComboBox::GetLBText(int index, CString& text) const
{
    GetItemText(m_hWnd, CB_GETLBTEXTLEN, CB_GETLBTEXT, index, text);
}

void CListBox::GetText(int index, CString& text) const
{
    GetItemText(m_hWnd, LB_GETTEXTLEN, LB_GETTEXT, index, text);
}
