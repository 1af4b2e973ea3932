#include "board/layout.h"

#include <gtest/gtest.h>

namespace tessaron {
namespace {

// A 1920 x 1040 pixel screen at 15 twips per pixel, a window frame of 8 x 50 pixels.
LayoutInput picture(float widthPixels, float heightPixels)
{
    return LayoutInput{widthPixels * 15, heightPixels * 15, 8 * 15, 50 * 15, 1920 * 15, 1040 * 15};
}

TEST(Layout, SmallPictureGetsMarginsThatGrowWithIt)
{
    const Layout l = layoutPicture(picture(640, 480));
    // 9600 / 20 + 225 = 705 twips, 7200 / 20 + 225 = 585.
    EXPECT_EQ(l.MarginLeft, 705);
    EXPECT_EQ(l.MarginTop, 585);
    EXPECT_EQ(l.MarginBottom, 585);
    EXPECT_EQ(l.BoardLeft, 705);
    EXPECT_EQ(l.BoardTop, 585);
    EXPECT_FLOAT_EQ(l.clientWidth, 9600 + 2 * 705);
    EXPECT_FLOAT_EQ(l.clientHeight, 7200 + 2 * 585);
    EXPECT_FLOAT_EQ(l.windowWidth, l.clientWidth + 120);
    EXPECT_FLOAT_EQ(l.picWidth, 9600);
    EXPECT_FLOAT_EQ(l.picHeight, 7200);
}

TEST(Layout, WiderThanTheScreenIsCutOnTheRight)
{
    const Layout l = layoutPicture(picture(4224, 300));
    EXPECT_FLOAT_EQ(l.windowWidth, 1920 * 15);
    EXPECT_EQ(l.MarginLeft, 500);
    EXPECT_EQ(l.BoardLeft, 500);
    EXPECT_FLOAT_EQ(l.picWidth, 1920 * 15 - 120 - 1000);
    EXPECT_FLOAT_EQ(l.picHeight, 300 * 15);  // the height is untouched
    EXPECT_EQ(l.MarginTop, 300 * 15 / 20 + 225);
}

TEST(Layout, TallerThanTheScreenIsCutAtTheBottom)
{
    const Layout l = layoutPicture(picture(600, 3168));
    EXPECT_FLOAT_EQ(l.windowHeight, 1040 * 15 - 500);
    EXPECT_EQ(l.MarginTop, 500);
    EXPECT_EQ(l.MarginBottom, 500);
    EXPECT_EQ(l.BoardTop, 500);
    EXPECT_FLOAT_EQ(l.picHeight, 1040 * 15 - 500 - 750 - 1000);
    EXPECT_FLOAT_EQ(l.clientHeight, l.picHeight + 1000);
}

TEST(Layout, FullWidthOfALargeScreenNeedsThirtyTwoBits)
{
    // 2560 pixels are 38400 twips, past the 16-bit range.
    LayoutInput in = picture(2500, 1200);
    in.screenWidth = 2560 * 15;
    in.screenHeight = 1440 * 15;
    const Layout l = layoutPicture(in);
    EXPECT_FLOAT_EQ(l.windowWidth, 2560 * 15);
    EXPECT_FLOAT_EQ(l.picWidth, 2560 * 15 - 120 - 1000);
}

}  // namespace
}  // namespace tessaron
