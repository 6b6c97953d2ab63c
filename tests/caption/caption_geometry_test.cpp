// The caption's layout for what the on-screen probe (caption_test.py) does
// not reach: frames other than the dialog frame and captions of 20 pixels
// or more.
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

TEST(CaptionLayout, ThickAndThinFramesSetTheInset)
{
    const Metrics metrics = {5, 5, 3, 3, 1, 1, 18, 19};
    const Rect window = {100, 50, 400, 250};
    const Layout thick =
        LayOut(window, kStyleCaption | kStyleThickFrame | kStyleMaximizeBox, metrics);
    EXPECT_EQ((Rect{105, 55, 395, 74}), thick.caption);
    EXPECT_EQ((Rect{377, 55, 395, 74}), thick.maxButton);
    EXPECT_EQ(376, thick.title.right);
    EXPECT_EQ((Rect{101, 51, 399, 70}), LayOut(window, kStyleCaption, metrics).caption);
}

TEST(CaptionButton, BevelAndShadowGrowWithTheCaption)
{
    const Rect button = {100, 10, 120, 30};
    struct Case { int cy; bool pressed; int fills; Rect glyph; } cases[] = {
        {20, false, 6, {105, 15, 114, 23}},   // 2-pixel bevel
        {21, false, 8, {105, 15, 114, 23}},   // doubled shadow
        {20, true, 4, {108, 18, 116, 25}},
    };
    for (const Case& c : cases) {
        const ButtonFace face = ButtonFaceOf(button, c.pressed, c.cy);
        SCOPED_TRACE(testing::Message() << "cy " << c.cy << " pressed " << c.pressed);
        EXPECT_EQ(c.fills, face.fills.count);
        EXPECT_EQ(c.glyph, face.glyph);
    }
    // A glyph area narrower than half the caption keeps its size.
    EXPECT_EQ((Rect{1, 1, 8, 37}), ButtonFaceOf({0, 0, 10, 40}, false, 40).glyph);
}

}  // namespace
