// TransparentBitmap::DrawTransparent on memory contexts: the key colour
// shows the background, other pixels are copied unchanged, the picture is
// centred and cut evenly when larger, and no bitmap draws nothing.
#include <gtest/gtest.h>
#include "transparent_bitmap.h"

namespace {

const COLORREF kGreen = RGB(0, 255, 0);
const COLORREF kFace = RGB(192, 192, 192);
const COLORREF kMarker = RGB(1, 2, 3);

COLORREF Pattern(int x, int y) { return RGB(40 * x + 10, 40 * y + 10, 99); }

// A screen-compatible memory context with its own bitmap.
struct Canvas {
    CDC dc;
    CBitmap bitmap;
    CBitmap* previous = nullptr;
    Canvas(int width, int height, COLORREF fill)
    {
        HDC screen = GetDC(nullptr);
        CDC screenDc;
        screenDc.Attach(screen);
        dc.CreateCompatibleDC(&screenDc);
        bitmap.CreateCompatibleBitmap(&screenDc, width, height);
        screenDc.Detach();
        ReleaseDC(nullptr, screen);
        dc.m_hAttribDC = dc.m_hDC;
        previous = dc.SelectObject(&bitmap);
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++)
                SetPixel(dc, x, y, fill);
    }
    ~Canvas() { dc.SelectObject(previous); }
    COLORREF At(int x, int y) { return GetPixel(dc, x, y); }
};

// A picture of the given size, pure green where green(x, y) says so and
// Pattern(x, y) elsewhere, handed over to a TransparentBitmap.
void MakePicture(TransparentBitmap& picture, int width, int height, bool (*green)(int, int))
{
    Canvas canvas(width, height, kMarker);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            SetPixel(canvas.dc, x, y, green(x, y) ? kGreen : Pattern(x, y));
    canvas.dc.SelectObject(canvas.previous);
    canvas.previous = nullptr;
    picture.Attach(canvas.bitmap.Detach());
}

}  // namespace

TEST(TransparentBitmap, KeyColourShowsBackgroundAndOtherPixelsAreKept)
{
    TransparentBitmap picture;
    MakePicture(picture, 4, 4, [](int x, int y) { return x == 1 && y == 2; });
    Canvas target(8, 6, kMarker);
    picture.DrawTransparent(&target.dc, 0, 0, 8, 6, kGreen, kFace, TRUE);
    // Centred: (8 - 4) / 2 = 2 across, (6 - 4) / 2 = 1 down.
    for (int y = 0; y < 6; y++)
        for (int x = 0; x < 8; x++) {
            int px = x - 2, py = y - 1;
            bool inside = px >= 0 && px < 4 && py >= 0 && py < 4;
            COLORREF want = !inside || (px == 1 && py == 2) ? kFace : Pattern(px, py);
            EXPECT_EQ(want, target.At(x, y)) << "at " << x << "," << y;
        }
}

TEST(TransparentBitmap, LargerPictureIsCutEvenlyOrPlacedAtTheCorner)
{
    TransparentBitmap picture;
    MakePicture(picture, 6, 6, [](int, int) { return false; });
    Canvas centred(4, 4, kMarker);
    picture.DrawTransparent(&centred.dc, 0, 0, 4, 4, kGreen, kFace, TRUE);
    EXPECT_EQ(Pattern(1, 1), centred.At(0, 0));
    EXPECT_EQ(Pattern(4, 4), centred.At(3, 3));

    Canvas corner(8, 8, kMarker);
    picture.DrawTransparent(&corner.dc, 0, 0, 8, 8, kGreen, kFace, FALSE);
    EXPECT_EQ(Pattern(0, 0), corner.At(0, 0));
    EXPECT_EQ(Pattern(5, 5), corner.At(5, 5));
    EXPECT_EQ(kFace, corner.At(7, 7));
}

TEST(TransparentBitmap, AllGreenShowsOnlyTheBackgroundAndNoBitmapDrawsNothing)
{
    TransparentBitmap green;
    MakePicture(green, 3, 3, [](int, int) { return true; });
    Canvas target(5, 5, kMarker);
    green.DrawTransparent(&target.dc, 0, 0, 5, 5, kGreen, kFace, TRUE);
    for (int y = 0; y < 5; y++)
        for (int x = 0; x < 5; x++)
            EXPECT_EQ(kFace, target.At(x, y)) << "at " << x << "," << y;

    TransparentBitmap empty;
    Canvas untouched(5, 5, kMarker);
    empty.DrawTransparent(&untouched.dc, 0, 0, 5, 5, kGreen, kFace, TRUE);
    EXPECT_EQ(kMarker, untouched.At(2, 2));
}
