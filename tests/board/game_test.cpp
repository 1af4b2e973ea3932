#include "board/game.h"
#include "board/rendering.h"
#include "board/rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

namespace tessaron {
namespace {

// A puzzle on surfaces alone: a picture of distinct pixels, laid out with its margins.
struct Bench {
    GameState state;
    BoardFields fields;
    Surface window;
    Surface scratch;
    BoardGame game{state, fields, window, scratch};

    Bench(std::int16_t columns, std::int16_t rows, std::int32_t width, std::int32_t height)
    {
        state.TwipsX = state.TwipsY = 15.0f;
        state.PiecesX = columns;
        state.PiecesY = rows;
        scratch.resize(width, height);
        for (std::int32_t y = 0; y < height; ++y)
            for (std::int32_t x = 0; x < width; ++x)
                scratch.row(y)[x] = 0xFF000000u | (static_cast<Pixel>(y) << 12) | static_cast<Pixel>(x + 1);
        fields.BoardLeft = 322;  // not a whole number of pixels
        fields.BoardTop = 233;
        window.resize(width + 50, height + 50);
        game.setPictureArea(static_cast<float>(width) * 15, static_cast<float>(height) * 15);
        game.numberBoard();
        game.drawPicture(kWhite);
    }
};

std::vector<std::int16_t> cells(const BoardArray& board)
{
    std::vector<std::int16_t> all;
    for (std::int32_t r = 1; r <= board.rows(); ++r)
        for (std::int32_t c = 1; c <= board.columns(); ++c)
            all.push_back(board(r, c));
    return all;
}

bool isPermutation(const BoardArray& board)
{
    auto all = cells(board);
    std::sort(all.begin(), all.end());
    for (std::size_t i = 0; i < all.size(); ++i)
        if (all[i] != static_cast<std::int16_t>(i + 1))
            return false;
    return true;
}

TEST(ShufflePieces, FiveExchangesPerPlaceAndAPermutationAfterwards)
{
    Bench bench(4, 4, 200, 160);
    int refreshes = 0;
    bench.game.refresh = [&] { ++refreshes; };
    RandomSource random(42);
    bench.game.ShufflePieces(random, false);
    EXPECT_EQ(bench.game.exchangeCount(), 80);
    EXPECT_EQ(refreshes, 80);
    EXPECT_TRUE(isPermutation(bench.state.Board));
    EXPECT_FALSE(isSolved(bench.state.Board));
}

TEST(ShufflePieces, EveryDifficultShuffleCanBeSolvedBySlides)
{
    const struct {
        std::int16_t columns, rows;
        int seeds;
    } grids[] = {{1, 1, 3}, {1, 6, 40}, {6, 1, 40}, {2, 2, 60}, {4, 4, 60}, {3, 7, 30}, {75, 75, 3}};
    for (const auto& g : grids) {
        for (int seed = 0; seed < g.seeds; ++seed) {
            Bench bench(g.columns, g.rows, 150, 150);
            bench.game.BlackenEmptyPlace();
            RandomSource random(static_cast<std::uint64_t>(seed));
            bench.game.ShufflePieces(random, true);
            ASSERT_TRUE(isPermutation(bench.state.Board));
            ASSERT_TRUE(isSolvableBySlides(bench.state.Board))
                << g.columns << "x" << g.rows << " seed " << seed;
        }
    }
}

// Pixels that move with their piece: covered by exactly one place and off the grid lines.
// Seams (one-pixel overlaps) and grid pixels are repainted by neighbours and by the grid.
std::vector<bool> cleanAxis(const Bench& bench, bool horizontal)
{
    const PlaceGeometry g = bench.game.geometry();
    const std::int32_t size = horizontal ? bench.window.width() : bench.window.height();
    std::vector<int> cover(static_cast<std::size_t>(size), 0);
    const std::int32_t count = horizontal ? g.PiecesX : g.PiecesY;
    for (std::int32_t i = 1; i <= count; ++i) {
        const PixelRect r = horizontal ? g.windowRect(i, 1) : g.windowRect(1, i);
        const std::int32_t from = horizontal ? r.x : r.y;
        const std::int32_t length = horizontal ? r.w : r.h;
        for (std::int32_t p = from; p < from + length; ++p)
            ++cover[static_cast<std::size_t>(p)];
    }
    Surface grid(bench.window.width(), bench.window.height());
    DrawGrid(grid, 15.0f, 15.0f, bench.fields.BoardLeft, bench.fields.BoardTop,
        static_cast<std::int32_t>(bench.game.pictureWidth()),
        static_cast<std::int32_t>(bench.game.pictureHeight()), g.PiecesX, g.PiecesY);
    std::vector<bool> clean(static_cast<std::size_t>(size));
    for (std::int32_t p = 0; p < size; ++p) {
        // Probe the grid along the other axis away from the frame lines.
        const bool onLine = horizontal ? grid.pixel(p, grid.height() / 2 + 1) == kBlack
                                           && grid.pixel(p, grid.height() / 2 - 1) == kBlack
                                       : grid.pixel(grid.width() / 2 + 1, p) == kBlack
                                           && grid.pixel(grid.width() / 2 - 1, p) == kBlack;
        clean[static_cast<std::size_t>(p)] = cover[static_cast<std::size_t>(p)] == 1 && !onLine;
    }
    return clean;
}

// Offsets inside a place that are clean in every place: a seam pixel is shared with a
// neighbour, which overwrites it when it moves, and the damage travels with the piece.
std::vector<bool> cleanOffsets(const std::vector<bool>& clean, const PlaceGeometry& g, bool horizontal)
{
    const std::int32_t count = horizontal ? g.PiecesX : g.PiecesY;
    const std::int32_t length = horizontal ? g.windowRect(1, 1).w : g.windowRect(1, 1).h;
    std::vector<bool> offsets(static_cast<std::size_t>(std::max(length, 0)), true);
    for (std::int32_t i = 1; i <= count; ++i) {
        const PixelRect r = horizontal ? g.windowRect(i, 1) : g.windowRect(1, i);
        const std::int32_t from = horizontal ? r.x : r.y;
        for (std::int32_t o = 0; o < length; ++o)
            if (!clean[static_cast<std::size_t>(from + o)])
                offsets[static_cast<std::size_t>(o)] = false;
    }
    return offsets;
}

// The central invariant: the image in each place is the piece its cell names.
void expectImagesMatchBoard(const Bench& bench, const Surface& solved)
{
    const PlaceGeometry g = bench.game.geometry();
    const auto cleanX = cleanOffsets(cleanAxis(bench, true), g, true);
    const auto cleanY = cleanOffsets(cleanAxis(bench, false), g, false);
    std::int64_t compared = 0;
    for (std::int32_t r = 1; r <= g.PiecesY; ++r) {
        for (std::int32_t c = 1; c <= g.PiecesX; ++c) {
            const std::int32_t piece = bench.state.Board(r, c) - 1;
            const PixelRect at = g.windowRect(c, r);
            const PixelRect home = g.windowRect(piece % g.PiecesX + 1, piece / g.PiecesX + 1);
            for (std::int32_t y = 0; y < at.h; ++y) {
                for (std::int32_t x = 0; x < at.w; ++x) {
                    if (!cleanX[static_cast<std::size_t>(x)] || !cleanY[static_cast<std::size_t>(y)])
                        continue;
                    ++compared;
                    ASSERT_EQ(bench.window.pixel(at.x + x, at.y + y), solved.pixel(home.x + x, home.y + y))
                        << "place " << c << "," << r << " piece " << piece + 1;
                }
            }
        }
    }
    // Most of the picture is checked, not just a few stray pixels.
    EXPECT_GT(compared, bench.scratch.width() * bench.scratch.height() / 4);
}

TEST(Moves, ImagesFollowTheBoardThroughThousandsOfMovesInBothStyles)
{
    const struct {
        std::int16_t columns, rows;
        std::int32_t width, height;
    } cases[] = {{4, 4, 200, 160}, {7, 5, 333, 211}, {3, 2, 1000, 37}, {75, 75, 600, 450}, {1, 5, 40, 90}};
    for (const auto& k : cases) {
        for (const bool difficult : {false, true}) {
            Bench bench(k.columns, k.rows, k.width, k.height);
            const Surface solved = bench.window;
            RandomSource random(7);
            if (difficult)
                bench.game.BlackenEmptyPlace();
            const Surface start = bench.window;
            bench.game.ShufflePieces(random, difficult);
            const std::int32_t empty = k.columns * k.rows;
            for (int move = 0; move < 3000; ++move) {
                const std::int32_t fromX = random.draw(k.columns), fromY = random.draw(k.rows);
                const std::int32_t toX = random.draw(k.columns), toY = random.draw(k.rows);
                if (!difficult)
                    bench.game.movePiece(fromX, fromY, toX, toY);
                else if (canMoveToEmpty(bench.state.Board, fromX, fromY, toX, toY))
                    bench.game.movePiece(fromX, fromY, toX, toY);
                else if (bench.state.Board(toY, toX) == empty && toX > 1)
                    bench.game.movePiece(toX - 1, toY, toX, toY);  // keep the empty place moving
            }
            SCOPED_TRACE(testing::Message() << k.columns << "x" << k.rows << (difficult ? " difficult" : " normal"));
            expectImagesMatchBoard(bench, difficult ? start : solved);
        }
    }
}

}  // namespace
}  // namespace tessaron
