#include "transparent_bitmap.h"

namespace {

// A memory context like the destination, with its mapping mode.
bool MakeContext(CDC& context, CDC* destination)
{
    if (!context.CreateCompatibleDC(destination))
        return false;
    context.SetMapMode(::GetMapMode(destination->m_hAttribDC));
    return true;
}

}  // namespace

void TransparentBitmap::DrawTransparent(CDC* dc, int left, int top, int right, int bottom,
                                        COLORREF transparent, COLORREF background, BOOL centre)
{
    BITMAP info;
    if (!m_hObject || !GetObject(sizeof info, &info))
        return;
    HDC attrib = dc->m_hAttribDC ? dc->m_hAttribDC : dc->m_hDC;
    POINT size = {info.bmWidth, info.bmHeight};
    POINT corners[3] = {{0, 0}, {left, top}, {right, bottom}};
    ::DPtoLP(attrib, &size, 1);
    ::DPtoLP(attrib, corners, 3);
    left = corners[1].x;
    top = corners[1].y;
    right = corners[2].x;
    bottom = corners[2].y;
    const int width = size.x, height = size.y;

    const int w = right - left, h = bottom - top;
    int x = left, y = top;
    if (centre) {
        x = left + (w - width) / 2;
        y = top + (h - height) / 2;
    }

    CDC image, copy, mask, inverseMask, memory;
    if (!MakeContext(image, dc) || !MakeContext(copy, dc) || !MakeContext(mask, dc) ||
        !MakeContext(inverseMask, dc) || !MakeContext(memory, dc))
        return;
    // The image is selected first: bitmaps made compatible with a memory
    // context take the format of the bitmap it holds.
    CBitmap* oldImage = image.SelectObject(this);
    CBitmap copyBitmap, maskBitmap, inverseBitmap, memoryBitmap;
    if (!copyBitmap.CreateCompatibleBitmap(&image, width, height) ||
        !maskBitmap.CreateBitmap(width, height, 1, 1, nullptr) ||
        !inverseBitmap.CreateBitmap(width, height, 1, 1, nullptr) ||
        !memoryBitmap.CreateCompatibleBitmap(&image, w, h)) {
        image.SelectObject(oldImage);
        return;
    }
    CBitmap* oldCopy = copy.SelectObject(&copyBitmap);
    CBitmap* oldMask = mask.SelectObject(&maskBitmap);
    CBitmap* oldInverse = inverseMask.SelectObject(&inverseBitmap);
    CBitmap* oldMemory = memory.SelectObject(&memoryBitmap);

    copy.BitBlt(0, 0, width, height, &image, 0, 0, SRCCOPY);

    // Colour to monochrome: pixels of the background colour become white.
    COLORREF oldBackground = image.SetBkColor(transparent);
    mask.BitBlt(0, 0, width, height, &image, 0, 0, SRCCOPY);
    image.SetBkColor(oldBackground);

    inverseMask.BitBlt(0, 0, width, height, &mask, 0, 0, NOTSRCCOPY);
    copy.BitBlt(0, 0, width, height, &inverseMask, 0, 0, SRCAND);

    CBrush brush(background);
    RECT area = {left, top, right, bottom};
    memory.FillRect(&area, &brush);
    memory.BitBlt(x, y, width, height, &mask, 0, 0, SRCAND);
    memory.BitBlt(x, y, width, height, &copy, 0, 0, SRCINVERT);

    dc->BitBlt(0, 0, w, h, &memory, 0, 0, SRCCOPY);

    memory.SelectObject(oldMemory);
    inverseMask.SelectObject(oldInverse);
    mask.SelectObject(oldMask);
    copy.SelectObject(oldCopy);
    image.SelectObject(oldImage);
}
