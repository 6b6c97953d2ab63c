#include "caption_geometry.h"

namespace caption {

namespace {

struct Inset { int x, y; };

Inset FrameInset(unsigned long style, const Metrics& m)
{
    if (style & kStyleThickFrame)
        return {m.cxFrame, m.cyFrame};
    if (style & kStyleModalFrame)
        return {m.cxDlgFrame + m.cxBorder, m.cyDlgFrame + m.cyBorder};
    if (style & kStyleBorder)
        return {m.cxBorder, m.cyBorder};
    return {0, 0};
}

// Slot 1 is the rightmost.
Rect ButtonSlot(const Rect& caption, int slot, int cyCaption)
{
    const int right = caption.right - (slot - 1) * cyCaption;
    return {right - cyCaption + 1, caption.top, right, caption.bottom};
}

void Add(Fills& fills, Rect rect, Colour colour)
{
    fills.fill[fills.count++] = {rect, colour};
}

void AddRow(Rows& rows, int y, int cx, int i)
{
    if (rows.count < static_cast<int>(sizeof rows.row / sizeof rows.row[0]))
        rows.row[rows.count++] = {y, cx - i, cx + i - 1};
}

}  // namespace

Layout LayOut(Rect window, unsigned long style, const Metrics& m)
{
    const Inset inset = FrameInset(style, m);
    Layout l = {};
    l.caption = {window.left + inset.x, window.top + inset.y, window.right - inset.x,
                 window.top + inset.y + m.cyCaption};
    l.hasSysMenu = (style & kStyleSysMenu) != 0;
    l.hasMin = (style & kStyleMinimizeBox) != 0;
    l.hasMax = (style & kStyleMaximizeBox) != 0;
    if (l.hasSysMenu)
        l.sysBox = {l.caption.left, l.caption.top, l.caption.left + m.cyCaption - 1,
                    l.caption.bottom - 1};
    if (l.hasMax)
        l.maxButton = ButtonSlot(l.caption, 1, m.cyCaption);
    if (l.hasMin)
        l.minButton = ButtonSlot(l.caption, l.hasMax ? 2 : 1, m.cyCaption);
    l.title = l.caption;
    l.title.right -= m.cyCaption * ((l.hasMin ? 1 : 0) + (l.hasMax ? 1 : 0));
    l.frameRow = {l.caption.left, l.caption.bottom - 2, l.caption.right, l.caption.bottom - 1};
    return l;
}

Hit HitTest(const Layout& l, int x, int y)
{
    if (!l.caption.Contains(x, y))
        return HitNone;
    if (l.hasSysMenu && l.sysBox.Contains(x, y))
        return HitSysMenu;
    if (l.hasMin && l.minButton.Contains(x, y))
        return HitMinimize;
    if (l.hasMax && l.maxButton.Contains(x, y))
        return HitMaximize;
    return HitCaption;
}

Point TitleOrigin(const Rect& title, int textWidth, int textHeight)
{
    int x = title.left + (title.right - title.left - textWidth) / 2;
    if (x < title.left)
        x = title.left;
    return {x, title.top + (title.bottom - title.top - textHeight) / 2};
}

Fills SysMenuBoxFills(const Rect& box, int cyCaption)
{
    Fills f = {};
    Add(f, {box.left, box.top, box.right + 1, box.bottom}, LightGrey);
    if (cyCaption > 4) {
        const int top = box.top + (cyCaption - 1) / 2;
        const Rect bar = {box.left + 4, top, box.right - 1, top + 3};
        const Rect raised = {bar.left - 1, bar.top - 1, bar.right - 1, bar.bottom - 1};
        Add(f, bar, DarkGrey);
        Add(f, raised, Black);
        Add(f, {raised.left + 1, raised.top + 1, raised.right - 1, raised.bottom - 1}, White);
    }
    return f;
}

ButtonFace ButtonFaceOf(const Rect& button, bool pressed, int cyCaption)
{
    const int bevel = cyCaption < 20 ? 1 : 2;
    ButtonFace face = {};
    Fills& f = face.fills;
    Rect r = button;
    Add(f, {r.left - 1, r.top, r.left, r.bottom}, WindowFrame);
    r.bottom -= 1;
    Add(f, r, LightGrey);
    Rect& g = face.glyph;
    if (pressed) {
        Add(f, {r.left, r.top, r.left + bevel, r.bottom}, DarkGrey);
        Add(f, {r.left, r.top, r.right, r.top + bevel}, DarkGrey);
        g = {r.left + 2 * bevel, r.top + 2 * bevel, r.right, r.bottom};
    } else {
        Add(f, {r.left, r.top, r.left + 1, r.bottom}, White);
        Add(f, {r.left, r.top, r.right, r.top + 1}, White);
        Add(f, {r.right - 1, r.top, r.right, r.bottom}, DarkGrey);
        Add(f, {r.left, r.bottom - 1, r.right, r.bottom}, DarkGrey);
        if (cyCaption > 20) {
            Add(f, {r.right - 2, r.top + 1, r.right, r.bottom}, DarkGrey);
            Add(f, {r.left + 1, r.bottom - 2, r.right, r.bottom}, DarkGrey);
        }
        g = {r.left + 1, r.top + 1, r.right - bevel, r.bottom - bevel};
    }
    // A glyph area wider than half the caption is shrunk to fit.
    const int d = cyCaption / 2 - (g.right - g.left);
    if (d < 1) {
        const int grow = d / 2 - 1;
        g = {g.left - grow, g.top - grow, g.right + grow, g.bottom + grow};
    }
    return face;
}

Rows GlyphRows(Glyph glyph, const Rect& g)
{
    Rows rows = {};
    const int height = g.bottom - g.top;
    const int half = height >> 1;
    const int cx = g.left + ((g.right - g.left + 1) >> 1);
    switch (glyph) {
    case GlyphMaximize: {
        const int y0 = g.top + ((height - 1) >> 2);
        for (int i = 1; i <= half; i++)
            AddRow(rows, y0 + i, cx, i);
        break;
    }
    case GlyphMinimize: {
        const int y0 = g.bottom - ((height - 1) >> 2);
        for (int i = half; i >= 1; i--)
            AddRow(rows, y0 - i, cx, i);
        break;
    }
    case GlyphRestore: {
        const int y0 = g.top + ((height - 1) >> 3) - 2;
        for (int i = 1; i <= half; i++)
            AddRow(rows, y0 + i, cx, i);
        const int y1 = y0 + 2 * half + 2;
        for (int i = half; i >= 1; i--)
            AddRow(rows, y1 - i, cx, i);
        break;
    }
    }
    return rows;
}

FrameLines FrameOf(int w, int h, unsigned long style, const Metrics& m)
{
    FrameLines f = {};
    auto add = [&f](int width, Colour colour, int x0, int y0, int x1, int y1) {
        f.line[f.count++] = {width, colour, x0, y0, x1, y1};
    };
    add(2 * (m.cxDlgFrame + m.cxBorder), LightGrey, 0, 0, w, h);
    add(2, White, 0, 0, 0, h);
    add(2, White, 0, 0, w, 0);
    add(2, Black, w, 0, w, h);
    add(2, Black, w, h, 0, h);

    const int x1 = m.cxSize + m.cxFrame + m.cxBorder + 2;
    const int y1 = m.cxDlgFrame + m.cxBorder;
    const int x2 = w - m.cxFrame - 3;
    const int y2 = m.cyCaption + 3;
    const int left = x1 - m.cxSize - 2;
    add(1, DarkGrey, left, y2, left, y1);
    add(1, DarkGrey, left, y1, x2, y1);
    if (style & kStyleSysMenu)
        add(1, DarkGrey, x1, y1, x1, y2);
    if (!(style & (kStyleMinimizeBox | kStyleMaximizeBox)))
        add(1, White, x2, y1, x2, y2);
    add(1, White, x2, y2, left - 1, y2);
    return f;
}

}  // namespace caption
