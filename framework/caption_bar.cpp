#include "caption_bar.h"
#include "caption_geometry.h"
#include <vector>

using namespace caption;

// 1 right after a click on the system-menu box opened the menu: the next
// click on the box then only closes it.
static const char kMenuOpenedProperty[] = "ibFlag";

Metrics ReadCaptionMetrics()
{
    return {GetSystemMetrics(SM_CXFRAME),    GetSystemMetrics(SM_CYFRAME),
            GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CYDLGFRAME),
            GetSystemMetrics(SM_CXBORDER),   GetSystemMetrics(SM_CYBORDER),
            GetSystemMetrics(SM_CXSIZE),     GetSystemMetrics(SM_CYCAPTION)};
}

namespace {

unsigned long StyleOf(HWND window)
{
    return static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE));
}

// The layout in screen coordinates, or, with inWindow, in the window's own.
Layout LayoutOf(HWND window, bool inWindow)
{
    RECT r;
    GetWindowRect(window, &r);
    Rect rect = {r.left, r.top, r.right, r.bottom};
    if (inWindow)
        rect = {0, 0, r.right - r.left, r.bottom - r.top};
    return LayOut(rect, StyleOf(window), ReadCaptionMetrics());
}

RECT ToRECT(const Rect& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

COLORREF ColourOf(Colour colour)
{
    switch (colour) {
    case WindowFrame: return GetSysColor(COLOR_WINDOWFRAME);
    case LightGrey: return RGB(0xC0, 0xC0, 0xC0);
    case DarkGrey: return RGB(0x80, 0x80, 0x80);
    case White: return RGB(0xFF, 0xFF, 0xFF);
    case Black: break;
    }
    return RGB(0, 0, 0);
}

void FillWith(HDC dc, const Rect& rect, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    RECT r = ToRECT(rect);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

void DrawFills(HDC dc, const Fills& fills)
{
    for (int i = 0; i < fills.count; i++)
        FillWith(dc, fills.fill[i].rect, GetNearestColor(dc, ColourOf(fills.fill[i].colour)));
}

void DrawSysMenuBox(HDC dc, const Rect& box, bool pressed)
{
    DrawFills(dc, SysMenuBoxFills(box, GetSystemMetrics(SM_CYCAPTION)));
    if (pressed) {
        RECT r = ToRECT(box);
        InvertRect(dc, &r);
    }
}

void DrawCaptionButton(HDC dc, HWND window, const Rect& button, Glyph glyph, bool pressed)
{
    const ButtonFace face = ButtonFaceOf(button, pressed, GetSystemMetrics(SM_CYCAPTION));
    DrawFills(dc, face.fills);
    if (glyph == GlyphMaximize && IsZoomed(window))
        glyph = GlyphRestore;
    const Rows rows = GlyphRows(glyph, face.glyph);
    for (int i = 0; i < rows.count; i++)
        FillWith(dc, {rows.row[i].left, rows.row[i].y, rows.row[i].right, rows.row[i].y + 1},
                 RGB(0, 0, 0));
}

// The drawn state of one part of the caption, on the window's own context.
enum Part { PartSysMenu, PartMinimize, PartMaximize };

void DrawPart(HWND window, Part part, bool pressed)
{
    HDC dc = GetWindowDC(window);
    if (!dc)
        return;
    const Layout l = LayoutOf(window, true);
    if (part == PartSysMenu)
        DrawSysMenuBox(dc, l.sysBox, pressed);
    else if (part == PartMinimize)
        DrawCaptionButton(dc, window, l.minButton, GlyphMinimize, pressed);
    else
        DrawCaptionButton(dc, window, l.maxButton, GlyphMaximize, pressed);
    ReleaseDC(window, dc);
}

void DrawTitle(HDC dc, HWND window, const Rect& title, COLORREF colour)
{
    const int length = GetWindowTextLengthA(window);
    std::vector<char> text(length + 2);
    const int got = GetWindowTextA(window, text.data(), length + 2);
    SIZE size;
    GetTextExtentPoint32A(dc, text.data(), got, &size);
    const Point at = TitleOrigin(title, size.cx, size.cy);
    RECT clip = ToRECT(title);
    SetTextColor(dc, colour);
    ExtTextOutA(dc, at.x, at.y, ETO_CLIPPED, &clip, text.data(), got, nullptr);
}

void PaintCaption(HWND window, HDC dc, BOOL active)
{
    const Layout l = LayoutOf(window, true);
    const COLORREF text = GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT);
    const COLORREF fill = GetSysColor(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));

    RECT row = ToRECT(l.frameRow);
    SetBkColor(dc, GetSysColor(COLOR_WINDOWFRAME));
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &row, nullptr, 0, nullptr);

    HBRUSH brush = CreateSolidBrush(fill);
    SelectObject(dc, brush);
    // With no pen Rectangle leaves out the right column and bottom row.
    Rectangle(dc, l.title.left, l.title.top, l.title.right + 1, l.title.bottom - 1);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    DeleteObject(brush);

    DrawTitle(dc, window, l.title, text);
    if (l.hasSysMenu)
        DrawSysMenuBox(dc, l.sysBox, false);
    if (l.hasMin)
        DrawCaptionButton(dc, window, l.minButton, GlyphMinimize, false);
    if (l.hasMax)
        DrawCaptionButton(dc, window, l.maxButton, GlyphMaximize, false);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
}

void PaintFrame(HWND window, HDC dc)
{
    RECT r;
    GetWindowRect(window, &r);
    const FrameLines frame =
        FrameOf(r.right - r.left, r.bottom - r.top, StyleOf(window), ReadCaptionMetrics());
    SetBkMode(dc, OPAQUE);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    HGDIOBJ oldPen = GetCurrentObject(dc, OBJ_PEN);
    for (int i = 0; i < frame.count; i++) {
        const Line& line = frame.line[i];
        HPEN pen = CreatePen(PS_SOLID, line.width, ColourOf(line.colour));
        SelectObject(dc, pen);
        if (i == 0) {
            Rectangle(dc, line.x0, line.y0, line.x1, line.y1);
        } else {
            MoveToEx(dc, line.x0, line.y0, nullptr);
            LineTo(dc, line.x1, line.y1);
        }
        SelectObject(dc, oldPen);
        DeleteObject(pen);
    }
    SelectObject(dc, oldBrush);
}

void RepaintFrame(HWND window)
{
    if (HDC dc = GetWindowDC(window)) {
        PaintFrame(window, dc);
        ReleaseDC(window, dc);
    }
}

BOOL MenuOpenedFromBox(HWND window)
{
    return GetPropA(window, kMenuOpenedProperty) == reinterpret_cast<HANDLE>(1);
}

void SetMenuOpenedFromBox(HWND window, BOOL opened)
{
    SetPropA(window, kMenuOpenedProperty, reinterpret_cast<HANDLE>(opened ? 1 : 0));
}

// Shows the window's system menu under the box, with the items that do
// not apply greyed. FALSE only for a window without a system menu.
BOOL ShowSystemMenu(HWND window)
{
    const unsigned long style = StyleOf(window);
    if (!(style & WS_SYSMENU))
        return FALSE;
    DrawPart(window, PartSysMenu, true);
    const BOOL zoomed = IsZoomed(window), iconic = IsIconic(window);
    HMENU menu = GetSystemMenu(window, FALSE);
    auto enable = [menu](UINT item, bool enabled) {
        EnableMenuItem(menu, item, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    };
    enable(SC_MOVE, !zoomed && !iconic && (style & WS_CAPTION));
    enable(SC_SIZE, (style & WS_THICKFRAME) && !iconic && !zoomed);
    enable(SC_MINIMIZE, style & WS_MINIMIZEBOX);
    enable(SC_MAXIMIZE, (style & WS_MAXIMIZEBOX) || iconic);
    enable(SC_RESTORE, zoomed);
    POINT at = {0, -1};
    ClientToScreen(window, &at);
    TrackPopupMenu(menu, 0, at.x, at.y, 0, window, nullptr);
    DrawPart(window, PartSysMenu, false);
    return TRUE;
}

// Holds a caption button down while the left button is: pressed while the
// cursor is over it, unpressed when it leaves. Waits for each mouse
// message rather than polling. TRUE when released over the button.
BOOL TrackCaptionButton(HWND window, Part part)
{
    const Layout l = LayoutOf(window, false);
    const Rect button = part == PartMinimize ? l.minButton : l.maxButton;
    bool pressed = true;
    DrawPart(window, part, true);
    SetCapture(window);
    POINT at = {};
    for (;;) {
        MSG msg;
        if (!PeekMessageA(&msg, nullptr, WM_MOUSEFIRST, WM_MBUTTONDBLCLK, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_MOUSE);
            continue;
        }
        at = {(short)LOWORD(msg.lParam), (short)HIWORD(msg.lParam)};
        ClientToScreen(msg.hwnd, &at);
        if (msg.message == WM_LBUTTONUP)
            break;
        if (msg.message == WM_MOUSEMOVE && button.Contains(at.x, at.y) != pressed) {
            pressed = !pressed;
            DrawPart(window, part, pressed);
        }
    }
    if (pressed)
        DrawPart(window, part, false);
    ReleaseCapture();
    return button.Contains(at.x, at.y);
}

}  // namespace

BOOL HasCaptionBit(HWND window)
{
    return (StyleOf(window) & WS_CAPTION) != 0;
}

BOOL PaintCaptionBar(HWND window, BOOL active)
{
    const unsigned long style = StyleOf(window);
    if (!(style & WS_CAPTION) || !(style & WS_DLGFRAME) || IsIconic(window))
        return FALSE;
    HDC dc = GetWindowDC(window);
    if (!dc)
        return TRUE;
    PaintCaption(window, dc, active);
    PaintFrame(window, dc);
    ReleaseDC(window, dc);
    return TRUE;
}

LRESULT CaptionHitTest(HWND window, LRESULT standard, LPARAM point)
{
    const unsigned long style = StyleOf(window);
    LRESULT result = standard;
    // The system lays its own caption out differently (it adds a close
    // button, and its caption is a pixel larger), so inside the caption the
    // drawn layout decides and the system's buttons outside it are frame.
    const bool inSystemCaption = standard == HTNOWHERE || standard == HTCAPTION ||
                                 standard == HTSYSMENU || standard == HTMINBUTTON ||
                                 standard == HTMAXBUTTON || standard == HTCLOSE ||
                                 standard == HTHELP;
    if ((style & WS_CAPTION) && (style & WS_DLGFRAME) && !IsIconic(window) && inSystemCaption) {
        switch (HitTest(LayoutOf(window, false), (short)LOWORD(point), (short)HIWORD(point))) {
        case HitNone:
            if (standard != HTNOWHERE && standard != HTCAPTION)
                result = HTBORDER;
            break;
        case HitCaption: result = HTCAPTION; break;
        case HitSysMenu: result = HTSYSMENU; break;
        case HitMinimize: result = HTMINBUTTON; break;
        case HitMaximize: result = HTMAXBUTTON; break;
        }
    }
    if (result != HTSYSMENU) {
        if (MenuOpenedFromBox(window))
            RepaintFrame(window);
        SetMenuOpenedFromBox(window, FALSE);
    }
    return result;
}

BOOL PressCaptionButton(HWND window, WPARAM hit, LPARAM point)
{
    switch (hit) {
    case HTSYSMENU:
        SetMenuOpenedFromBox(window, !MenuOpenedFromBox(window) && ShowSystemMenu(window));
        return TRUE;
    case HTMINBUTTON:
        if (TrackCaptionButton(window, PartMinimize))
            SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, point);
        return TRUE;
    case HTMAXBUTTON:
        if (TrackCaptionButton(window, PartMaximize))
            SendMessageA(window, WM_SYSCOMMAND, IsZoomed(window) ? SC_RESTORE : SC_MAXIMIZE, point);
        return TRUE;
    }
    return FALSE;
}

void ForgetCaptionState(HWND window)
{
    RemovePropA(window, kMenuOpenedProperty);
}
