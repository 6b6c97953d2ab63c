// The caption's layout from tables: slots, hit codes, button faces, glyphs
// and the frame's lines for the styles the library's dialogs can have.
#include "caption_geometry.h"
#include <gtest/gtest.h>
#include <ostream>

using namespace caption;

namespace caption {
std::ostream& operator<<(std::ostream& o, const Rect& r)
{
    return o << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "}";
}
}  // namespace caption

namespace {

// Wine's metrics for a 19-pixel caption; the frame kinds differ on purpose.
const Metrics kMetrics = {5, 5, 3, 3, 1, 1, 18, 19};
const Rect kWindow = {100, 50, 400, 250};
const unsigned long kDialog = kStyleCaption | kStyleModalFrame;

TEST(CaptionLayout, SlotsAndTitleFollowTheStyle)
{
    const Rect none = {0, 0, 0, 0};
    struct Case { unsigned long style; Rect caption, sys, min, max; int titleRight; } cases[] = {
        {kDialog, {104, 54, 396, 73}, none, none, none, 396},
        {kDialog | kStyleSysMenu, {104, 54, 396, 73}, {104, 54, 122, 72}, none, none, 396},
        {kDialog | kStyleMinimizeBox, {104, 54, 396, 73}, none, {378, 54, 396, 73}, none, 377},
        {kDialog | kStyleMinimizeBox | kStyleMaximizeBox, {104, 54, 396, 73}, none,
         {359, 54, 377, 73}, {378, 54, 396, 73}, 358},
        {kStyleCaption | kStyleThickFrame | kStyleMaximizeBox, {105, 55, 395, 74}, none, none,
         {377, 55, 395, 74}, 376},
        {kStyleCaption, {101, 51, 399, 70}, none, none, none, 399},
    };
    for (const Case& c : cases) {
        const Layout l = LayOut(kWindow, c.style, kMetrics);
        SCOPED_TRACE(testing::Message() << "style " << std::hex << c.style);
        EXPECT_EQ(c.caption, l.caption);
        EXPECT_EQ(c.sys, l.hasSysMenu ? l.sysBox : none);
        EXPECT_EQ(c.min, l.hasMin ? l.minButton : none);
        EXPECT_EQ(c.max, l.hasMax ? l.maxButton : none);
        EXPECT_EQ(c.titleRight, l.title.right);
    }
}

TEST(CaptionLayout, HitCodesFollowTheDrawnParts)
{
    const Layout l = LayOut(kWindow, kDialog | kStyleSysMenu | kStyleMinimizeBox | kStyleMaximizeBox,
                            kMetrics);
    struct Case { int x, y; Hit hit; } cases[] = {
        {121, 71, HitSysMenu}, {122, 60, HitCaption}, {121, 72, HitCaption}, {359, 60, HitMinimize},
        {377, 60, HitCaption}, {395, 72, HitMaximize}, {396, 60, HitNone}, {200, 73, HitNone},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.hit, HitTest(l, c.x, c.y)) << c.x << "," << c.y;
}

TEST(CaptionButton, BevelAndShadowGrowWithTheCaption)
{
    const Rect button = {100, 10, 120, 30};
    struct Case { int cy; bool pressed; int fills; Rect glyph; } cases[] = {
        {19, false, 6, {106, 16, 114, 23}},   // 1-pixel bevel; glyphs shrunk to fit
        {19, true, 4, {107, 17, 115, 24}},
        {20, false, 6, {105, 15, 114, 23}},   // 2-pixel bevel
        {21, false, 8, {105, 15, 114, 23}},   // doubled shadow
        {20, true, 4, {108, 18, 116, 25}},
    };
    for (const Case& c : cases) {
        const ButtonFace face = ButtonFaceOf(button, c.pressed, c.cy);
        SCOPED_TRACE(testing::Message() << "cy " << c.cy << " pressed " << c.pressed);
        EXPECT_EQ(c.fills, face.fills.count);
        EXPECT_EQ(c.glyph, face.glyph);
        EXPECT_EQ((Rect{99, 10, 100, 30}), face.fills.fill[0].rect);   // the frame-colour column
    }
    // A glyph area narrower than half the caption keeps its size.
    EXPECT_EQ((Rect{1, 1, 8, 37}), ButtonFaceOf({0, 0, 10, 40}, false, 40).glyph);
}

TEST(CaptionButton, GlyphsAreTrianglesOfOddWidths)
{
    const Rect area = {0, 0, 9, 9};
    struct Case { Glyph glyph; int count, firstY, firstLeft, firstRight; } cases[] = {
        {GlyphMaximize, 4, 3, 4, 5}, {GlyphMinimize, 4, 3, 1, 8}, {GlyphRestore, 8, 0, 4, 5},
    };
    for (const Case& c : cases) {
        const Rows rows = GlyphRows(c.glyph, area);
        const Row& r = rows.row[0];
        EXPECT_EQ(c.count, rows.count) << c.glyph;
        EXPECT_EQ((Rect{c.firstLeft, c.firstY, c.firstRight, 0}), (Rect{r.left, r.y, r.right, 0}))
            << c.glyph;
    }
    EXPECT_EQ(8, GlyphRows(GlyphRestore, area).row[7].y);
}

TEST(CaptionFrame, RightHandWhiteLineOnlyWithoutBoxes)
{
    struct Case { unsigned long style; bool rightWhite, sysLine; } cases[] = {
        {kDialog, true, false},
        {kDialog | kStyleSysMenu, true, true},
        {kDialog | kStyleMinimizeBox, false, false},
        {kDialog | kStyleSysMenu | kStyleMaximizeBox, false, true},
    };
    for (const Case& c : cases) {
        const FrameLines f = FrameOf(300, 200, c.style, kMetrics);
        bool rightWhite = false, sysLine = false;
        for (int i = 0; i < f.count; i++) {
            const Line& n = f.line[i];
            rightWhite |= n.colour == White && n.width == 1 && n.x0 == 292 && n.x1 == 292;
            sysLine |= n.colour == DarkGrey && n.x0 == 26 && n.x1 == 26 && n.y0 == 4 && n.y1 == 22;
        }
        EXPECT_EQ(c.rightWhite, rightWhite) << std::hex << c.style;
        EXPECT_EQ(c.sysLine, sysLine) << std::hex << c.style;
    }
    EXPECT_EQ(8, FrameOf(300, 200, kDialog, kMetrics).line[0].width);
}

}  // namespace
