#include "core/board/rendering.h"
#include "support/puzzle_maker.h"

#include <gtest/gtest.h>

#include <set>

namespace tessaron {
namespace {

using test::patterned;

bool inside(const PixelRect& r, std::int32_t x, std::int32_t y) { return x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h; }

// 4 x 3 places of 100 x 100 pixels at (35, 30) on a 500 x 400 window.
const PlaceGeometry kFourByThree{15.0f, 15.0f, 4, 3, 6000, 4500, 525, 450};

// A place exchanged with itself changes nothing.
TEST(ExchangePlaces, MovesExactlyThePixelsOfTheTwoPlaces)
{
    for (const Move& c : {Move{{1, 1}, {4, 3}}, Move{{2, 2}, {3, 2}}, Move{{4, 1}, {1, 3}}, Move{{2, 3}, {2, 3}}}) {
        Surface window = patterned(500, 400);
        const Surface before = window;
        Surface scratch(100, 100);  // one piece
        exchangePlaces(window, scratch, kFourByThree, c);
        const PixelRect a = kFourByThree.windowRect(c.from.column, c.from.row);
        const PixelRect b = kFourByThree.windowRect(c.to.column, c.to.row);
        for (std::int32_t y = 0; y < 400; ++y) {
            for (std::int32_t x = 0; x < 500; ++x) {
                Pixel expected = before.pixel(x, y);
                if (inside(a, x, y))
                    expected = before.pixel(x - a.x + b.x, y - a.y + b.y);
                else if (inside(b, x, y))
                    expected = before.pixel(x - b.x + a.x, y - b.y + a.y);
                ASSERT_EQ(window.pixel(x, y), expected) << x << "," << y;
            }
        }
        // The scratch surface keeps A's former image.
        for (std::int32_t y = 0; y < 100; ++y)
            for (std::int32_t x = 0; x < 100; ++x)
                ASSERT_EQ(scratch.pixel(x, y), before.pixel(a.x + x, a.y + y));
    }
}

TEST(ExchangePlaces, SubPixelPiecesChangeNothing)
{
    Surface window = patterned(500, 400);
    const Surface before = window;
    Surface scratch(400, 300);
    const PlaceGeometry tiny{15.0f, 15.0f, 75, 75, 450, 450, 0, 0};  // 0.4 pixels a piece
    EXPECT_TRUE(exchangePlaces(window, scratch, tiny, {{1, 1}, {75, 75}}).empty());
    EXPECT_TRUE(tiny.emptyPlaceFill().empty());
    EXPECT_TRUE(std::equal(window.data(), window.data() + 500 * 400, before.data()));
}

// The pixel columns and rows holding grid lines, and a check that every black pixel is
// on one of them, inside the framed area.
void expectGrid(const Surface& s, const std::set<std::int32_t>& columns,
    const std::set<std::int32_t>& rows)
{
    const std::int32_t left = *columns.begin(), right = *columns.rbegin();
    const std::int32_t top = *rows.begin(), bottom = *rows.rbegin();
    for (std::int32_t y = 0; y < s.height(); ++y) {
        for (std::int32_t x = 0; x < s.width(); ++x) {
            const bool inFrame = x >= left && x <= right && y >= top && y <= bottom;
            const bool onLine = inFrame && (columns.count(x) || rows.count(y));
            ASSERT_EQ(s.pixel(x, y) == kBlack, onLine) << x << "," << y;
        }
    }
}

TEST(DrawGrid, LinesFrameThePictureAreaAndCutItIntoPlaces)
{
    Surface window(500, 400);
    drawGrid(window, {15.0f, 15.0f, 1, 1, 6000, 4500, 525, 450});
    expectGrid(window, {35, 435}, {30, 330});

    window.clear(kWhite);
    drawGrid(window, kFourByThree);
    expectGrid(window, {35, 135, 235, 335, 435}, {30, 130, 230, 330});

    // Lines at exact fractions in twips, not at the pieces' rounded rectangles:
    // 1000 / 3 twips apart is 22.22 pixels.
    window.clear(kWhite);
    drawGrid(window, {15.0f, 15.0f, 3, 3, 1000, 1000, 0, 0});
    expectGrid(window, {0, 22, 44, 67}, {0, 22, 44, 67});

    // A 2560-pixel-wide picture is 38400 twips: past 32767, where 16-bit twips overflowed.
    window = Surface(2700, 20);
    drawGrid(window, {15.0f, 15.0f, 2, 1, 38400, 150, 750, 15});
    expectGrid(window, {50, 1330, 2610}, {1, 11});
}

}  // namespace
}  // namespace tessaron
