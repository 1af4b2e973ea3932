#include "core/platform/surface.h"
#include "support/error_number.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tessaron {
namespace {

// Every pixel different, so a misplaced copy cannot go unnoticed.
Surface patterned(std::int32_t w, std::int32_t h, Pixel salt = 0)
{
    Surface s(w, h);
    for (std::int32_t i = 0; i < w * h; ++i)
        s.data()[i] = 0xFF000000u | (static_cast<Pixel>(i) + salt);
    return s;
}

// A 10 x 10 destination and an 8 x 8 source, or the destination itself as pieces slide
// within the board: only the part inside both changes, to the source as it was before.
TEST(BlockTransfer, CopyAndBlackFillClipToBothSurfaces)
{
    enum Transfer { copy, black };
    const struct { const char* name; Transfer transfer; std::int32_t dx, dy, w, h, sx, sy; PixelRect changed; bool withinOne = false; } cases[] = {
        {"inside", copy, 2, 3, 4, 5, 1, 1, {2, 3, 4, 5}}, {"fully outside", copy, 20, 0, 4, 4, 0, 0, {}},
        {"negative destination", copy, -2, -1, 5, 4, 3, 3, {0, 0, 3, 3}}, {"negative source", copy, 4, 4, 5, 5, -3, -2, {7, 6, 2, 3}},
        {"past destination edge", copy, 8, 7, 6, 6, 0, 0, {8, 7, 2, 3}}, {"past source edge", copy, 0, 0, 9, 9, 4, 5, {0, 0, 4, 3}},
        {"zero width", copy, 1, 1, 0, 4, 0, 0, {}}, {"negative height", copy, 1, 1, 4, -3, 0, 0, {}},
        {"black, source unread", black, -1, 8, 3, 5, 100, 100, {0, 8, 2, 2}}, {"black, empty", black, 2, 2, 3, 0, 0, 0, {}},
        {"down", copy, 0, 3, 8, 8, 0, 0, {0, 3, 8, 7}, true}, {"up left", copy, 0, 0, 8, 8, 1, 1, {0, 0, 8, 8}, true},
        {"right", copy, 2, 0, 8, 8, 0, 0, {2, 0, 8, 8}, true},
    };
    for (const auto& c : cases) {
        Surface dst = patterned(10, 10, 0x100), expected = dst;
        const Surface src = c.withinOne ? dst : patterned(8, 8, 0x800);
        const PixelRect changed = c.transfer == copy
            ? blockCopy(dst, c.dx, c.dy, c.w, c.h, c.withinOne ? dst : src, c.sx, c.sy)
            : blackFill(dst, c.dx, c.dy, c.w, c.h);
        EXPECT_EQ(changed, c.changed) << c.name;
        for (std::int32_t y = c.changed.y; y < c.changed.y + c.changed.h; ++y)
            for (std::int32_t x = c.changed.x; x < c.changed.x + c.changed.w; ++x)
                expected.setPixel(x, y, c.transfer == copy ? src.pixel(x - c.dx + c.sx, y - c.dy + c.sy) : kBlack);
        EXPECT_TRUE(std::equal(dst.data(), dst.data() + 100, expected.data())) << c.name;
    }
}

// A size no screen has is refused before any memory is taken, and the surface is left
// empty rather than claiming a size it has no pixels for.
TEST(Surface, PastOneGibibyteIsOutOfMemoryAndLeavesItEmpty)
{
    for (const auto& [w, h] : {std::pair{20000, 20000}, {1 << 20, 1 << 20}, {0x7FFFFFFF, 2}}) {
        Surface s = patterned(8, 8);
        EXPECT_EQ(errorNumberOf([&] { s.resize(w, h); }), err::OutOfMemory) << w << "x" << h;
        EXPECT_EQ(s.bounds(), PixelRect{});
    }
}

TEST(Surface, LinesClipAndOnlyRealChangesAreDamage)
{
    Surface s(20, 20);
    s.takeDamage();
    blackFill(s, 2, 2, 3, 3);
    // Both ends are drawn, in either order, within the surface only.
    EXPECT_EQ(s.horizontalLine(25, 12, 15, kBlack), (PixelRect{12, 15, 8, 1}));
    EXPECT_EQ(s.pixel(11, 15), kWhite);
    EXPECT_EQ(s.verticalLine(4, 30, 17, kBlack), (PixelRect{4, 17, 1, 3}));
    EXPECT_TRUE(s.verticalLine(25, 0, 4, kBlack).empty());
    const Damage taken = s.takeDamage();
    EXPECT_EQ(taken.rects().size(), 3u);  // small changes far apart stay apart
    EXPECT_EQ(taken.bounds(), (PixelRect{2, 2, 18, 18}));
    // Taken damage is forgotten, and drawing a line over itself changes nothing on the screen.
    s.horizontalLine(12, 19, 15, kBlack);
    EXPECT_TRUE(s.takeDamage().empty());
}

}  // namespace
}  // namespace tessaron
