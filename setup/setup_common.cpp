#include "setup_common.h"

char g_portName[260];

void LoadEditItems(CWnd* page, const EditItem* items, int count)
{
    CQSetupProfile profile(0);
    for (int i = 0; i < count; i++) {
        const EditItem& e = items[i];
        ::SendDlgItemMessageA(page->m_hWnd, e.controlId, EM_LIMITTEXT, e.limit, 0);
        const char* value = e.isLong
            ? profile.GetProfile(LongItem(e.item), nullptr, 0, eDefaultsNone)
            : profile.GetProfile(ShortItem(e.item), nullptr, 0, eDefaultsNone);
        page->SetDlgItemText(e.controlId, value ? value : "");
    }
}

void StoreEditItems(CWnd* page, const EditItem* items, int count)
{
    CQSetupProfile profile(0);
    for (int i = 0; i < count; i++) {
        const EditItem& e = items[i];
        char text[80];
        ::GetDlgItemTextA(page->m_hWnd, e.controlId, text, sizeof text);
        if (e.isLong)
            profile.SetProfile(LongItem(e.item), text, 0);
        else
            profile.SetProfile(ShortItem(e.item), text, 0);
    }
}

CString LoadText(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}
