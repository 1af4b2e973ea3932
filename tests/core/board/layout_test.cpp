#include "core/board/layout.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tessaron {

void PrintTo(const PictureSize& size, std::ostream* out) { *out << size.width << " x " << size.height; }

namespace {

TEST(Layout, MarginsGrowWithThePictureAndWhatTheScreenCannotHoldIsCut)
{
    // At 15 twips per pixel, with a window frame of 8 x 50 pixels (120 x 750 twips).
    const struct {
        const char* name;
        float width, height, screenWidth, screenHeight;        // pixels
        std::int32_t marginLeft, marginTop;                    // twips; the bottom as the top
        float picWidth, picHeight, windowWidth, windowHeight;  // twips
    } cases[] = {
        // 9600 / 20 + 225 = 705 twips, 7200 / 20 + 225 = 585.
        {"small", 640, 480, 1920, 1040, 705, 585, 9600, 7200, 9600 + 2 * 705 + 120,
            7200 + 2 * 585 + 750},
        {"wider than the screen: cut on the right, the height untouched", 4224, 300, 1920, 1040,
            500, 450, 1920 * 15 - 120 - 1000, 4500, 1920 * 15, 4500 + 2 * 450 + 750},
        {"taller than the screen: cut at the bottom", 600, 3168, 1920, 1040, 675, 500, 9000,
            1040 * 15 - 500 - 750 - 1000, 9000 + 2 * 675 + 120, 1040 * 15 - 500},
        // 2560 pixels are 38400 twips, past the 16-bit range.
        {"full width of a large screen", 2500, 1200, 2560, 1440, 500, 1125,
            2560 * 15 - 120 - 1000, 18000, 2560 * 15, 18000 + 2 * 1125 + 750},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Layout l = layoutPicture(
            {c.width * 15, c.height * 15, 120, 750, c.screenWidth * 15, c.screenHeight * 15});
        // Every value is a whole number of twips, exact in a float.
        EXPECT_EQ(std::tuple(l.left, l.top), std::tuple(c.marginLeft, c.marginTop));
        EXPECT_EQ(std::tuple(l.picWidth, l.picHeight, l.windowWidth, l.windowHeight, l.clientWidth, l.clientHeight),
            std::tuple(c.picWidth, c.picHeight, c.windowWidth, c.windowHeight, c.windowWidth - 120, c.windowHeight - 750));
    }
}

// On a 1920 x 1040 screen with the same frame, at 15 twips a pixel, the window holds a
// picture up to 28800 - 120 twips wide with its margins, and 15600 - 200 - 750 tall.
TEST(Layout, FitToScreenFindsTheLargestWholePictureInItsProportions)
{
    const auto fits = [](std::int32_t width, std::int32_t height) {
        return showsWholePicture({static_cast<float>(width * 15), static_cast<float>(height * 15), 120, 750,
            1920 * 15, 1040 * 15});
    };
    const struct {
        const char* name;
        PictureSize picture, fitted;
    } cases[] = {
        // 1710: 25650 + 2 * 1508 (1507.5 to even) + 120 = 28786; 1711 pixels are 28801.
        {"twice the screen's width", {3840, 1000}, {1710, 445}},
        // 860: 12900 + 2 * 870 + 750 = 15390; 861 pixels are 15407.
        {"twice the screen's height", {1000, 2080}, {413, 860}},
        {"wider than tall, yet the height limits it", {6000, 4000}, {1290, 860}},
        {"fits already", {640, 480}, {640, 480}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PictureSize fitted = fitToScreen({c.picture, 15, 15, 120, 750, 1920 * 15, 1040 * 15});
        const auto [width, height] = fitted;
        EXPECT_EQ(fitted, c.fitted);
        EXPECT_TRUE(fits(width, height));
        // Grown by a pixel along the side that limits it, it would be cut.
        EXPECT_TRUE(fitted == c.picture || !(fits(width + 1, height) && fits(width, height + 1)));
    }
    // A frame larger than the screen leaves room for nothing: the smallest picture.
    EXPECT_EQ(fitToScreen({{3000, 1000}, 15, 15, 30000, 750, 1920 * 15, 1040 * 15}), (PictureSize{1, 1}));
}

}  // namespace
}  // namespace tessaron
