#include "core/platform/surface.h"
#include "core/platform/runtime_error.h"

#include <gtest/gtest.h>

namespace tessaron {
namespace {

// Every pixel different, so a misplaced copy cannot go unnoticed.
Surface patterned(std::int32_t w, std::int32_t h, Pixel salt = 0)
{
    Surface s(w, h);
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w; ++x)
            s.row(y)[x] = 0xFF000000u | ((static_cast<Pixel>(y) << 12) + static_cast<Pixel>(x) + salt);
    return s;
}

TEST(BlockCopy, ClipsToBothSurfacesMovingBothOrigins)
{
    const struct {
        const char* name;
        std::int32_t dx, dy, w, h, sx, sy;
        PixelRect changed;
    } cases[] = {
        {"inside", 2, 3, 4, 5, 1, 1, {2, 3, 4, 5}},
        {"negative destination", -2, -1, 5, 4, 3, 3, {0, 0, 3, 3}},
        {"negative source", 4, 4, 5, 5, -3, -2, {7, 6, 2, 3}},
        {"past destination edge", 8, 7, 6, 6, 0, 0, {8, 7, 2, 3}},
        {"past source edge", 0, 0, 9, 9, 4, 5, {0, 0, 4, 3}},
        {"zero width", 1, 1, 0, 4, 0, 0, {}},
        {"negative height", 1, 1, 4, -3, 0, 0, {}},
        {"fully outside", 20, 0, 4, 4, 0, 0, {}},
    };
    for (const auto& c : cases) {
        Surface dst = patterned(10, 10, 0x100);
        const Surface before = dst;
        const Surface src = patterned(8, 8, 0x800);
        const PixelRect changed = blockCopy(dst, c.dx, c.dy, c.w, c.h, src, c.sx, c.sy);
        EXPECT_EQ(changed, c.changed) << c.name;
        for (std::int32_t y = 0; y < 10; ++y) {
            for (std::int32_t x = 0; x < 10; ++x) {
                const bool in = x >= changed.x && x < changed.x + changed.w && y >= changed.y
                    && y < changed.y + changed.h;
                const Pixel expected = in ? src.pixel(x - c.dx + c.sx, y - c.dy + c.sy)
                                          : before.pixel(x, y);
                ASSERT_EQ(dst.pixel(x, y), expected) << c.name << " at " << x << "," << y;
            }
        }
    }
}

TEST(BlockCopy, OverlappingCopyWithinOneSurfaceReadsTheOldPixels)
{
    const struct {
        std::int32_t dx, dy, sx, sy;
    } shifts[] = {{1, 1, 0, 0}, {0, 0, 1, 1}, {2, 0, 0, 0}, {0, 3, 0, 0}, {0, 0, 0, 2}};
    for (const auto& s : shifts) {
        Surface surface = patterned(12, 12);
        const Surface before = surface;
        blockCopy(surface, s.dx, s.dy, 8, 8, surface, s.sx, s.sy);
        for (std::int32_t y = 0; y < 8; ++y)
            for (std::int32_t x = 0; x < 8; ++x)
                ASSERT_EQ(surface.pixel(s.dx + x, s.dy + y), before.pixel(s.sx + x, s.sy + y));
    }
}

TEST(BitBlt, RasterOperationIsChosenByItsIndex)
{
    Surface dst = patterned(6, 6);
    const Surface src = patterned(6, 6, 0x77);
    // 0x00000010 has operation index 0, that of BLACKNESS: black, source unread.
    EXPECT_EQ(bitBlt(dst, 1, 1, 2, 2, dst, 100, 100, 0x00000010u), (PixelRect{1, 1, 2, 2}));
    EXPECT_EQ(dst.pixel(1, 1), kBlack);
    EXPECT_EQ(dst.pixel(2, 2), kBlack);
    EXPECT_NE(dst.pixel(3, 3), kBlack);
    bitBlt(dst, 0, 0, 1, 1, src, 5, 5, kSrcCopy);
    EXPECT_EQ(dst.pixel(0, 0), src.pixel(5, 5));
    EXPECT_TRUE(blackFill(dst, 2, 2, 0, 3).empty());
}

TEST(Surface, LinesIncludeBothEndsAndClip)
{
    Surface s(5, 5);
    EXPECT_EQ(s.horizontalLine(3, -2, 1, kBlack), (PixelRect{0, 1, 4, 1}));
    EXPECT_EQ(s.verticalLine(4, 2, 9, kBlack), (PixelRect{4, 2, 1, 3}));
    EXPECT_TRUE(s.verticalLine(7, 0, 4, kBlack).empty());
    EXPECT_EQ(s.pixel(3, 1), kBlack);
    EXPECT_EQ(s.pixel(4, 1), kWhite);
}

// A size no screen has is refused before any memory is taken, and the surface is left
// empty rather than claiming a size it has no pixels for.
TEST(Surface, OversizedIsOutOfMemoryAndLeavesItEmpty)
{
    for (const auto& [w, h] : {std::pair{20000, 20000}, {1 << 20, 1 << 20}, {0x7FFFFFFF, 2}}) {
        Surface s = patterned(8, 8);
        try {
            s.resize(w, h);
            ADD_FAILURE() << w << "x" << h << " accepted";
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.number(), err::OutOfMemory);
        }
        EXPECT_EQ(s.bounds(), PixelRect{});
        s.resize(3, 2, kBlack);  // and usable again
        EXPECT_EQ(s.pixel(2, 1), kBlack);
    }
}

TEST(Surface, DamageCollectsChangesUntilTaken)
{
    Surface s(20, 20);
    s.takeDamage();
    blackFill(s, 2, 2, 3, 3);
    s.horizontalLine(10, 12, 15, kBlack);
    const Damage taken = s.takeDamage();
    EXPECT_EQ(taken.rects().size(), 2u);  // two small changes far apart stay apart
    EXPECT_EQ(taken.bounds(), (PixelRect{2, 2, 11, 14}));
    EXPECT_TRUE(s.takeDamage().empty());
    // Drawing a line over itself changes nothing on the screen.
    s.horizontalLine(10, 12, 15, kBlack);
    EXPECT_TRUE(s.takeDamage().empty());
    s.clear(kWhite);
    EXPECT_EQ(s.takeDamage().bounds(), s.bounds());
}

}  // namespace
}  // namespace tessaron
