// The window side of caption_test.py: eight dialogs, one for each mix of
// system menu, minimize and maximize box (bit 1, 2, 4 of the number), or,
// with --find TITLE, an existing window. Prints the screen points where a
// part of the caption must show a colour, then what the dialogs receive.
#include "caption_bar.h"
#include "wizard_dialog.h"
#include <algorithm>
#include <cstdio>
#include <cstring>

using namespace caption;

static unsigned long Rgb(COLORREF c)
{
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

static void PrintChecks(int id, HWND w)
{
    RECT r;
    GetWindowRect(w, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    const unsigned long style = GetWindowLongA(w, GWL_STYLE);
    const Metrics m = ReadCaptionMetrics();
    const Layout l = LayOut({r.left, r.top, r.right, r.bottom}, style, m);
    const unsigned long colour[] = {Rgb(GetSysColor(COLOR_WINDOWFRAME)), 0xC0C0C0, 0x808080,
                                    0xFFFFFF, 0};
    // What falls in the client area is hidden by it: the system's caption
    // can be a pixel lower than the library's.
    RECT client;
    GetClientRect(w, &client);
    MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&client), 2);
    auto check = [&](const char* what, int x, int y, Colour c) {
        if (!PtInRect(&client, {x, y}))
            std::printf("check %d %s %d %d %06lx\n", id, what, x, y, colour[c]);
    };
    const FrameLines f = FrameOf(width, height, style, m);
    check("outline", r.left + f.line[0].width / 4, r.top + height / 2, LightGrey);
    for (int i = 1; i < f.count; i++) {
        const Line& n = f.line[i];
        check("frame-line", r.left + std::min((n.x0 + n.x1) / 2, width - 1),
              r.top + std::min((n.y0 + n.y1) / 2, height - 1), n.colour);
    }
    check("frame-row", (l.frameRow.left + l.frameRow.right) / 2, l.frameRow.top, WindowFrame);
    std::printf("fill %d %d %d\n", id, l.title.right - 12, l.title.top + 3);
    if (l.hasSysMenu) {
        check("sysmenu-box", l.sysBox.left + 2, l.sysBox.top + 2, LightGrey);
        std::printf("sysmenu %d %d %d\n", id, l.sysBox.left + 6, l.sysBox.top + 6);
    }
    const char* names[] = {"minimize", "maximize"};
    const Rect buttons[] = {l.minButton, l.maxButton};
    for (int b = 0; b < 2; b++) {
        if (!(b ? l.hasMax : l.hasMin))
            continue;
        const Rect& box = buttons[b];
        const int mid = (box.top + box.bottom) / 2;
        check("button-edge", box.left - 1, mid, WindowFrame);
        check("button-light", box.left, mid, White);
        check("button-face", box.left + 2, box.top + 2, LightGrey);
        const Rows rows = GlyphRows(b ? GlyphMaximize : GlyphMinimize,
                                    ButtonFaceOf(box, false, m.cyCaption).glyph);
        check("glyph", (rows.row[0].left + rows.row[0].right - 1) / 2, rows.row[0].y, Black);
        std::printf("%s %d %d %d\n", names[b], id, box.left + 4, mid);
    }
}

static void PrintColours()
{
    std::printf("colours %06lx %06lx\n", Rgb(GetSysColor(COLOR_ACTIVECAPTION)),
        Rgb(GetSysColor(COLOR_INACTIVECAPTION)));
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
        return WizardDialog::WindowProc(message, wParam, lParam);
    }

private:
    int m_id;
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
