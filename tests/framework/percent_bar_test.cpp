// The percent bar on the screen: its window class, and every pixel of the
// bar read back from the display and compared with a picture drawn here
// from the bar's rules (frame lines, the two parts, the centred number).
#include "percent_bar.h"
#include "scripted_sheet.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// A colour of its own for each system colour the bar uses, so that every
// pixel tells which rule drew it.
const int kElements[] = {COLOR_BTNSHADOW,     COLOR_BTNHIGHLIGHT,    COLOR_WINDOWFRAME,
                         COLOR_BTNFACE,       COLOR_ACTIVECAPTION,   COLOR_INACTIVECAPTION,
                         COLOR_CAPTIONTEXT,   COLOR_INACTIVECAPTIONTEXT};
const COLORREF kDistinct[] = {RGB(0x40, 0, 0),    RGB(0, 0x60, 0),    RGB(0, 0, 0x50),
                              RGB(0x70, 0x70, 0), RGB(0, 0x80, 0x80), RGB(0x90, 0, 0x90),
                              RGB(0xF0, 0xF0, 0x20), RGB(0x20, 0xF0, 0xF0)};
const int kCount = sizeof kElements / sizeof kElements[0];

class PercentBarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseTestModuleAsLibrary();
        for (int i = 0; i < kCount; i++)
            saved[i] = GetSysColor(kElements[i]);
        SetSysColors(kCount, kElements, kDistinct);
        host = CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE, 40, 40, 260, 80, nullptr,
                             nullptr, nullptr, nullptr);
    }
    void TearDown() override
    {
        DestroyWindow(host);
        SetSysColors(kCount, kElements, saved);
    }
    HWND Bar(int width, int height)
    {
        return CreateWindowA("CQPercentBar", "", WS_CHILD | WS_VISIBLE, 10, 10, width, height,
                             host, nullptr, AfxGetAppState()->m_hCurrentResourceHandle, nullptr);
    }
    COLORREF saved[kCount];
    HWND host = nullptr;
};

COLORREF Sys(int element) { return GetSysColor(element); }

// A w by h picture in memory, to draw into or copy the screen into.
struct MemoryPicture {
    MemoryPicture(int w, int h)
        : screen(GetDC(nullptr)), dc(CreateCompatibleDC(screen)),
          bitmap(CreateCompatibleBitmap(screen, w, h)), old(SelectObject(dc, bitmap)) {}
    ~MemoryPicture()
    {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
    }
    HDC screen, dc;
    HBITMAP bitmap;
    HGDIOBJ old;
};

// What the bar must show, pixel by pixel (CLR_INVALID: not checked).
std::vector<COLORREF> Expected(int w, int h, int percent)
{
    std::vector<COLORREF> px(w * h, CLR_INVALID);
    auto row = [&](int y, int x0, int x1, int c) { for (int x = x0; x < x1; x++) px[y * w + x] = Sys(c); };
    auto column = [&](int x, int y0, int y1, int c) { for (int y = y0; y < y1; y++) px[y * w + x] = Sys(c); };
    // The sunken frame, in painting order: outer shadow top and left, outer
    // highlight along the bottom, inner frame colour top and left, inner
    // button face along the bottom and down the right.
    row(0, 0, w, COLOR_BTNSHADOW);
    column(0, 0, h - 1, COLOR_BTNSHADOW);
    row(h - 1, 0, w, COLOR_BTNHIGHLIGHT);
    row(1, 1, w - 1, COLOR_WINDOWFRAME);
    column(1, 1, h - 2, COLOR_WINDOWFRAME);
    row(h - 2, 1, w, COLOR_BTNFACE);
    column(w - 1, 1, h - 1, COLOR_BTNFACE);

    const RECT in = {2, 2, w - 1, h - 2};
    const int split = in.left + (in.right - in.left) * (percent < 100 ? percent : 100) / 100;
    for (int y = in.top; y < in.bottom; y++) {
        row(y, in.left, split, COLOR_ACTIVECAPTION);
        row(y, split, in.right, COLOR_INACTIVECAPTION);
    }
    // The number, centred on the interior's middle, its top a sixth of the
    // interior's height down from the bar's top, in the default font.
    MemoryPicture picture(w, h);
    const HDC dc = picture.dc;
    RECT all = {0, 0, w, h};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextAlign(dc, TA_CENTER | TA_TOP);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    char text[16];
    std::snprintf(text, sizeof text, "%d%%", percent);
    TextOutA(dc, in.left + (in.right - in.left) / 2, (in.bottom - in.top) / 6, text, lstrlenA(text));
    // Edge pixels of smoothed letters are mixed with what lies under them:
    // only fully inked pixels and untouched ones are checked.
    for (int y = in.top; y < in.bottom; y++)
        for (int x = in.left; x < in.right; x++) {
            const COLORREF ink = GetPixel(dc, x, y);
            if (ink == RGB(0, 0, 0))
                px[y * w + x] = Sys(x < split ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT);
            else if (ink != RGB(0xFF, 0xFF, 0xFF))
                px[y * w + x] = CLR_INVALID;
        }
    return px;
}

// The bar's pixels as the display shows them, once the window system has
// had time to put them there.
std::vector<COLORREF> OnScreen(HWND bar)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < 300;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(20);
    }
    RECT r;
    GetWindowRect(bar, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    MemoryPicture picture(w, h);
    BitBlt(picture.dc, 0, 0, w, h, picture.screen, r.left, r.top, SRCCOPY);
    std::vector<COLORREF> px(w * h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            px[y * w + x] = GetPixel(picture.dc, x, y);
    return px;
}

std::string Differences(const std::vector<COLORREF>& got, const std::vector<COLORREF>& want, int w)
{
    std::string out;
    int shown = 0, wrong = 0;
    for (size_t i = 0; i < want.size(); i++) {
        if (want[i] == CLR_INVALID || got[i] == want[i])
            continue;
        if (shown++ < 12) {
            char line[80];
            std::snprintf(line, sizeof line, " (%d,%d) is %06lx, want %06lx;", int(i % w),
                          int(i / w), got[i], want[i]);
            out += line;
        }
        wrong++;
    }
    return wrong ? std::to_string(wrong) + " pixels wrong:" + out : "";
}

TEST_F(PercentBarTest, ClassIsACopyOfStaticOwnedByTheLibraryAndActsAsOne)
{
    ASSERT_EQ(1, RegisterPercentBarClass());
    EXPECT_EQ(1, RegisterPercentBarClass()) << "a second registration is not refused";
    WNDCLASSA bar, stat;
    ASSERT_TRUE(GetClassInfoA(AfxGetAppState()->m_hCurrentResourceHandle, "CQPercentBar", &bar));
    ASSERT_TRUE(GetClassInfoA(nullptr, "static", &stat));
    EXPECT_EQ(stat.style, bar.style);
    EXPECT_EQ(stat.cbWndExtra, bar.cbWndExtra);
    EXPECT_EQ(stat.hCursor, bar.hCursor);
    EXPECT_NE(stat.lpfnWndProc, bar.lpfnWndProc);

    // Another module's class of the same name is not taken for the bar's.
    HINSTANCE library = AfxGetAppState()->m_hCurrentResourceHandle;
    HINSTANCE other = GetModuleHandleA("kernel32.dll");
    WNDCLASSA foreign = {};
    foreign.lpfnWndProc = DefWindowProcA;
    foreign.hInstance = other;
    foreign.lpszClassName = "CQPercentBar";
    ASSERT_TRUE(RegisterClassA(&foreign));
    AfxGetAppState()->m_hCurrentResourceHandle = other;
    EXPECT_EQ(0, RegisterPercentBarClass());
    AfxGetAppState()->m_hCurrentResourceHandle = library;

    // Other messages are the static control's.
    HWND window = Bar(120, 20);
    ASSERT_TRUE(window);
    EXPECT_TRUE(dynamic_cast<CQPercentBar*>(CWnd::FromHandlePermanent(window)))
        << "no object behind the window after its first message";
    SetWindowTextA(window, "text");
    char text[16] = "";
    GetWindowTextA(window, text, sizeof text);
    EXPECT_STREQ("text", text);
    EXPECT_EQ(HTTRANSPARENT, SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(50, 50)));
    DestroyWindow(window);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(window));
}

TEST_F(PercentBarTest, PaintsFrameBothPartsAndTheCentredNumber)
{
    ASSERT_EQ(1, RegisterPercentBarClass());
    // Tall enough that a sixth of the interior is not the interior's top.
    const int w = 201, h = 40;
    HWND bar = Bar(w, h);
    ASSERT_TRUE(bar);
    CQPercentBar* object = dynamic_cast<CQPercentBar*>(CWnd::FromHandlePermanent(bar));
    ASSERT_TRUE(object);
    for (int percent : {0, 20, 50, 87, 100, 150}) {
        object->m_percent = percent;
        InvalidateRect(bar, nullptr, TRUE);
        UpdateWindow(bar);
        EXPECT_EQ("", Differences(OnScreen(bar), Expected(w, h, percent), w))
            << "at " << percent << "%";
    }
    DestroyWindow(bar);
}

}  // namespace
