// WizardPicture: the picture control of a wizard sheet, which shows the
// current page's bitmap. Painting with no bitmap loaded draws nothing.
#ifndef QVWIZ_WIZARD_PICTURE_H
#define QVWIZ_WIZARD_PICTURE_H

#include <afx.h>
#include "transparent_bitmap.h"

class WizardPicture : public CWnd {
public:
    // Replaces the picture with a bitmap resource. FALSE when the bitmap
    // cannot be loaded; the picture is then empty.
    BOOL LoadPicture(UINT bitmapId);
    BOOL HasPicture() const { return m_bLoaded; }
    const BITMAP& GetPictureInfo() const { return m_info; }

protected:
    WNDPROC* GetSuperWndProcAddr() override { return &m_pfnSuperPicture; }
    void OnPaint() override;

private:
    TransparentBitmap m_bitmap;
    BITMAP m_info = {};
    BOOL m_bLoaded = FALSE;
    WNDPROC m_pfnSuperPicture = nullptr;
};

#endif
