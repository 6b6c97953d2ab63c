// Windows itself reads the artwork: the bitmaps keep their size, their 16
// colours and the pure green the wizard turns into the button face; the
// icons load at 32 x 32 with a transparent surround.
#include <windows.h>
#include <gtest/gtest.h>

namespace {

COLORREF PixelOf(HBITMAP bitmap, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    COLORREF colour = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return colour;
}

}  // namespace

TEST(Artwork, PicturesLoadWithSizeColoursAndKeyGreen) {
    struct { int id, width, height; } pictures[] = {
        {300, 117, 213}, {301, 117, 213}, {302, 117, 213}, {303, 117, 213},
        {304, 117, 213}, {305, 117, 213}, {306, 108, 291}};
    for (const auto& p : pictures) {
        HANDLE image = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(p.id), IMAGE_BITMAP,
                                  0, 0, LR_CREATEDIBSECTION);
        ASSERT_NE(nullptr, image) << p.id;
        HBITMAP bitmap = static_cast<HBITMAP>(image);
        DIBSECTION dib = {};
        ASSERT_EQ(static_cast<int>(sizeof dib), GetObjectA(bitmap, sizeof dib, &dib)) << p.id;
        EXPECT_EQ(p.width, dib.dsBm.bmWidth) << p.id;
        EXPECT_EQ(p.height, dib.dsBm.bmHeight) << p.id;
        EXPECT_EQ(4, dib.dsBm.bmBitsPixel) << p.id;
        // The margin shows the face; the scene inside does not.
        EXPECT_EQ(RGB(0, 255, 0), PixelOf(bitmap, 0, 0)) << p.id;
        EXPECT_NE(RGB(0, 255, 0), PixelOf(bitmap, p.width / 2, p.height / 2)) << p.id;
        DeleteObject(bitmap);
    }
}

TEST(Artwork, IconsLoadAt32WithTransparentCorners) {
    for (int id : {200, 577}) {
        HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id),
                                                   IMAGE_ICON, 32, 32, 0));
        ASSERT_NE(nullptr, icon) << id;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info)) << id;
        BITMAP colour = {};
        GetObjectA(info.hbmColor, sizeof colour, &colour);
        EXPECT_EQ(32, colour.bmWidth) << id;
        EXPECT_EQ(32, colour.bmHeight) << id;
        // A set mask bit is see-through: the corners must be.
        EXPECT_EQ(RGB(255, 255, 255), PixelOf(info.hbmMask, 0, 0)) << id;
        EXPECT_EQ(RGB(255, 255, 255), PixelOf(info.hbmMask, 31, 0)) << id;
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}
