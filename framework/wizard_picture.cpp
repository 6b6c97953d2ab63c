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

// The bitmap centred on the button face; a bitmap larger than the control
// is cut equally on both sides.
void WizardPicture::OnPaint()
{
    CPaintDC paint(this);
    if (!m_bLoaded)
        return;
    CClientDC dc(this);
    RECT client;
    GetClientRect(&client);
    CBrush face(GetSysColor(COLOR_BTNFACE));
    dc.FillRect(&client, &face);

    CDC image;
    if (!image.CreateCompatibleDC(&dc))
        return;
    CBitmap* previous = image.SelectObject(&m_bitmap);
    int x = (client.right - client.left - m_info.bmWidth) / 2;
    int y = (client.bottom - client.top - m_info.bmHeight) / 2;
    dc.BitBlt(x, y, m_info.bmWidth, m_info.bmHeight, &image, 0, 0, SRCCOPY);
    image.SelectObject(previous);
}
