#include "wizard_picture.h"

BOOL WizardPicture::LoadPicture(UINT bitmapId)
{
    if (m_bLoaded)
        m_bitmap.DeleteObject();
    m_bLoaded = FALSE;
    m_info = BITMAP{};
    LPCSTR name = MAKEINTRESOURCEA(bitmapId);
    if (!m_bitmap.Attach(LoadBitmapA(AfxFindResourceHandle(name, RT_BITMAP), name)))
        return FALSE;
    m_bitmap.GetObject(sizeof m_info, &m_info);
    m_bLoaded = TRUE;
    return TRUE;
}

// The bitmap centred on the button face, pure green left out; the whole
// control is drawn on every paint, whatever the update region.
void WizardPicture::OnPaint()
{
    CPaintDC paint(this);
    if (!m_bLoaded)
        return;
    CClientDC dc(this);
    RECT client;
    GetClientRect(&client);
    m_bitmap.DrawTransparent(&dc, client.left, client.top, client.right, client.bottom,
                             kPictureKeyColour, GetSysColor(COLOR_BTNFACE), TRUE);
}
