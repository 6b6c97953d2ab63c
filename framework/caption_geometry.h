// Where the library's own caption bar and frame go, in plain numbers: the
// caption rectangle, the system-menu box, the button slots, the title area,
// the button faces and glyphs and the frame's lines. The drawing and the
// message handling (caption_bar.cpp) take everything from here, so the
// layout is tested without a window system.
#ifndef QVWIZ_CAPTION_GEOMETRY_H
#define QVWIZ_CAPTION_GEOMETRY_H

namespace caption {

// Window style bits the layout depends on (the Win32 values).
enum : unsigned long {
    kStyleBorder = 0x00800000,
    kStyleDlgFrame = 0x00400000,
    kStyleCaption = 0x00C00000,   // any of these bits: "has a caption bit"
    kStyleSysMenu = 0x00080000,
    kStyleThickFrame = 0x00040000,
    kStyleMinimizeBox = 0x00020000,
    kStyleMaximizeBox = 0x00010000,
    kStyleModalFrame = 0x00000080,   // DS_MODALFRAME
};

// Right and bottom are exclusive, as in a Win32 RECT.
struct Rect {
    int left, top, right, bottom;
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const Rect& o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// The system metrics the layout reads.
struct Metrics {
    int cxFrame, cyFrame;         // SM_CXFRAME, SM_CYFRAME
    int cxDlgFrame, cyDlgFrame;   // SM_CXDLGFRAME, SM_CYDLGFRAME
    int cxBorder, cyBorder;       // SM_CXBORDER, SM_CYBORDER
    int cxSize;                   // SM_CXSIZE
    int cyCaption;                // SM_CYCAPTION
};

// The caption of a window whose rectangle is `window` (screen coordinates
// for hit testing, (0, 0, W, H) for drawing).
struct Layout {
    Rect caption;
    Rect title;            // caption less the minimize and maximize slots
    Rect frameRow;         // the one-pixel COLOR_WINDOWFRAME row
    Rect sysBox;           // valid when hasSysMenu
    Rect minButton, maxButton;
    bool hasSysMenu, hasMin, hasMax;
};
Layout LayOut(Rect window, unsigned long style, const Metrics& m);

enum Hit { HitNone, HitCaption, HitSysMenu, HitMinimize, HitMaximize };
Hit HitTest(const Layout& layout, int x, int y);

// Where the title text starts: centred in the title area, never left of it.
struct Point { int x, y; };
Point TitleOrigin(const Rect& title, int textWidth, int textHeight);

enum Colour { WindowFrame, LightGrey, DarkGrey, White, Black };
struct Fill { Rect rect; Colour colour; };

// The system-menu box: its grey face and the bar of its "menu" sign, in
// drawing order. Pressed inverts the box afterwards.
struct Fills { Fill fill[8]; int count; };
Fills SysMenuBoxFills(const Rect& box, int cyCaption);

// A minimize or maximize button: the fills in drawing order and the area
// its glyph is fitted in.
struct ButtonFace { Fills fills; Rect glyph; };
ButtonFace ButtonFaceOf(const Rect& button, bool pressed, int cyCaption);

// The glyph: black one-pixel rows, each from left to right (exclusive).
enum Glyph { GlyphMinimize, GlyphMaximize, GlyphRestore };
struct Row { int y, left, right; };
struct Rows { Row row[64]; int count; };
Rows GlyphRows(Glyph glyph, const Rect& area);

// The frame of a W x H window, in drawing order. The first entry is the
// outline of the whole window (a rectangle, not a line).
struct Line { int width; Colour colour; int x0, y0, x1, y1; };
struct FrameLines { Line line[10]; int count; };
FrameLines FrameOf(int width, int height, unsigned long style, const Metrics& m);

}  // namespace caption

#endif
