// The window side of caption_test.py: eight dialogs, one for each mix of
// system menu, minimize and maximize box (bit 1, 2, 4 of the number), or,
// with --find TITLE, an existing window. Prints the screen points where the
// caption and frame must show a colour, worked out from the metrics and the
// style (checks of a maximized dialog carry its number plus 10), where to
// click, then what the dialogs receive. A dialog that is minimized opens
// its system menu the way the library does and closes it again.
#include "caption_bar.h"
#include "wizard_dialog.h"
#include <algorithm>
#include <utility>
#include <vector>
#include <cstdio>
#include <cstring>

static unsigned long Rgb(COLORREF c)
{
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

// What the caption and frame must look like, in window coordinates: the
// parts in painting order, each a rectangle of one colour, worked out here
// from the system metrics and the style alone. A point shows the colour of
// the last part that covers it.
const unsigned long kFill = 0x1000000, kSkip = 0x2000000;
struct Part { const char* name; RECT r; unsigned long colour; };

struct Picture {
    std::vector<Part> parts;
    std::vector<std::pair<const char*, POINT>> clicks;   // where to press each part
    // The title along the text's middle row: the area right of the box
    // and the span the centred text must keep to.
    int titleFrom, titleTo, textFrom, textTo, textRow;
    void Add(const char* name, int l, int t, int r, int b, unsigned long colour)
    {
        if (l < r && t < b)
            parts.push_back({name, {l, t, r, b}, colour});
    }
    const Part* At(int x, int y) const
    {
        for (size_t i = parts.size(); i-- > 0;)
            if (PtInRect(&parts[i].r, {x, y}))
                return &parts[i];
        return nullptr;
    }
};

static void AddGlyphRows(Picture& p, const char* name, int cx, int y, int from, int to, int step)
{
    for (int i = from; i != to + step; i += step)
        p.Add(name, cx - i, y + step * i, cx + i - 1, y + step * i + 1, 0);   // odd widths
}

static void AddButton(Picture& p, HWND w, int left, int right, int top, int bottom, bool minimize,
                      int cy)
{
    const unsigned long frame = Rgb(GetSysColor(COLOR_WINDOWFRAME));
    const int bevel = cy < 20 ? 1 : 2;
    p.Add("button-edge", left - 1, top, left, bottom, frame);
    bottom -= 1;
    p.Add("button-face", left, top, right, bottom, 0xC0C0C0);
    p.Add("button-light", left, top, left + 1, bottom, 0xFFFFFF);
    p.Add("button-light", left, top, right, top + 1, 0xFFFFFF);
    p.Add("button-shadow", right - 1, top, right, bottom, 0x808080);
    p.Add("button-shadow", left, bottom - 1, right, bottom, 0x808080);
    if (cy > 20) {
        p.Add("button-shadow", right - 2, top + 1, right, bottom, 0x808080);
        p.Add("button-shadow", left + 1, bottom - 2, right, bottom, 0x808080);
    }
    RECT g = {left + 1, top + 1, right - bevel, bottom - bevel};
    const int d = cy / 2 - (g.right - g.left);
    if (d < 1)
        InflateRect(&g, d / 2 - 1, d / 2 - 1);
    const int half = (g.bottom - g.top) >> 1, cx = g.left + ((g.right - g.left + 1) >> 1);
    if (minimize) {
        AddGlyphRows(p, "glyph-down", cx, g.bottom - ((g.bottom - g.top - 1) >> 2), half, 1, -1);
    } else if (!IsZoomed(w)) {
        AddGlyphRows(p, "glyph-up", cx, g.top + ((g.bottom - g.top - 1) >> 2), 1, half, 1);
    } else {
        const int y0 = g.top + ((g.bottom - g.top - 1) >> 3) - 2;
        AddGlyphRows(p, "glyph-restore", cx, y0, 1, half, 1);
        AddGlyphRows(p, "glyph-restore", cx, y0 + 2 * half + 2, half, 1, -1);
    }
}

static Picture Expected(HWND w)
{
    RECT wr;
    GetWindowRect(w, &wr);
    const int W = wr.right - wr.left, H = wr.bottom - wr.top;
    const unsigned long style = GetWindowLongA(w, GWL_STYLE);
    const int cxFrame = GetSystemMetrics(SM_CXFRAME), cyFrame = GetSystemMetrics(SM_CYFRAME);
    const int cxDlg = GetSystemMetrics(SM_CXDLGFRAME), cyDlg = GetSystemMetrics(SM_CYDLGFRAME);
    const int cxBorder = GetSystemMetrics(SM_CXBORDER), cyBorder = GetSystemMetrics(SM_CYBORDER);
    const int cxSize = GetSystemMetrics(SM_CXSIZE), cy = GetSystemMetrics(SM_CYCAPTION);
    const unsigned long frame = Rgb(GetSysColor(COLOR_WINDOWFRAME));
    const bool sys = style & WS_SYSMENU, hasMin = style & WS_MINIMIZEBOX,
               hasMax = style & WS_MAXIMIZEBOX;

    int ix = 0, iy = 0;
    if (style & WS_THICKFRAME)
        ix = cxFrame, iy = cyFrame;
    else if (style & DS_MODALFRAME)
        ix = cxDlg + cxBorder, iy = cyDlg + cyBorder;
    else if (style & WS_BORDER)
        ix = cxBorder, iy = cyBorder;
    const int L = ix, T = iy, R = W - ix, B = T + cy;
    const int titleRight = R - cy * ((hasMin ? 1 : 0) + (hasMax ? 1 : 0));

    Picture p;
    p.Add("frame-row", L, B - 2, R, B - 1, frame);
    p.Add("fill", L, T, titleRight, B - 2, kFill);
    // The title's letters: checked along one row only (the "title" line).
    HDC dc = GetWindowDC(w);
    char title[128];
    const int length = GetWindowTextA(w, title, sizeof title);
    SIZE text;
    GetTextExtentPoint32A(dc, title, length, &text);
    ReleaseDC(w, dc);
    const int tx = L + std::max(0, (titleRight - L - static_cast<int>(text.cx)) / 2);
    p.Add("title", tx - 1, T, std::min(tx + static_cast<int>(text.cx) + 1, titleRight), B - 2, kSkip);
    p.titleFrom = sys ? L + cy : L;
    p.titleTo = titleRight;
    p.textFrom = tx;
    p.textTo = tx + text.cx;
    p.textRow = T + (cy - text.cy) / 2 + text.cy / 2;
    if (sys) {
        p.Add("sysmenu-box", L, T, L + cy, B - 1, 0xC0C0C0);
        const int left = L + 4, top = T + (cy - 1) / 2, right = L + cy - 2;
        p.Add("sysmenu-bar", left, top, right, top + 3, 0x808080);
        p.Add("sysmenu-bar", left - 1, top - 1, right - 1, top + 2, 0);
        p.Add("sysmenu-bar", left, top, right - 2, top + 1, 0xFFFFFF);
        p.clicks.push_back({"sysmenu", {L + 6, T + 6}});
    }
    if (hasMin) {
        const int right = R - (hasMax ? cy : 0);
        AddButton(p, w, right - cy + 1, right, T, B, true, cy);
        p.clicks.push_back({"minimize", {right - cy + 5, (T + B) / 2}});
    }
    if (hasMax) {
        AddButton(p, w, R - cy + 1, R, T, B, false, cy);
        p.clicks.push_back({"maximize", {R - cy + 5, (T + B) / 2}});
    }
    if (sys) {
        // Wine's own caption reaches a pixel past the drawn one: there its
        // close box answers, above it and in the column on its right.
        p.clicks.push_back({"band", {W - cxDlg - 1, cyDlg + cy / 2}});
        p.clicks.push_back({"band", {W - cxDlg - cy / 2, cyDlg}});
    }

    // The frame over it: a light-grey outline, its wide pen centred on the
    // rectangle's edges (the right and bottom ones a pixel inside the
    // window), white top and left edges, black right and bottom edges, then
    // the thin dark-grey and white lines of the caption's groove.
    const int band = cxDlg + cxBorder;
    p.Add("outline", 0, 0, W, band, 0xC0C0C0);
    p.Add("outline", 0, H - 1 - band, W, H, 0xC0C0C0);
    p.Add("outline", 0, 0, band, H, 0xC0C0C0);
    p.Add("outline", W - 1 - band, 0, W, H, 0xC0C0C0);
    p.Add("edge-white", 0, 0, 1, H, 0xFFFFFF);
    p.Add("edge-white", 0, 0, W, 1, 0xFFFFFF);
    p.Add("edge-black", W - 1, 0, W, H, 0);
    p.Add("edge-black", 0, H - 1, W, H, 0);
    const int x1 = cxSize + cxFrame + cxBorder + 2, y1 = cxDlg + cxBorder;
    const int x2 = W - cxFrame - 3, y2 = cy + 3, a = x1 - cxSize - 2;
    p.Add("groove-dark", a, y1 + 1, a + 1, y2 + 1, 0x808080);
    p.Add("groove-dark", a, y1, x2, y1 + 1, 0x808080);
    if (sys)
        p.Add("groove-dark", x1, y1, x1 + 1, y2, 0x808080);
    if (!hasMin && !hasMax)
        p.Add("groove-white", x2, y1, x2 + 1, y2, 0xFFFFFF);
    p.Add("groove-white", a, y2, x2 + 1, y2 + 1, 0xFFFFFF);
    return p;
}

// Prints the points to read back, with the colour each must have: the
// middle and the corners of every part, and for glyph rows the pixel
// either side. Points the client area covers, or off the screen, are left
// out: the system's caption can be a pixel lower than the library's.
static void PrintChecks(int id, HWND w)
{
    RECT wr, client;
    GetWindowRect(w, &wr);
    GetClientRect(w, &client);
    MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&client), 2);
    const Picture p = Expected(w);
    std::vector<POINT> seen;
    auto check = [&](int x, int y) {
        const Part* part = p.At(x, y);
        const POINT at = {wr.left + x, wr.top + y};
        if (!part || part->colour == kSkip || PtInRect(&client, at) || at.x < 0 || at.y < 0 ||
            at.x >= GetSystemMetrics(SM_CXSCREEN) || at.y >= GetSystemMetrics(SM_CYSCREEN))
            return;
        for (const POINT& s : seen)
            if (s.x == at.x && s.y == at.y)
                return;
        seen.push_back(at);
        if (part->colour == kFill)
            std::printf("fill %d %ld %ld\n", id, at.x, at.y);
        else
            std::printf("check %d %s %ld %ld %06lx\n", id, part->name, at.x, at.y, part->colour);
    };
    for (const Part& part : p.parts) {
        const RECT& r = part.r;
        check((r.left + r.right - 1) / 2, (r.top + r.bottom - 1) / 2);
        check(r.left, r.top);
        check(r.right - 1, r.top);
        check(r.left, r.bottom - 1);
        check(r.right - 1, r.bottom - 1);
        if (std::strncmp(part.name, "glyph", 5) == 0) {
            check(r.left - 1, r.top);
            check(r.right, r.top);
        }
    }
    for (const auto& c : p.clicks)
        std::printf("%s %d %ld %ld\n", c.first, id, wr.left + c.second.x, wr.top + c.second.y);
    std::printf("title %d %ld %ld %ld %ld %ld\n", id, wr.left + p.titleFrom, wr.left + p.titleTo,
                wr.left + p.textFrom, wr.left + p.textTo, wr.top + p.textRow);
}

static void PrintColours()
{
    std::printf("colours %06lx %06lx %06lx %06lx\n", Rgb(GetSysColor(COLOR_ACTIVECAPTION)),
                Rgb(GetSysColor(COLOR_INACTIVECAPTION)), Rgb(GetSysColor(COLOR_CAPTIONTEXT)),
                Rgb(GetSysColor(COLOR_INACTIVECAPTIONTEXT)));
}

class ProbeDialog : public WizardDialog {
public:
    explicit ProbeDialog(int id) : WizardDialog(1, nullptr, 0, PlaceOnScreen), m_id(id) { Create(1); }

protected:
    BOOL OnInitDialog() override
    {
        BOOL result = WizardDialog::OnInitDialog();
        const LONG boxes[] = {WS_SYSMENU, WS_MINIMIZEBOX, WS_MAXIMIZEBOX};
        LONG style = GetWindowLongA(m_hWnd, GWL_STYLE);
        for (int bit = 0; bit < 3; bit++)
            if (m_id & (1 << bit))
                style |= boxes[bit];
        SetWindowLongA(m_hWnd, GWL_STYLE, style);
        SetWindowPos(nullptr, 20 + (m_id % 3) * 330, 20 + (m_id / 3) * 250, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
        ShowWindow(SW_SHOW);
        return result;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_SYSCOMMAND)
            std::printf("syscommand %d %x\n", m_id, static_cast<unsigned>(wParam & 0xFFF0));
        RECT r;
        ::GetWindowRect(m_hWnd, &r);
        if (message == WM_ENTERSIZEMOVE)
            m_startedAt = {r.left, r.top};
        if (message == WM_EXITSIZEMOVE)
            std::printf("moved %d %ld %ld\n", m_id, r.left - m_startedAt.x, r.top - m_startedAt.y);
        if (message == WM_CLOSE || message == WM_EXITMENULOOP)
            std::printf("%s %d\n", message == WM_CLOSE ? "close" : "menuend", m_id);
        if (message == WM_INITMENUPOPUP) {
            // Which of move, size, minimize, maximize, restore are greyed.
            char greyed[6] = {};
            const UINT items[] = {SC_MOVE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE};
            for (int i = 0; i < 5; i++)
                greyed[i] = GetMenuState((HMENU)wParam, items[i], MF_BYCOMMAND) & MF_GRAYED ? '1' : '0';
            std::printf("menu %d %s\n", m_id, greyed);
        }
        if (message == WM_APP) {
            // The menu an iconic window would get from its box, closed again
            // shortly after.
            SetTimer(m_hWnd, 1, 400, nullptr);
            PressCaptionButton(m_hWnd, HTSYSMENU, 0);
        }
        if (message == WM_TIMER && wParam == 1) {
            KillTimer(m_hWnd, 1);
            EndMenu();
        }
        const LRESULT result = WizardDialog::WindowProc(message, wParam, lParam);
        if (message == WM_SIZE && wParam == SIZE_MAXIMIZED) {
            PrintChecks(m_id + 10, m_hWnd);
            std::printf("maximized %d\n", m_id);
        }
        if (message == WM_SIZE && wParam == SIZE_MINIMIZED)
            PostMessage(WM_APP);
        return result;
    }

private:
    int m_id;
    POINT m_startedAt = {};
};

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc == 3 && std::strcmp(argv[1], "--find") == 0) {
        HWND w = FindWindowA(nullptr, argv[2]);
        if (w)
            PrintChecks(0, w);
        PrintColours();
        return w ? 0 : 1;
    }
    ProbeDialog* dialogs[8];
    for (int i = 0; i < 8; i++)
        dialogs[i] = new ProbeDialog(i);
    for (int i = 0; i < 8; i++)
        PrintChecks(i, dialogs[i]->m_hWnd);
    PrintColours();
    std::printf("ready\n");
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
