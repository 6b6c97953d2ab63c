// WIZDRIVE's "picture" command: whether a wizard's picture control shows a
// given bitmap of the wizard library, as a person sees it: every pixel of
// the bitmap where it is drawn centred, its pure green as the button face.
#include "wizdrive_picture.h"
#include <vector>

namespace {

const COLORREF kKeyColour = RGB(0, 255, 0);

// The pixels of a device context's bitmap, as COLORREFs, top row first.
std::vector<COLORREF> PixelsOf(HDC dc, HBITMAP bitmap, int width, int height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<COLORREF> pixels(static_cast<size_t>(width) * height);
    if (!GetDIBits(dc, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS))
        pixels.clear();
    for (COLORREF& p : pixels)  // DIB order is blue, green, red
        p = RGB(GetBValue(p), GetGValue(p), GetRValue(p));
    return pixels;
}

// What the control shows now, copied off the screen (a window of another
// process is read where it is on the screen, not from its own device context).
std::vector<COLORREF> ShownPixels(HWND control, int width, int height)
{
    POINT origin = {0, 0};
    ClientToScreen(control, &origin);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP copy = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, copy);
    BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    SelectObject(memory, old);
    std::vector<COLORREF> pixels = PixelsOf(memory, copy, width, height);
    DeleteObject(copy);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

}  // namespace

std::string ComparePicture(HWND sheet, int bitmapId)
{
    HWND control = GetDlgItem(sheet, 1000);
    HMODULE library = LoadLibraryExA("QVWIZ32.DLL", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HBITMAP bitmap = library ? LoadBitmapA(library, MAKEINTRESOURCEA(bitmapId)) : nullptr;
    BITMAP shape;
    RECT client;
    if (!control || !bitmap || !GetObjectA(bitmap, sizeof shape, &shape) || !GetClientRect(control, &client))
        return "error no picture control or no bitmap " + std::to_string(bitmapId);
    HDC screen = GetDC(nullptr);
    std::vector<COLORREF> want = PixelsOf(screen, bitmap, shape.bmWidth, shape.bmHeight);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    FreeLibrary(library);
    std::vector<COLORREF> shown = ShownPixels(control, client.right, client.bottom);
    if (want.empty() || shown.empty())
        return "error cannot read the pixels";
    // Centred as C divides: a bitmap larger than the control is cut evenly.
    int left = (client.right - shape.bmWidth) / 2, top = (client.bottom - shape.bmHeight) / 2;
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    int differing = 0;
    for (int y = 0; y < shape.bmHeight; y++)
        for (int x = 0; x < shape.bmWidth; x++) {
            int sx = left + x, sy = top + y;
            if (sx < 0 || sy < 0 || sx >= client.right || sy >= client.bottom)
                continue;
            COLORREF expected = want[y * shape.bmWidth + x];
            differing += shown[sy * client.right + sx] != (expected == kKeyColour ? face : expected);
        }
    return "ok " + std::to_string(differing);
}
