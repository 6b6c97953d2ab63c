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

// Every pixel of the target against the rule: centred (or at the corner),
// a larger picture cut evenly, green and the uncovered margin showing the
// background, everything else copied unchanged.
TEST(TransparentBitmap, DrawsEveryPixelByTheRule)
{
    bool (*const one)(int, int) = [](int x, int y) { return x == 1 && y == 2; };
    bool (*const none)(int, int) = [](int, int) { return false; };
    bool (*const all)(int, int) = [](int, int) { return true; };
    const struct { int width, height; bool (*green)(int, int); int target; BOOL centre; } cases[] = {
        {4, 4, one, 8, TRUE}, {6, 6, none, 4, TRUE}, {6, 6, none, 8, FALSE}, {3, 3, all, 5, TRUE},
    };
    for (const auto& c : cases) {
        TransparentBitmap picture;
        MakePicture(picture, c.width, c.height, c.green);
        Canvas target(c.target, c.target - 2, kMarker);
        picture.DrawTransparent(&target.dc, 0, 0, c.target, c.target - 2, kGreen, kFace, c.centre);
        const int left = c.centre ? (c.target - c.width) / 2 : 0;
        const int top = c.centre ? (c.target - 2 - c.height) / 2 : 0;
        for (int y = 0; y < c.target - 2; y++)
            for (int x = 0; x < c.target; x++) {
                const int px = x - left, py = y - top;
                const bool inside = px >= 0 && px < c.width && py >= 0 && py < c.height;
                const COLORREF want = inside && !c.green(px, py) ? Pattern(px, py) : kFace;
                EXPECT_EQ(want, target.At(x, y)) << "case " << &c - cases << " at " << x << "," << y;
            }
    }
    TransparentBitmap empty;
    Canvas untouched(5, 5, kMarker);
    empty.DrawTransparent(&untouched.dc, 0, 0, 5, 5, kGreen, kFace, TRUE);
    EXPECT_EQ(kMarker, untouched.At(2, 2)) << "no bitmap draws nothing";
}
