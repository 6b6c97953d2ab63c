// TransparentBitmap: a bitmap drawn with one key colour left out, so that
// the background shows through wherever the picture has that colour.
#ifndef QVWIZ_TRANSPARENT_BITMAP_H
#define QVWIZ_TRANSPARENT_BITMAP_H

#include <afx.h>

// The key colour of the wizards' pictures: pure green.
const COLORREF kPictureKeyColour = RGB(0, 255, 0);

class TransparentBitmap : public CBitmap {
public:
    // Fills (left, top, right, bottom) of dc with the background colour and
    // draws the bitmap over it, its pixels of the transparent colour left
    // out; centred in the rectangle when centre is set (cut evenly on both
    // sides when larger), else at its top-left corner. The picture is
    // composed off screen and reaches dc in one copy, so nothing flickers.
    void DrawTransparent(CDC* dc, int left, int top, int right, int bottom,
                         COLORREF transparent, COLORREF background, BOOL centre);
};

#endif
