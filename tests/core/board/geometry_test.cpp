#include "core/board/geometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace tessaron {
namespace {

PlaceGeometry grid(std::int16_t columns, std::int16_t rows, float w, float h, std::int32_t left, std::int32_t top)
{
    return PlaceGeometry{15.0f, 15.0f, columns, rows, w, h, left, top};
}

// How many places cover each pixel column of the first row.
std::vector<int> coverage(const PlaceGeometry& g)
{
    const PixelRect area = g.pictureArea();
    std::vector<int> count(static_cast<std::size_t>(area.w), 0);
    for (std::int32_t c = 1; c <= g.columns; ++c) {
        const PixelRect r = g.windowRect(c, 1);
        EXPECT_GE(r.x, area.x) << "column " << c;
        EXPECT_LE(r.x + r.w, area.x + area.w) << "column " << c;
        for (std::int32_t x = std::max(r.x, area.x); x < std::min(r.x + r.w, area.x + area.w); ++x)
            ++count[static_cast<std::size_t>(x - area.x)];
    }
    return count;
}

TEST(PlaceGeometry, FourByThreeOnSixThousandByFourThousandFiveHundredTwips)
{
    const PlaceGeometry g = grid(4, 3, 6000, 4500, 525, 450);
    EXPECT_EQ(g.pictureArea(), (PixelRect{35, 30, 400, 300}));
    EXPECT_EQ(g.windowRect(1, 1), (PixelRect{35, 30, 100, 100}));
    EXPECT_EQ(g.windowRect(4, 3), (PixelRect{335, 230, 100, 100}));
    EXPECT_EQ(g.pieceRect(), (PixelRect{0, 0, 100, 100}));
    EXPECT_EQ(g.emptyPlaceFill(), g.windowRect(4, 3));
    EXPECT_EQ(coverage(g), std::vector<int>(400, 1));
}

// Where the rounding puts the places of the first row: the sum is rounded as a whole, so
// some columns leave a pixel uncovered, or share one, yet the row ends at the edge.
TEST(PlaceGeometry, RoundingLeavesGapsOrOverlapsWhereTheSumsPutThem)
{
    const struct {
        PlaceGeometry geometry;
        std::vector<std::int32_t> gaps;  // uncovered pixel columns, from the window's edge
        int overlaps;
    } cases[] = {
        // 14941 / 7 / 15 = 142.295 pixels a place from 35.467: column 2 starts at
        // round(35.467 + 142.295) = 178, not at 35 + 142.
        {grid(7, 1, 14941, 1500, 532, 0), {177, 604}, 0},
        // 13.6 pixels rounded to 14: 74 * 14 - round(13.6 * 74) = 30 pixels shared.
        {grid(75, 1, 15300, 1500, 0, 0), {}, 30},
    };
    for (const auto& c : cases) {
        const std::vector<int> cover = coverage(c.geometry);
        std::vector<std::int32_t> gaps;
        int overlaps = 0;
        for (std::size_t x = 0; x < cover.size(); ++x) {
            EXPECT_LE(cover[x], 2);
            overlaps += cover[x] == 2;
            if (cover[x] == 0)
                gaps.push_back(static_cast<std::int32_t>(x) + c.geometry.pictureArea().x);
        }
        EXPECT_EQ(gaps, c.gaps);
        EXPECT_EQ(overlaps, c.overlaps);
    }
}

}  // namespace
}  // namespace tessaron
